// The batch tool's wording of a refused entry: by its column, never by a window's caption.
// The run's expected standard error and table hold whole lines.
#include "batch/refusaltext.h"

#include <gtest/gtest.h>

namespace lodra::batch {
namespace {

TEST(RefusalText, EveryParameterByItsColumnName) {
    const std::pair<InputField, const char*> columns[] = {
        {InputField::totaltid, "totaltid"},     {InputField::bonitet, "bonitet"},
        {InputField::areal, "areal"},           {InputField::ranta, "ranta"},
        {InputField::maxRing, "maxRing"},       {InputField::variation, "variation"},
        {InputField::atervandel, "atervandel"}, {InputField::berikning, "berikning"},
        {InputField::cykTillAvv, "cykTillAvv"},
    };
    for (const auto& [field, column] : columns) {
        const Error error{
            "oanvänd", Status::Refused, {field, 0, "x", RefusalReason::NotANumber, {}}};
        EXPECT_EQ(refusalText(error), std::string("kolumn ") + column + ": \"x\" är inte ett tal.");
    }
}

}  // namespace
}  // namespace lodra::batch
