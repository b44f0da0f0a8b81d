// The batch tool's wording of a stand the calculation did not take: by column, never by a
// window's caption.
#include "batch/refusaltext.h"

#include <gtest/gtest.h>

namespace lodra::batch {
namespace {

Error refused(InputField field, int row, const char* text, RefusalReason reason,
              const char* rule = "") {
    return Error{"oanvänd", Status::Refused, Refusal{field, row, text, reason, rule}};
}

TEST(RefusalText, NamesTheColumnOfARefusalAndQuotesAnyOtherFailure) {
    const struct {
        Error error;
        const char* line;  // as on standard error, after "Rad 2"
    } cases[] = {
        {refused(InputField::tree, 10, " ", RefusalReason::NotANumber),
         ", kolumn dia10: \" \" är inte ett tal."},
        {refused(InputField::atervandel, 0, "", RefusalReason::Empty),
         ", kolumn atervandel är tom."},
        {fail("Beräkningen avbröts: ett index utanför trädlistan."),
         ": Beräkningen avbröts: ett index utanför trädlistan."},
        {Error{"Beräkningen avbröts.", Status::Cancelled, {}}, ": Beräkningen avbröts."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(afterRow(c.error) + refusalText(c.error), c.line);
    }
}

TEST(RefusalText, EveryParameterByItsColumnName) {
    const std::pair<InputField, const char*> columns[] = {
        {InputField::totaltid, "totaltid"},     {InputField::bonitet, "bonitet"},
        {InputField::areal, "areal"},           {InputField::ranta, "ranta"},
        {InputField::maxRing, "maxRing"},       {InputField::variation, "variation"},
        {InputField::atervandel, "atervandel"}, {InputField::berikning, "berikning"},
        {InputField::cykTillAvv, "cykTillAvv"},
    };
    for (const auto& [field, column] : columns) {
        EXPECT_EQ(refusalText(refused(field, 0, "x", RefusalReason::NotANumber)),
                  std::string("kolumn ") + column + ": \"x\" är inte ett tal.");
    }
}

}  // namespace
}  // namespace lodra::batch
