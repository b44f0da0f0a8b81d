#include "calc/intake.h"

#include <cmath>
#include <string>
#include <utility>

#include "base/quote.h"
#include "calc/floatflags.h"
#include "calc/numberparse.h"
#include "calc/parameters.h"
#include "calc/standstate.h"

namespace lodra {

namespace {

// Ends the intake with the refusal of an entry.
struct IntakeRefusal {
    Error error;
};

// Refuses the input. The message names no window: the front ends word a refusal from its
// data; this text is for a caller that only shows messages.
[[noreturn]] void refuse(Refusal refusal) {
    std::string message;
    switch (refusal.reason) {
        case RefusalReason::NotANumber:
            message = inQuotes(refusal.text) + " är inte ett tal.";
            break;
        case RefusalReason::Empty:
            message = "Ett tal saknas.";
            break;
        case RefusalReason::OutOfRange:
            message = inQuotes(refusal.text) + ": " + refusal.rule;
            break;
    }
    throw IntakeRefusal{Error{std::move(message), Status::Refused, std::move(refusal)}};
}

// The text of a parameter in the input record.
const std::string& textOf(const InputRecord& input, InputField field) {
    return input.*parameterRow(field)->member;
}

// The number of a parameter's text; refused when the text is empty or not a number.
double parameter(const InputRecord& input, InputField field, char decimalSeparator) {
    const std::string& text = textOf(input, field);
    if (const auto value = parseNumber(text, decimalSeparator)) {
        return *value;
    }
    const bool blank = withoutBlanks(text).empty();
    refuse({field, 0, text, blank ? RefusalReason::Empty : RefusalReason::NotANumber, {}});
}

// Refuses a parameter whose number breaks the rule of its field.
void require(bool kept, const InputRecord& input, InputField field, const FixedText& rule) {
    if (!kept) {
        refuse(
            {field, 0, textOf(input, field), RefusalReason::OutOfRange, std::string(rule.view())});
    }
}

// The horizon in whole years, kHorizonMin to kHorizonMax.
int16_t horizon(const InputRecord& input, char decimalSeparator) {
    // std::nearbyint in the default rounding mode (to nearest) takes a half to the even
    // neighbour: 12.5 years are 12, 13.5 are 14.
    const double years = std::nearbyint(parameter(input, InputField::totaltid, decimalSeparator));
    require(years >= kHorizonMin && years <= kHorizonMax, input, InputField::totaltid,
            kHorizonBroken);
    return static_cast<int16_t>(years);
}

// The diameter of tree row k (1-10), cm; none for an empty row.
std::optional<double> treeDiameter(const TreeRow& row, int k, char decimalSeparator) {
    if (row.text.empty()) {
        return std::nullopt;
    }
    const auto value = parseNumber(row.text, decimalSeparator);
    if (!value) {
        // A row of blanks only is not empty: nobody can tell what was meant.
        refuse({InputField::tree, k, row.text, RefusalReason::NotANumber, {}});
    }
    return value;
}

// Every parameter and tree row, read and checked in the window's order before anything
// is computed.
Intake readInput(const InputRecord& input, char sep, bool rateAndInterval) {
    Intake in;
    in.totaltid = horizon(input, sep);
    in.bonitet = parameter(input, InputField::bonitet, sep);
    require(!(in.bonitet < kBonitetMin), input, InputField::bonitet, kBonitetBroken);
    in.areal = parameter(input, InputField::areal, sep);
    require(in.areal > kArealAbove, input, InputField::areal, kArealBroken);
    if (rateAndInterval) {
        in.ranta = parameter(input, InputField::ranta, sep);
        require(isRate(in.ranta), input, InputField::ranta, kRateBroken);
    }
    in.maxRing = parameter(input, InputField::maxRing, sep);
    require(!(in.maxRing > kMaxRingMax), input, InputField::maxRing, kMaxRingBroken);
    in.tradslag = speciesCode(input.species);
    in.variation = parameter(input, InputField::variation, sep);
    in.atervandel = parameter(input, InputField::atervandel, sep);
    in.atgard = measureCode(input.measure);
    in.berikning = parameter(input, InputField::berikning, sep);
    if (rateAndInterval) {
        in.cykTillAvv = parameter(input, InputField::cykTillAvv, sep);
    }
    for (std::size_t k = 0; k < in.rows.size(); ++k) {
        in.rows[k] = treeDiameter(input.rows[k], static_cast<int>(k) + 1, sep);
        in.avverkas[k] = input.rows[k].avverkas;
    }
    return in;
}

}  // namespace

Result<Intake> acceptIntake(const InputRecord& input, char decimalSeparator, bool rateAndInterval) {
    try {
        return readInput(input, decimalSeparator, rateAndInterval);
    } catch (const IntakeRefusal& refused) {
        clearFloatFlags();
        return refused.error;
    }
}

}  // namespace lodra
