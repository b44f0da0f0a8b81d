#pragma once

// The intake: the entries read and checked in the window's order before anything is
// computed. A refused entry is data (which entry, its text, the rule it breaks) that the
// front ends word.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <tuple>

#include "base/result.h"
#include "calc/inputrecord.h"

namespace lodra {

// The entries as accepted: numbers within their limits, before anything is computed.
struct Intake {
    int16_t totaltid = 0;
    double bonitet = 0, areal = 0, ranta = 0, maxRing = 0, variation = 0, atervandel = 0,
           berikning = 0, cykTillAvv = 0;
    int16_t tradslag = 1;
    double atgard = 0;
    static constexpr std::size_t kRows = std::tuple_size_v<decltype(InputRecord::rows)>;
    std::array<std::optional<double>, kRows> rows{};  // empty row: no value
    std::array<bool, kRows> avverkas{};
};

// Reads and checks every entry in the window's order; the first entry that cannot be used
// is the refusal (Status::Refused). Without rateAndInterval the entered rate and felling
// interval are not read: the caller sets them in the intake.
[[nodiscard]] Result<Intake> acceptIntake(const InputRecord& input, char decimalSeparator,
                                          bool rateAndInterval = true);

}  // namespace lodra
