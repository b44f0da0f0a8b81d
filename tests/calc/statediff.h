#pragma once

// The differences between a calculation with the step-by-step and one with the fast ring
// search, in every field, status and message, bit for bit: empty when there is none.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "calc/calculation.h"

namespace lodra::testing {

// The byte offset of the first difference of two objects of a type without padding (the
// state is lists and 8-byte numbers after 16 bytes of counts), or -1. Bytes, so that -0
// and 0, or two NaNs, differ as the bits of the numbers do.
template <typename T>
long firstDifference(const T& a, const T& b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(&a);
    const auto at = std::mismatch(pa, pa + sizeof(T), reinterpret_cast<const unsigned char*>(&b));
    return at.first == pa + sizeof(T) ? -1 : static_cast<long>(at.first - pa);
}

inline std::string calculationDifferences(const Outcome& oa, const StandCalculation& a,
                                          const Outcome& ob, const StandCalculation& b) {
    std::string diff;
    if (oa.ok() != ob.ok()) {
        diff += std::string("outcome: ") + (oa.ok() ? "ok" : oa.message()) + " / " +
                (ob.ok() ? "ok" : ob.message()) + " ";
    } else if (!oa.ok()) {
        const Error& ea = oa.error();
        const Error& eb = ob.error();
        if (ea.status != eb.status || ea.message != eb.message) {
            diff += "outcome: \"" + ea.message + "\" / \"" + eb.message + "\" ";
        }
        if (ea.refusal.field != eb.refusal.field || ea.refusal.row != eb.refusal.row ||
            ea.refusal.text != eb.refusal.text || ea.refusal.reason != eb.refusal.reason ||
            ea.refusal.rule != eb.refusal.rule) {
            diff += "refusal ";
        }
    }
    for (const auto& [name, at] :
         {std::pair{"state at byte ", firstDifference(a.s, b.s)},
          {"economics at byte ", firstDifference(a.economics, b.economics)},
          {"figures at byte ", firstDifference(a.figures, b.figures)}}) {
        if (at >= 0) {
            diff += name + std::to_string(at) + " ";
        }
    }
    return diff;
}

// Runs a stand with both searches, each with a generator seeded alike. fast, if given, is
// the object the fast search runs in (a used one keeps its ring sequence).
inline std::string searchDifferences(const InputRecord& input, std::uint64_t seed,
                                     StandCalculation* fast = nullptr) {
    // Zero-initialised, so that bytes no field covers cannot differ.
    const auto literal = std::make_unique<StandCalculation>();
    const auto own = std::make_unique<StandCalculation>();
    StandCalculation& quick = fast != nullptr ? *fast : *own;
    SeededRandom literalRandom(seed);
    SeededRandom fastRandom(seed);
    CalcOptions options;
    options.random = &literalRandom;
    options.search = RingSearchMethod::Literal;
    const Outcome a = literal->berakna(input, '.', options);
    options.random = &fastRandom;
    options.search = RingSearchMethod::Fast;
    const Outcome b = quick.berakna(input, '.', options);
    return calculationDifferences(a, *literal, b, quick);
}

}  // namespace lodra::testing
