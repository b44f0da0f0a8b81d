// Bad input, as foresters' registers and fingers produce it: what the intake and the batch
// tool make of it, with the very messages that the table "Felaktig indata" of README.md
// shows. A refused or stopped calculation loses nothing: the texts of the calculations
// before it stay byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calc/randomsource.h"
#include "session/session.h"
#include "tests/testfiles.h"
#include "ui/refusaltext.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

using TextField = std::string InputRecord::*;

struct Field {
    const char* name;
    TextField text;  // null: the diameter of tree row 2
    const char* label;
};

const Field kFields[] = {
    {"totaltid", &InputRecord::totaltid, "Antal år som nuvärdet ska omfatta"},
    {"bonitet", &InputRecord::bonitet, "Bonitet ( m3sk per år och ha )"},
    {"areal", &InputRecord::areal, "Provytans areal ( m2 )"},
    {"ranta", &InputRecord::ranta, "Räntekrav ( % )"},
    {"maxRing", &InputRecord::maxRing, "Största tänkbara årsring i mm"},
    {"variation", &InputRecord::variation, "Variation i diametertillväxt"},
    {"atervandel", &InputRecord::atervandel,
     "Andel av återväxtkostnaden som skall debiteras år 1, 100 = hela"},
    {"berikning", &InputRecord::berikning,
     "Procent av antal plantor per hektar (berikande plantering)"},
    {"cykTillAvv", &InputRecord::cykTillAvv, "Cykler (5-åriga) till nästa avverkning"},
    {"dia2", nullptr, nullptr},
};

InputRecord with(const Field& field, const std::string& text) {
    InputRecord record;
    if (field.text != nullptr) {
        record.*field.text = text;
    } else {
        record.rows[1].text = text;
    }
    return record;
}

std::string notANumber(const Field& field, const std::string& text, char separator) {
    const std::string example = std::string("12") + separator + "5";
    if (field.text == nullptr) {
        return "Träd 2 i fönstret Träddiametrar: diametern \"" + text +
               "\" är inte ett tal. Skriv ett tal, till exempel " + example + ", eller töm raden.";
    }
    return std::string("Fältet \"") + field.label + "\" innehåller \"" + text +
           "\", som inte är ett tal. Skriv ett tal, till exempel " + example + ".";
}

using testfiles::readFile;

// The section "Felaktig indata" of README.md.
std::string readmeTable() {
    const std::string readme = readFile(LODRA05_SOURCE_DIR "/README.md");
    const std::size_t start = readme.find("\n## Felaktig indata\n");
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = readme.find("\n## ", start + 1);
    return readme.substr(start, end == std::string::npos ? end : end - start);
}

// A run of each decimal separator that has calculated the default stand once, as after a
// first "Beräkna".
class Intake : public ::testing::Test {
  protected:
    struct Run {
        explicit Run(char separator) : session(separator) {}
        Session session;
        std::string indata, resultat, file;
    };

    void SetUp() override {
        for (Run* each : {&comma_, &dot_}) {
            ASSERT_TRUE(each->session.berakna(InputRecord{}, {.random = &random}).ok());
            keep(*each);
        }
    }

    // Calculates the record in the run of the separator. A calculation that does not
    // succeed must leave every text as the last one that did left it.
    Outcome run(const InputRecord& record, char separator) {
        separator_ = separator;
        Run& current = separator == ',' ? comma_ : dot_;
        const Outcome outcome = current.session.berakna(record, {.random = &random});
        if (outcome.ok()) {
            keep(current);
        } else {
            const Session& after = current.session;
            EXPECT_TRUE(after.Indata == current.indata && after.Resultat == current.resultat &&
                        after.fileBytes() == current.file)
                << "a failed calculation changed the texts: " << outcome.message();
        }
        return outcome;
    }

    // The session of the last run.
    const Session& session() const { return separator_ == ',' ? comma_.session : dot_.session; }

    // What the window shows for the outcome of the last run; empty when it calculated.
    std::string said(const Outcome& outcome) const {
        return outcome.ok() ? std::string() : windowMessage(outcome.error(), separator_);
    }

    SeededRandom random{7};

  private:
    static void keep(Run& done) {
        done.indata = done.session.Indata;
        done.resultat = done.session.Resultat;
        done.file = done.session.fileBytes();
    }

    char separator_ = ',';
    Run comma_{','};
    Run dot_{'.'};
};

TEST_F(Intake, TextsThatAreNoNumbersAreRefusedNamingTheFieldAndTheText) {
    for (const char separator : {',', '.'}) {
        for (const Field& field : kFields) {
            for (const std::string text : {"abc", "12 cm", "inf", "-inf", "nan", "NaN", "infinity",
                                           "0x10", "1e999", "-1e999", "1 000", "1\u00A0000",
                                           "1'000", "1.000.000", "1,5,0", "1e", "+", "−5", "٣"}) {
                SCOPED_TRACE(std::string(field.name) + " = " + text + " under " + separator);
                const Outcome outcome = run(with(field, text), separator);
                EXPECT_EQ(outcome.error().status, Status::Refused);
                EXPECT_EQ(said(outcome), notANumber(field, text, separator));
            }
        }
    }
}

// A NUL byte in an entry shows as \\0, and the message goes on after it.
TEST_F(Intake, ANulInAnEntryIsShownAsBackslashZero) {
    for (const Field& field : kFields) {
        SCOPED_TRACE(field.name);
        const Outcome outcome = run(with(field, std::string("1\0002", 3)), ',');
        EXPECT_EQ(said(outcome), notANumber(field, "1\\02", ','));
    }
}

TEST_F(Intake, EmptyFieldsAreRefusedButEmptyTreeRowsAreNoTrees) {
    for (const char separator : {',', '.'}) {
        const std::string example = std::string("12") + separator + "5";
        for (const Field& field : kFields) {
            if (field.text == nullptr) {
                continue;
            }
            for (const std::string text : {"", " ", "\t "}) {
                SCOPED_TRACE(std::string(field.name) + " = '" + text + "'");
                const Outcome outcome = run(with(field, text), separator);
                EXPECT_EQ(outcome.error().status, Status::Refused);
                EXPECT_EQ(said(outcome), std::string("Fältet \"") + field.label +
                                             "\" är tomt. Skriv ett tal, till exempel " + example +
                                             ".");
            }
        }
        // A row holding only blanks is not empty: the window cannot tell what was meant.
        EXPECT_EQ(said(run(with(kFields[9], " "), separator)),
                  notANumber(kFields[9], " ", separator));
    }
    InputRecord noTrees;
    for (TreeRow& row : noTrees.rows) {
        row.text.clear();
    }
    ASSERT_TRUE(run(noTrees, ',').ok());
    EXPECT_EQ(session().calculation.s.antalTrad, 0);
    EXPECT_EQ(session().calculation.s.antalAvvDirekt, 0);
}

TEST_F(Intake, EitherSeparatorIsADecimalPointNeverAGroupSeparator) {
    struct Case {
        const char* text;
        char separator;
        double value;  // 0: refused
    };
    for (const Case c : {Case{"1,5", ',', 1.5}, Case{"1.5", ',', 1.5}, Case{"1.5", '.', 1.5},
                         Case{" 1,5 ", ',', 1.5}, Case{"1,000", ',', 1.0}, Case{"1.000", ',', 1.0},
                         Case{"1.000", '.', 1.0}, Case{"1,5", '.', 0}, Case{"1,000", '.', 0},
                         Case{"1,000.5", ',', 0}, Case{"1.000,5", ',', 0}}) {
        SCOPED_TRACE(std::string(c.text) + " under " + c.separator);
        InputRecord record;
        record.bonitet = c.text;
        const Outcome outcome = run(record, c.separator);
        if (c.value == 0) {
            EXPECT_EQ(said(outcome), notANumber(kFields[1], c.text, c.separator));
        } else {
            ASSERT_TRUE(outcome.ok()) << outcome.message();
            EXPECT_EQ(session().calculation.s.bonitet, c.value);
        }
    }
    // The horizon is rounded to whole years, a half to the even neighbour.
    InputRecord record;
    record.totaltid = "12,5";
    ASSERT_TRUE(run(record, ',').ok());
    EXPECT_EQ(session().calculation.s.totaltid, 12);
}

// Huge and negative values in every field: each either calculates to finite figures or is
// refused or stopped with its message (under ',').
TEST_F(Intake, HugeAndNegativeValuesInEveryField) {
    const std::string years = " Antalet år måste vara ett heltal från 1 till 32767.";
    const std::string rates = " Avverkningsdiametern finns bara för räntekraven 2, 3, 4 och 5 %.";
    const std::string ringSearch =
        "Beräkningen avbröts: ett tal blev för stort eller ogiltigt i sökningen av årsringen";
    struct Case {
        const char* field;
        const char* text;
        std::string message;  // empty: calculated
    };
    const Case cases[] = {
        {"totaltid", "1e300",
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"1e300\"." + years},
        {"totaltid", "32768",
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"32768\"." + years},
        {"totaltid", "-1",
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"-1\"." + years},
        {"totaltid", "0", "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"0\"." + years},
        {"totaltid", "32767,5",
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"32767,5\"." + years},
        {"totaltid", "0,4",
         "Fältet \"Antal år som nuvärdet ska omfatta\" innehåller \"0,4\"." + years},
        {"bonitet", "1e300", ""},
        {"bonitet", "-1",
         "Fältet \"Bonitet ( m3sk per år och ha )\" innehåller \"-1\". Boniteten "
         "får inte vara negativ."},
        {"areal", "1e300", ""},
        {"areal", "1e-300", ""},
        {"areal", "1e-310",
         "Beräkningen avbröts: ett tal blev för stort eller ogiltigt i inläsningen av "
         "parametrarna. Kontrollera indata."},
        {"areal", "-1",
         "Fältet \"Provytans areal ( m2 )\" innehåller \"-1\". Arealen måste vara "
         "större än 0 m2."},
        {"areal", "0",
         "Fältet \"Provytans areal ( m2 )\" innehåller \"0\". Arealen måste vara "
         "större än 0 m2."},
        {"ranta", "2,5", "Fältet \"Räntekrav ( % )\" innehåller \"2,5\"." + rates},
        {"ranta", "1e300", "Fältet \"Räntekrav ( % )\" innehåller \"1e300\"." + rates},
        {"ranta", "-1", "Fältet \"Räntekrav ( % )\" innehåller \"-1\"." + rates},
        {"maxRing", "1e300",
         "Fältet \"Största tänkbara årsring i mm\" innehåller \"1e300\". Den "
         "största tänkbara årsringen får vara högst 100 mm."},
        {"maxRing", "-1", ""},
        {"variation", "1e300",
         ringSearch + " (femårsperioden som börjar år 5). Kontrollera indata."},
        {"variation", "-1", ""},
        {"atervandel", "1e300", ""},
        {"atervandel", "-1", ""},
        {"berikning", "1e300", ""},
        {"berikning", "-1", ""},
        {"cykTillAvv", "1e300", ""},
        {"cykTillAvv", "-1", ""},
        {"dia2", "1e300", ringSearch + ". Kontrollera indata."},
        {"dia2", "-1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.text);
        const Field* field = nullptr;
        for (const Field& f : kFields) {
            if (std::string(f.name) == c.field) {
                field = &f;
            }
        }
        ASSERT_NE(field, nullptr);
        const Outcome outcome = run(with(*field, c.text), ',');
        EXPECT_EQ(said(outcome), c.message);
        if (outcome.ok()) {
            for (const std::string* text : {&session().Indata, &session().Resultat}) {
                for (const char* bad : {"nan", "inf", "NaN", "Inf", "\u2212"}) {
                    EXPECT_EQ(text->find(bad), std::string::npos) << bad << " in\n" << *text;
                }
            }
        }
    }
}

TEST_F(Intake, ATickOnAnEmptyTreeRowChangesNothing) {
    InputRecord ticked;
    ticked.rows[6].avverkas = true;
    ASSERT_TRUE(run(ticked, ',').ok());
    const std::string withTick = session().Indata + session().Resultat;
    ASSERT_TRUE(run(InputRecord{}, ',').ok());
    EXPECT_EQ(withTick, session().Indata + session().Resultat);
}

// The messages README.md's table quotes are those the program shows.
TEST_F(Intake, TheReadmeTableQuotesTheIntakesMessages) {
    const std::string table = readmeTable();
    ASSERT_FALSE(table.empty()) << "README.md has no section \"Felaktig indata\"";
    struct Row {
        const char* field;
        const char* text;
    };
    for (const Row row :
         {Row{"bonitet", ""}, Row{"bonitet", "abc"}, Row{"bonitet", "inf"}, Row{"bonitet", "1e999"},
          Row{"bonitet", "1 000"}, Row{"dia2", " "}, Row{"totaltid", "1e300"}, Row{"bonitet", "-1"},
          Row{"areal", "-1"}, Row{"areal", "1e-310"}, Row{"ranta", "-1"}, Row{"maxRing", "1e300"},
          Row{"variation", "1e300"}, Row{"dia2", "1e300"}}) {
        for (const Field& field : kFields) {
            if (std::string(field.name) != row.field) {
                continue;
            }
            const Outcome outcome = run(with(field, row.text), ',');
            ASSERT_FALSE(outcome.ok()) << row.field << " = " << row.text;
            EXPECT_NE(table.find("`" + said(outcome) + "`"), std::string::npos)
                << "README.md does not quote: " << said(outcome);
        }
    }
    InputRecord record;
    record.bonitet = "1,5";
    const Outcome outcome = run(record, '.');
    EXPECT_NE(table.find("`" + said(outcome) + "`"), std::string::npos)
        << "README.md does not quote: " << said(outcome);
}

#ifdef LODRA05_BATCH
// Stand files that cannot be used at all, run through the built lodra05-batch: exit
// status 2, one message on standard error, nothing written; and those it reads.
class BatchFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testfiles::newFolder("badinput");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { fs::remove_all(folder); }

    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }

    // Runs the tool in the folder under Swedish settings; returns its exit status.
    int run(const std::string& arguments) {
        const std::string command =
            "cd '" + folder.string() + "' && LC_ALL=sv_SE.UTF-8 '" LODRA05_BATCH "' " + arguments +
            " >'" + (folder / ".out").string() + "' 2>'" + (folder / ".err").string() + "'";
        const int status = std::system(command.c_str());
        out = readFile(folder / ".out");
        err = readFile(folder / ".err");
        fs::remove(folder / ".out");
        fs::remove(folder / ".err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<std::string> names() { return testfiles::fileNames(folder); }

    struct Case {
        const char* name;
        std::string bytes;
        std::string message;
    };
    // Each file refused whole with its message, which README.md quotes; nothing written.
    void checkRefused(const std::vector<Case>& cases);

    fs::path folder;
    std::string out, err;
};

TEST_F(BatchFile, FilesThatCannotBeUsedAreRefusedWholeAndNothingIsWritten) {
    const std::vector<Case> cases = {
        {"citat.csv", "totaltid;bonitet\n250;4\n\"250;4\n",
         "lodra05-batch: Fel i beståndsfilen \"citat.csv\": Rad 3: ett citattecken som inleder "
         "ett fält avslutas aldrig.\n"},
        {"citat2.csv", "totaltid;bonitet\n\"250\"4;4\n",
         "lodra05-batch: Fel i beståndsfilen \"citat2.csv\": Rad 2: efter ett avslutande "
         "citattecken ska ';' eller radslut följa.\n"},
        {"fler.csv", "totaltid;bonitet\n250;4\n250;4;50\n",
         "lodra05-batch: Fel i beståndsfilen \"fler.csv\": Rad 3 har fler fält än rubrikraden, "
         "som har 2.\n"},
        {"tom.csv", "",
         "lodra05-batch: Fel i beståndsfilen \"tom.csv\": Filen är tom: den saknar rubrikrad med "
         "kolumnernas namn.\n"},
        {"utf16.csv", std::string("\xFF\xFEt\0o\0t\0\n\0", 10),
         "lodra05-batch: Fel i beståndsfilen \"utf16.csv\": Filen är varken UTF-8 eller "
         "Windows-1252 (den är kanske UTF-16). Spara den som UTF-8 eller Windows-1252.\n"},
        {"bred.csv", std::string(300, ';') + "\n250\n",
         "lodra05-batch: Fel i beståndsfilen \"bred.csv\": Rubrikraden har fler än 256 fält.\n"},
        {"semikolon.csv", "totaltid\n" + std::string(3 << 20, ';') + "\n",
         "lodra05-batch: Fel i beståndsfilen \"semikolon.csv\": Rad 2 har fler fält än "
         "rubrikraden, som har 1.\n"},
    };
    checkRefused(cases);
}

// A row of 100 MB is refused after its first megabyte (slow: under the label large).
TEST_F(BatchFile, LargeRowIsRefusedAfterItsFirstMegabyte) {
    checkRefused({{"lang.csv", "totaltid\n" + std::string(100 << 20, '7') + "\n",
                   "lodra05-batch: Fel i beståndsfilen \"lang.csv\": Rad 2 är längre än 1 MB.\n"}});
}

void BatchFile::checkRefused(const std::vector<Case>& cases) {
    const std::string table = readmeTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.name, c.bytes);
        EXPECT_EQ(run("--table tabell.csv " + std::string(c.name)), 2);
        EXPECT_EQ(err, c.message);
        EXPECT_EQ(out, "");
        EXPECT_EQ(names(), std::vector<std::string>{c.name});
        std::string shown = c.message.substr(0, c.message.size() - 1);
        EXPECT_NE(table.find("`" + shown + "`"), std::string::npos)
            << "README.md does not quote: " << shown;
        fs::remove(folder / c.name);
    }
}

// The batch tool names a refused entry by row and column, as README.md quotes it.
TEST_F(BatchFile, RefusedEntriesAreNamedByRowAndColumn) {
    write("fel.csv", "bonitet;ranta\nabc;3\n4;2,5\n4;3\n");
    EXPECT_EQ(run("--output - fel.csv"), 1);
    const std::string expected[] = {
        "Rad 2, kolumn bonitet: \"abc\" är inte ett tal.",
        "Rad 3, kolumn ranta: \"2,5\" kan inte användas. Avverkningsdiametern finns bara för "
        "räntekraven 2, 3, 4 och 5 %.",
    };
    EXPECT_EQ(err, expected[0] + "\n" + expected[1] + "\n");
    const std::string table = readmeTable();
    for (const std::string& line : expected) {
        EXPECT_NE(table.find("`" + line + "`"), std::string::npos)
            << "README.md does not quote: " << line;
    }
}

TEST_F(BatchFile, ByteOrderMarkWindows1252AndATickOnAnEmptyRowAreReadAsMeant) {
    const std::string header = "totaltid;tradslag;dia1;avv1;dia2;avv2;dia3;avv3\r\n";
    write("utf8.csv", header + "250;Löv;45;x;35;;;x\r\n");
    ASSERT_EQ(run("--output - utf8.csv"), 0) << err;
    const std::string expected = out;
    ASSERT_NE(expected.find("L\xF6v"), std::string::npos);  // "Löv" in the saved bytes

    write("bom.csv", "\xEF\xBB\xBF" + header + "250;Löv;45;x;35;;;x\r\n");
    write("cp1252.csv", header + "250;L\xF6v;45;x;35;;;x\r\n");
    write("utan-kryss.csv", header + "250;Löv;45;x;35;;;\r\n");
    for (const char* name : {"bom.csv", "cp1252.csv", "utan-kryss.csv"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run(std::string("--output - ") + name), 0);
        EXPECT_EQ(err, "");
        EXPECT_EQ(out, expected);
    }
}
#endif

}  // namespace
}  // namespace lodra
