#include "base/charconv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/bitcast.h"

namespace lodra {
namespace {

struct Read {
    std::ptrdiff_t consumed;
    std::errc ec;
    std::uint64_t bits;  // of the value, which stays as it was on an error
};

Read readWith(std::from_chars_result (*read)(const char*, const char*, double&),
              const std::string& text) {
    double value = -7.25;
    const auto [end, ec] = read(text.data(), text.data() + text.size(), value);
    return {end - text.data(), ec, bitCast<std::uint64_t>(value)};
}

void expectSameRead(const std::string& text) {
    const Read library =
        readWith([](const char* f, const char* l,
                    double& v) { return std::from_chars(f, l, v, std::chars_format::general); },
                 text);
    const Read own = readWith(clibrary::fromChars, text);
    EXPECT_EQ(own.consumed, library.consumed) << text;
    EXPECT_EQ(own.ec, library.ec) << text;
    // Every NaN reads as the same value here; the callers refuse it anyway.
    if (!(std::isnan(bitCast<double>(own.bits)) && std::isnan(bitCast<double>(library.bits)))) {
        EXPECT_EQ(own.bits, library.bits) << text;
    }
}

TEST(CharConv, ReadsEveryEdgeAsTheStandardLibrary) {
    const struct {
        const char* what;
        std::vector<std::string> texts;
    } groups[] = {
        {"ordinary forms and the prefix that is read",
         {"0", "-0", "12", "12.5", ".5", "5.", "-.5", "1e5", "1E5", "1e+5", "1e-5", "1e", "1.5e+",
          "1.5E-5x", "12,5", "007", "0.1", "0.30000000000000004"}},
        {"not numbers", {"", "-", ".", "-.e1", "+1", " 1", "e5", "x1"}},
        {"hexadecimal, not read in the general form: \"0\" and no more", {"0x1p3", "0X10"}},
        {"infinities and NaNs, in any case",
         {"inf", "-inf", "infinity", "INFINITY", "infx", "infinit", "nan", "-nan", "NaN",
          "nan(123)", "nan(", "nan(a_b)", "nan(a-b)"}},
        {"the largest double, overflow, subnormals and underflow to zero",
         {"1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308", "1e400",
          "-1e400", "1e99999999999999999999", "1e-310", "2.4703282292062328e-324",
          "2.4703282292062327e-324", "4.9406564584124654e-324", "1e-324", "-1e-400",
          "0e999999999999", "0.000e-99999", "1e-99999999999999999999"}},
        {"halfway cases and long digit strings",
         {"9007199254740993", "9007199254740992.5000000000000000001", "2.2250738585072011e-308",
          "2.2250738585072012e-308", "0.1000000000000000055511151231257827021181583404541015625",
          "123456789012345678901234567890123456789e-30"}},
    };
    for (const auto& group : groups) {
        SCOPED_TRACE(group.what);
        for (const std::string& text : group.texts) {
            expectSameRead(text);
        }
    }
}

TEST(CharConv, ReadsRandomNumbersAsTheStandardLibrary) {
    std::mt19937_64 random(28);
    for (int i = 0; i < 20000; ++i) {
        double value = bitCast<double>(random());
        if (!std::isfinite(value)) {
            continue;
        }
        // Each double at 17 digits (exact round trip) and cut to fewer (rounded reads).
        char text[64];
        const auto [end, ec] =
            std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                          static_cast<int>(random() % 17));
        expectSameRead(std::string(text, end));
        // A decimal as an entry is typed, written the shortest way.
        const double entry = static_cast<double>(random() % 100000000) / 1000;
        const auto fixed = std::to_chars(text, text + sizeof text, entry);
        expectSameRead(std::string(text, fixed.ptr));
    }
}

TEST(CharConv, WritesAsTheStandardLibrary) {
    std::mt19937_64 random(5);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  0.5,
                                  0.1,
                                  1e-4,
                                  9.99999999999999e-5,
                                  1e15,
                                  999999999999999.5,
                                  123456789012345.6,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  2.5,
                                  0.125,
                                  1e22,
                                  5e-324};
    for (int i = 0; i < 20000; ++i) {
        const double value = bitCast<double>(random());
        values.push_back(std::isfinite(value) ? value : 1.0 / (i + 1));
        values.push_back(static_cast<double>(random() % 100000000) / 100);
    }
    for (const double value : values) {
        for (const auto format : {std::chars_format::scientific, std::chars_format::general}) {
            for (const int precision : {0, 1, 6, 14, 15, 17, 30}) {
                char library[400];
                char own[400];
                const auto a =
                    std::to_chars(library, library + sizeof library, value, format, precision);
                const auto b = clibrary::toChars(own, own + sizeof own, value, format, precision);
                ASSERT_EQ(std::string(own, b.ptr), std::string(library, a.ptr))
                    << value << " precision " << precision;
            }
        }
    }
}

TEST(CharConv, TooSmallABufferIsSaid) {
    char buffer[4];
    const auto written =
        clibrary::toChars(buffer, buffer + sizeof buffer, 12345.0, std::chars_format::general, 15);
    EXPECT_EQ(written.ec, std::errc::value_too_large);
    EXPECT_EQ(written.ptr, buffer + sizeof buffer);
}

}  // namespace
}  // namespace lodra
