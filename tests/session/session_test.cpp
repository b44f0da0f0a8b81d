// The run's texts: only a calculation that succeeded whole changes them.
#include <gtest/gtest.h>

#include <string>

#include "report/windows1252.h"
#include "session/session.h"
#include "tests/seededsession.h"

namespace lodra {
namespace {

using testsession::calculate;

TEST(Session, FileTextsGrowOnlyWithSuccessfulCalculations) {
    Session session('.');
    ASSERT_TRUE(calculate(session, InputRecord{}).ok());
    const std::string indata = session.Indata;
    const std::string resultat = session.Resultat;
    const std::string oneIndata = session.prIndata;
    const std::string oneResultat = session.prResultat;

    InputRecord bad;
    bad.ranta = "2.5";
    EXPECT_EQ(calculate(session, bad).error().status, Status::Refused);
    EXPECT_EQ(session.Indata, indata);
    EXPECT_EQ(session.prIndata, oneIndata);
    EXPECT_EQ(session.prResultat, oneResultat);

    ASSERT_TRUE(calculate(session, InputRecord{}).ok());
    EXPECT_EQ(session.Indata, indata);
    EXPECT_EQ(session.Resultat, resultat);
    EXPECT_EQ(session.prIndata, oneIndata + oneIndata);
    EXPECT_EQ(session.prResultat, oneResultat + oneResultat);
    EXPECT_EQ(session.fileBytes(),
              toWindows1252(oneIndata + oneIndata + "\r\n" + oneResultat + oneResultat + "\r\n"));
}

// The screen texts are those of the latest stand alone, however many came before: nothing
// of an earlier stand's text is left in them.
TEST(Session, ScreenTextsHoldOnlyTheLatestStand) {
    const char* const rates[] = {"2", "3", "4", "2", "5"};
    Session run(',');
    for (const char* rate : rates) {
        InputRecord input;
        input.ranta = rate;
        ASSERT_TRUE(calculate(run, input).ok()) << rate;
        Session alone(',');
        ASSERT_TRUE(calculate(alone, input).ok()) << rate;
        EXPECT_EQ(run.Indata, alone.Indata) << rate;
        EXPECT_EQ(run.Resultat, alone.Resultat) << rate;
    }
}

// A run that shows no screen builds the file texts alone, already in Windows-1252: the same
// bytes the windows' run saves, for every line the file form writes differently.
TEST(Session, FileBytesAreTheSavedFormOfTheFileTexts) {
    struct Case {
        const char* name;
        void (*set)(InputRecord&);
    };
    const Case cases[] = {
        {"initial", [](InputRecord&) {}},
        {"variation, Löv",
         [](InputRecord& in) {
             in.variation = "30";
             in.species = Species::lov;
         }},
        {"clear-felling, Tall",
         [](InputRecord& in) {
             in.measure = Measure::kalavverkning;
             in.species = Species::tall;
         }},
        {"diameters after 400 years", [](InputRecord& in) { in.totaltid = "500"; }},
        {"no felling",
         [](InputRecord& in) {
             in.rows = {{{"3", false}}};
         }},
    };
    for (const char sep : {'.', ','}) {
        Session screen(sep);
        Session file(sep);
        file.texts = Session::Texts::fileBytes;
        for (const Case& c : cases) {
            InputRecord input;
            c.set(input);
            ASSERT_TRUE(calculate(screen, input).ok()) << c.name;
            ASSERT_TRUE(calculate(file, input).ok()) << c.name;
            EXPECT_TRUE(file.Indata.empty() && file.Resultat.empty()) << c.name;
        }
        EXPECT_EQ(file.prIndata, toWindows1252(screen.prIndata)) << sep;
        EXPECT_EQ(file.prResultat, toWindows1252(screen.prResultat)) << sep;
    }
}

}  // namespace
}  // namespace lodra
