#include "ui/refusaltext.h"

#include "base/quote.h"
#include "calc/parameters.h"

namespace lodra {

const char* fieldCaption(InputField field) {
    // The captions are literals, so each ends in NUL.
    const ParameterRow* row = parameterRow(field);
    return row != nullptr ? row->caption.data() : "";
}

std::string windowMessage(const Error& error, char decimalSeparator) {
    if (error.status != Status::Refused) {
        return error.message;
    }
    const Refusal& refusal = error.refusal;
    const std::string example = std::string("12") + decimalSeparator + "5";
    const std::string text = inQuotes(refusal.text);
    if (refusal.field == InputField::tree) {
        // Only a text that is not a number is refused in a tree row.
        return "Träd " + std::to_string(refusal.row) + " i fönstret Träddiametrar: diametern " +
               text + " är inte ett tal. Skriv ett tal, till exempel " + example +
               ", eller töm raden.";
    }
    const std::string field = "Fältet " + inQuotes(fieldCaption(refusal.field));
    switch (refusal.reason) {
        case RefusalReason::NotANumber:
            break;
        case RefusalReason::Empty:
            return field + " är tomt. Skriv ett tal, till exempel " + example + ".";
        case RefusalReason::OutOfRange:
            return field + " innehåller " + text + ". " + refusal.rule;
    }
    return field + " innehåller " + text + ", som inte är ett tal. Skriv ett tal, till exempel " +
           example + ".";
}

}  // namespace lodra
