#include "ui/refusaltext.h"

#include <utility>

#include "base/quote.h"

namespace lodra {

namespace {

// The labels of the parameters window, cut where a label runs on into advice (the largest
// ring, enrichment planting, cycles). Being cut, they cannot be read back from the form:
// this table is their one place, for the messages and the tests alike, and the window test
// of the captions holds each against its label in the form.
constexpr std::pair<InputField, const char*> kCaptions[] = {
    {InputField::totaltid, "Antal år som nuvärdet ska omfatta"},
    {InputField::bonitet, "Bonitet ( m3sk per år och ha )"},
    {InputField::areal, "Provytans areal ( m2 )"},
    {InputField::ranta, "Räntekrav ( % )"},
    {InputField::maxRing, "Största tänkbara årsring i mm"},
    {InputField::variation, "Variation i diametertillväxt"},
    {InputField::atervandel, "Andel av återväxtkostnaden som skall debiteras år 1, 100 = hela"},
    {InputField::berikning, "Procent av antal plantor per hektar (berikande plantering)"},
    {InputField::cykTillAvv, "Cykler (5-åriga) till nästa avverkning"},
};

}  // namespace

const char* fieldCaption(InputField field) {
    for (const auto& [captioned, caption] : kCaptions) {
        if (captioned == field) {
            return caption;
        }
    }
    return "";
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
