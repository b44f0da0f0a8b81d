#include "batch/refusaltext.h"

#include "base/quote.h"
#include "calc/parameters.h"
#include "standfile/standfile.h"

namespace lodra::batch {

namespace {

std::string columnName(const Refusal& refusal) {
    if (refusal.field == InputField::tree) {
        return std::string(kDiameterColumn) + std::to_string(refusal.row);
    }
    const ParameterRow* row = parameterRow(refusal.field);
    return row != nullptr ? std::string(row->column) : "?";
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
