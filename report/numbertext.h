#pragma once

// Numbers and diameter lists as report text. Only the decimal separator comes from the
// user's regional settings; the minus is always the ASCII '-', and digits are never grouped.
// The append forms write the same text onto the end of a string without making one of
// their own, for texts built a line at a time.

#include <cstdint>
#include <string>
#include <string_view>

#include "calc/diameterlist.h"

namespace lodra {

// The value to at most 15 significant digits, trailing zeros dropped, exponent form
// below 1E-04 and from 1E+15 (as C's %.15G). A zero of either sign is "0".
std::string numberText(double value, char decimalSeparator);
std::string numberText(int value);
void appendNumber(std::string& out, double value, char decimalSeparator);
void appendNumber(std::string& out, int value);

// The six patterns of the report: "##0", "###0", "####0", "######0" (whole numbers),
// "##0.0" and "##0.00". The value is read to 15 significant digits and rounded half away
// from zero; a negative value that rounds to zero has no minus sign.
std::string patternText(double value, std::string_view pattern, char decimalSeparator);
// patternText right-justified in width characters (never cut).
void appendPattern(std::string& out, double value, std::string_view pattern, int width,
                   char decimalSeparator);

// Right-justifies txt in lgd characters (UTF-8 text, counted in characters). A longer
// text is returned whole.
std::string HJ(const std::string& txt, int lgd);

// Entries 1..n of a diameter list, each as "##0.0" right-justified in six characters,
// separated by ",".
std::string printDiaList(const DiameterList& list, int n, char decimalSeparator);
void appendDiaList(std::string& out, const DiameterList& list, int n, char decimalSeparator);

}  // namespace lodra
