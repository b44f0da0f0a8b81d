#include "calc/exactsum.h"

#include <bit>
#include <charconv>
#include <cmath>

#include "base/bitcast.h"

namespace lodra {

namespace {

constexpr std::int64_t kDigitMask = (std::int64_t{1} << 32) - 1;
// Normalized well before a digit of up to 2^33 per addition could reach 2^63.
constexpr std::uint32_t kMaxPending = std::uint32_t{1} << 29;

}  // namespace

void ExactSum::counted(std::uint32_t additions) {
    pending_ += additions;
    if (pending_ >= kMaxPending) {
        normalize();
    }
}

void ExactSum::normalize() {
    for (std::size_t i = 0; i + 1 < kDigits; ++i) {
        const std::int64_t carry = digits_[i] >> kDigitBits;  // rounds down
        digits_[i] &= kDigitMask;
        digits_[i + 1] += carry;
    }
    pending_ = 0;
}

void ExactSum::add(double value) {
    if (!std::isfinite(value)) {
        special_ += value;
        return;
    }
    const auto bits = bitCast<std::uint64_t>(value);
    const auto field = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (mantissa == 0 && field == 0) {
        return;
    }
    // value = ±mantissa * 2^(place - kPoint), place >= 14.
    int place = 14;
    if (field != 0) {
        mantissa |= std::uint64_t{1} << 52;
        place = field - 1075 + kPoint;
    }
    const auto digit = static_cast<std::size_t>(place / kDigitBits);
    const int shift = place % kDigitBits;
    const auto low = static_cast<std::int64_t>((mantissa << shift) & kDigitMask);
    const auto rest = static_cast<std::int64_t>(mantissa >> (kDigitBits - shift));
    const std::int64_t sign = value < 0 ? -1 : 1;
    digits_[digit] += sign * low;
    digits_[digit + 1] += sign * (rest & kDigitMask);
    digits_[digit + 2] += sign * (rest >> kDigitBits);
    counted(1);
}

void ExactSum::add(const ExactSum& other) {
    ExactSum normalized = other;
    normalized.normalize();
    for (std::size_t i = 0; i < kDigits; ++i) {
        digits_[i] += normalized.digits_[i];
    }
    special_ += other.special_;
    normalize();
}

bool ExactSum::magnitude(std::array<std::int64_t, kDigits>& out) const {
    ExactSum copy = *this;
    copy.normalize();
    const bool negative = copy.digits_.back() < 0;
    if (negative) {
        for (std::int64_t& digit : copy.digits_) {
            digit = -digit;
        }
        copy.normalize();
    }
    out = copy.digits_;
    return negative;
}

double ExactSum::value() const {
    if (special_ != 0 || std::isnan(special_)) {
        return special_;
    }
    std::array<std::int64_t, kDigits> digits{};
    const bool negative = magnitude(digits);
    std::size_t top = kDigits;
    while (top > 0 && digits[top - 1] == 0) {
        --top;
    }
    if (top == 0) {
        return 0;
    }
    const auto bitAt = [&digits](int place) {
        return (digits[static_cast<std::size_t>(place / kDigitBits)] >> (place % kDigitBits)) & 1;
    };
    const int highest = static_cast<int>(top - 1) * kDigitBits +
                        (63 - std::countl_zero(static_cast<std::uint64_t>(digits[top - 1])));
    // The bits kept: 53, fewer where the sum is subnormal (place 14 is 2^-1074).
    const int lowest = std::max(highest - 52, 14);
    std::uint64_t kept = 0;
    for (int place = highest; place >= lowest; --place) {
        kept = (kept << 1) | static_cast<std::uint64_t>(bitAt(place));
    }
    bool half = false;
    bool below = false;
    if (lowest > 0) {
        half = bitAt(lowest - 1) != 0;
        for (int place = lowest - 2; place >= 0 && !below; --place) {
            below = bitAt(place) != 0;
        }
    }
    if (half && (below || (kept & 1) != 0)) {
        ++kept;  // 2^53 after the carry is still exact
    }
    const double result = std::ldexp(static_cast<double>(kept), lowest - kPoint);
    return negative ? -result : result;
}

std::string ExactSum::text() const {
    if (special_ != 0 || std::isnan(special_)) {
        return std::isnan(special_) ? "nan" : special_ > 0 ? "inf" : "-inf";
    }
    std::array<std::int64_t, kDigits> digits{};
    std::string out = magnitude(digits) ? "-" : "";
    const std::size_t signLength = out.size();
    for (std::size_t i = 0; i < kDigits; ++i) {
        if (digits[i] == 0) {
            continue;
        }
        char buffer[32];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, i).ptr;
        *end++ = ':';
        end = std::to_chars(end, buffer + sizeof buffer, digits[i], 16).ptr;
        out += out.size() > signLength ? "," : "";
        out.append(buffer, end);
    }
    return out.size() == signLength ? "0" : out;
}

std::optional<ExactSum> ExactSum::fromText(std::string_view text) {
    ExactSum sum;
    if (text == "nan" || text == "inf" || text == "-inf") {
        sum.special_ = text == "nan" ? std::nan("") : text == "inf" ? HUGE_VAL : -HUGE_VAL;
        return sum;
    }
    if (text == "0") {
        return sum;
    }
    const bool negative = text.starts_with('-');
    text.remove_prefix(negative ? 1 : 0);
    std::size_t last = 0;
    for (bool first = true; first || !text.empty(); first = false) {
        const char* end = text.data() + text.size();
        std::size_t place = 0;
        std::int64_t digit = 0;
        const auto [colon, placeError] = std::from_chars(text.data(), end, place);
        if (placeError != std::errc() || colon == end || *colon != ':') {
            return std::nullopt;
        }
        const auto [stop, digitError] = std::from_chars(colon + 1, end, digit, 16);
        if (digitError != std::errc() || stop == colon + 1 || digit <= 0 || digit > kDigitMask ||
            place >= kDigits || (!first && place <= last)) {
            return std::nullopt;
        }
        sum.digits_[place] = negative ? -digit : digit;
        last = place;
        text.remove_prefix(static_cast<std::size_t>(stop - text.data()));
        if (text.starts_with(',')) {
            text.remove_prefix(1);
            if (text.empty()) {
                return std::nullopt;
            }
        } else if (!text.empty()) {
            return std::nullopt;
        }
    }
    sum.normalize();
    return sum;
}

bool operator==(const ExactSum& a, const ExactSum& b) {
    return a.text() == b.text();
}

}  // namespace lodra
