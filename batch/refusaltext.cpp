#include "batch/refusaltext.h"

#include <array>

#include "standfile/standfile.h"
#include "calc/quote.h"

namespace lodra::batch {

namespace {

// The parameters in the order of StandColumns::kParameterNames, whose names the columns
// of a stand file have.
constexpr std::array<InputField, StandColumns::kParameters> kParameterFields = {
    InputField::totaltid,   InputField::bonitet,   InputField::areal,
    InputField::ranta,      InputField::maxRing,   InputField::variation,
    InputField::atervandel, InputField::berikning, InputField::cykTillAvv,
};

std::string columnName(const Refusal& refusal) {
    if (refusal.field == InputField::tree) {
        return "dia" + std::to_string(refusal.row);
    }
    for (std::size_t p = 0; p < kParameterFields.size(); ++p) {
        if (kParameterFields[p] == refusal.field) {
            return StandColumns::kParameterNames[p];
        }
    }
    return "?";
}

}  // namespace

std::string refusalText(const Error& error) {
    if (error.status != Status::Refused) {
        return error.message;
    }
    const Refusal& refusal = error.refusal;
    const std::string column = "kolumn " + columnName(refusal);
    switch (refusal.reason) {
        case RefusalReason::NotANumber:
            break;
        case RefusalReason::Empty:
            return column + " är tom.";
        case RefusalReason::OutOfRange:
            return column + ": " + inQuotes(refusal.text) + " kan inte användas. " + refusal.rule;
    }
    return column + ": " + inQuotes(refusal.text) + " är inte ett tal.";
}

const char* afterRow(const Error& error) {
    return error.status == Status::Refused ? ", " : ": ";
}

}  // namespace lodra::batch
