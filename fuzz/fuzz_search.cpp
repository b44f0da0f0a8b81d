// Fuzz target: the fast ring search against the step-by-step one, on whole calculations.
//
// The bytes are read in turn, a missing byte reading as 0. The first two bytes are flags:
// species, measure, and for each of five numbers whether it is taken as raw bits (eight
// bytes, any double at all) or scaled from two bytes into the range where stands are
// found. Then come totaltid (two bytes, 1-300 years), bonitet, areal, maxRing, variation,
// cykTillAvv, ranta (one byte, 2-5 %), the tree count (0-10), each tree's diameter (two
// bytes, or eight raw with a flag) and whether it is felled at once, and the generator's
// seed. Both calculations must agree in every
// field, status and message, bit for bit.

#include <bit>
#include <charconv>
#include <cstdint>
#include <string>

#include "calc/calculation.h"
#include "fuzz/fuzzcheck.h"
#include "tests/calc/statediff.h"

namespace {

class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint64_t take(int count) {
        std::uint64_t v = 0;
        for (int i = 0; i < count; ++i) {
            v = (v << 8) | (at_ < size_ ? data_[at_++] : 0u);
        }
        return v;
    }
    // Raw bits, or two bytes scaled to [lo, hi].
    double number(bool raw, double lo, double hi) {
        if (raw) {
            return std::bit_cast<double>(take(8));
        }
        return lo + (hi - lo) * static_cast<double>(take(2)) / 65535.0;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::string text(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, size);
    const auto flags = static_cast<unsigned>(bytes.take(2));
    auto raw = [&](int bit) { return ((flags >> bit) & 1u) != 0; };
    lodra::InputRecord in;
    const unsigned species = flags % 3;
    in.species = static_cast<lodra::Species>(species);
    in.measure = raw(2) ? lodra::Measure::kalavverkning : lodra::Measure::gallring;
    // The horizon stays short, so that the step-by-step search ends within the time limit.
    in.totaltid = std::to_string(1 + bytes.take(2) % 300);
    in.bonitet = text(bytes.number(raw(3), 0, 25));
    in.areal = text(bytes.number(raw(4), 0.5, 2000));
    in.maxRing = text(bytes.number(raw(5), -3, 100));
    in.variation = text(bytes.number(raw(6), 0, 100));
    in.cykTillAvv = text(bytes.number(raw(7), 0, 5));
    in.ranta = std::to_string(2 + bytes.take(1) % 4);
    const auto trees = static_cast<std::size_t>(bytes.take(1) % 11);
    in.rows = {};
    for (std::size_t i = 0; i < trees; ++i) {
        const std::uint64_t kind = bytes.take(1);
        in.rows[i] = {text(bytes.number((kind & 1u) != 0, 0, 90)), (kind & 2u) != 0};
    }
    const std::uint64_t seed = bytes.take(8);
    const std::string diff = lodra::testing::searchDifferences(in, seed);
    FUZZ_CHECK(diff.empty(), diff);
    return 0;
}
