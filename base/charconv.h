#pragma once

// A double read from text and written as text, byte for byte as std::from_chars and
// std::to_chars do it. Where the standard library lacks their floating-point forms (the
// WebAssembly build's), the same bytes come from the C library: strtod on the text
// checked and copied first, snprintf with the precision asked for; both are correctly
// rounded, so the value and the digits are the same.

#include <charconv>

namespace lodra {

// std::from_chars(first, last, value, std::chars_format::general).
std::from_chars_result fromChars(const char* first, const char* last, double& value);

// std::to_chars(first, last, value, format, precision), for format scientific or general.
std::to_chars_result toChars(char* first, char* last, double value, std::chars_format format,
                             int precision);

// The C library's way of both, which fromChars and toChars take where the standard library
// has no floating-point forms; compiled on every build so that the two can be compared.
namespace clibrary {
std::from_chars_result fromChars(const char* first, const char* last, double& value);
std::to_chars_result toChars(char* first, char* last, double value, std::chars_format format,
                             int precision);
}  // namespace clibrary

}  // namespace lodra
