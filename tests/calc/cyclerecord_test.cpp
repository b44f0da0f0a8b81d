// The record of the cycles: what a row holds, how many there are, that they add up to the
// present value, and that recording changes no byte of any report.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <type_traits>

#include "calc/calculation.h"
#include "session/session.h"
#include "standfile/standfile.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

// calc: a StandCalculation or a Session.
template <typename Calculator>
Outcome calculate(Calculator& calc, const InputRecord& input, CycleRecord* record) {
    SeededRandom random(7);
    CalcOptions options;
    options.random = &random;
    options.cycleRecord = record;
    if constexpr (std::is_same_v<Calculator, Session>) {
        return calc.berakna(input, options);
    } else {
        return calc.berakna(input, '.', options);
    }
}

TEST(CycleRecord, FirstRowOfTheDefaultStand) {
    StandCalculation calc;
    CycleRecord record;
    ASSERT_TRUE(calculate(calc, InputRecord{}, &record).ok());
    ASSERT_FALSE(record.rows.empty());
    const CycleRow& row = record.rows.front();
    EXPECT_EQ(row.ar, 0);
    EXPECT_NEAR(row.arsring, 1.96, 1e-9);
    EXPECT_NEAR(row.vol00, 189.24, 0.005);
    EXPECT_NEAR(row.vol05, 209.15, 0.005);
    EXPECT_NEAR(row.avvDiameter, 36.26, 0.005);
    EXPECT_FALSE(row.avverkning);
    EXPECT_EQ(
        (std::vector{row.avvTrad, row.medeldiameter, row.avvVolym, row.nuvarde, row.nuvardeSumma}),
        std::vector<double>(5, 0.0));
}

// One row per cycle that starts before the horizon, each five years after the one before,
// and felling cycles every cykTillAvv + 1 cycles.
TEST(CycleRecord, OneRowPerCycle) {
    const struct {
        const char* totaltid;
        const char* cykTillAvv;
        std::size_t rows;
    } horizons[] = {{"250", "2", 50}, {"251", "2", 51}, {"1", "2", 1},
                    {"5", "0", 1},    {"6", "0", 2},    {"100", "4", 20}};
    for (const auto& h : horizons) {
        SCOPED_TRACE(std::string(h.totaltid) + " years, " + h.cykTillAvv + " cycles");
        InputRecord input;
        input.totaltid = h.totaltid;
        input.cykTillAvv = h.cykTillAvv;
        StandCalculation calc;
        CycleRecord record;
        ASSERT_TRUE(calculate(calc, input, &record).ok());
        ASSERT_EQ(record.rows.size(), h.rows);
        const int every = std::stoi(h.cykTillAvv) + 1;
        for (std::size_t i = 0; i < record.rows.size(); ++i) {
            const CycleRow& row = record.rows[i];
            EXPECT_EQ(row.ar, 5.0 * static_cast<double>(i)) << i;
            EXPECT_EQ(row.avverkning, static_cast<int>(i + 1) % every == 0) << i;
            if (!row.avverkning) {
                EXPECT_EQ(row.avvTrad, 0) << i;
            }
        }
    }
}

// Stands under both measures and all three species, with cleaning, random variation and
// fellings of several trees in one cycle.
InputRecord stand(int which) {
    InputRecord in;
    switch (which) {
        case 1:  // clear-felling pine, two trees felled at once
            in.totaltid = "100", in.bonitet = "6", in.areal = "100", in.ranta = "2";
            in.maxRing = "8", in.species = Species::tall;
            in.measure = Measure::kalavverkning, in.atervandel = "20", in.cykTillAvv = "3";
            in.rows = {{{"38", true},
                        {"10", true},
                        {"28", false},
                        {"22", false},
                        {"17", false},
                        {"12", false},
                        {"6", false}}};
            break;
        case 2:  // random variation, small plot
            in.variation = "20", in.areal = "33.3", in.ranta = "5", in.cykTillAvv = "0";
            in.rows = {{{"32.5", false}, {"27", false}, {"21.4", false}, {"9.9", false}}};
            break;
        case 3:  // broadleaves: costs only
            in.species = Species::lov, in.ranta = "4", in.cykTillAvv = "1";
            break;
        default:
            break;
    }
    return in;
}

// The rows' discounted nets add up to the felling part of the present value, their
// undiscounted nets to the cash flow, their trees and volumes to the felling statistics,
// and their rings and volumes span the report's maxima and minima. The texts are the same
// as without the record, given the same generator.
class Sums : public testing::TestWithParam<int> {};

TEST_P(Sums, RowsAddUpToTheReportFigures) {
    Session session('.');
    Session unrecorded('.');
    CycleRecord record;
    ASSERT_TRUE(calculate(session, stand(GetParam()), &record).ok());
    ASSERT_TRUE(calculate(unrecorded, stand(GetParam()), nullptr).ok());
    EXPECT_EQ(session.fileBytes(), unrecorded.fileBytes());
    const StandCalculation& calc = session.calculation;
    const StandState& s = calc.s;
    double nuvarde = 0, kassa = 0, trad = 0, volym = 0;
    for (const CycleRow& row : record.rows) {
        nuvarde += row.nuvarde;
        kassa += row.netto - row.atervKost;
        trad += row.avvTrad;
        volym += row.avvVolym;
    }
    ASSERT_FALSE(record.rows.empty());
    EXPECT_GT(trad, 0);
    const double total = record.rows.back().nuvardeSumma;
    EXPECT_NEAR(nuvarde, total, 1e-9 * std::max(1.0, std::abs(total)));
    const double year1 = s.atervKostAr1 + s.berikKostAr1;
    EXPECT_NEAR(s.vardeDirekt * s.haFaktor + total - year1, calc.economics.nuvarde,
                1e-9 * std::max(1.0, std::abs(total)));
    EXPECT_NEAR(kassa / s.totaltid, calc.economics.kassaflode, 1e-9);
    EXPECT_DOUBLE_EQ(trad, calc.figures.avvTradPerHa);
    EXPECT_NEAR(volym / s.totaltid, calc.figures.prodVolymPerAr, 1e-12);
    const auto ring = std::ranges::minmax_element(record.rows, {}, &CycleRow::arsring);
    EXPECT_EQ(ring.min->arsring, s.ringMin);
    EXPECT_EQ(ring.max->arsring, s.ringMax);
    const auto vol05 = std::ranges::minmax_element(record.rows, {}, &CycleRow::vol05);
    EXPECT_EQ(vol05.min->vol05, s.vol05Min);
    EXPECT_EQ(vol05.max->vol05, s.vol05Max);
}

INSTANTIATE_TEST_SUITE_P(Stands, Sums, testing::Values(0, 1, 2, 3));

// A refused calculation starts no record; the next one replaces the rows it left.
TEST(CycleRecord, EachCalculationStartsAfresh) {
    StandCalculation calc;
    CycleRecord record;
    ASSERT_TRUE(calculate(calc, InputRecord{}, &record).ok());
    InputRecord shorter;
    shorter.totaltid = "20";
    ASSERT_TRUE(calculate(calc, shorter, &record).ok());
    EXPECT_EQ(record.rows.size(), 4u);
    InputRecord refused;
    refused.ranta = "2.5";
    EXPECT_EQ(calculate(calc, refused, &record).error().status, Status::Refused);
    EXPECT_EQ(record.rows.size(), 4u);
}

std::string reference(const std::string& name) {
    return testfiles::readFile(std::string(LODRA05_TEST_DATA) + "/" + name);
}

// The file bytes of a run over every stand of a register, recording the cycles.
std::string recordedRunBytes(const std::string& csv, char sep) {
    std::ifstream in(std::string(LODRA05_TEST_DATA) + "/" + csv, std::ios::binary);
    StandFile file;
    if (const Result<> opened = file.open(in); !opened) {
        return "<" + opened.message() + ">";
    }
    Session session(sep);
    CycleRecord record;
    StandFile::Stand stand;
    for (Result<bool> read = file.next(stand); read && *read; read = file.next(stand)) {
        if (stand.refusal) {
            continue;
        }
        SeededRandom random(5);
        CalcOptions options;
        options.random = &random;
        options.cycleRecord = &record;
        (void)session.berakna(stand.input, options);
    }
    return session.fileBytes();
}

TEST(CycleRecord, ReferenceReportsUnchangedByTheRecord) {
    const struct {
        const char* csv;
        char sep;
        const char* expected;
    } registers[] = {{"default.csv", '.', "default.dot.txt"},
                     {"default.csv", ',', "default.comma.txt"},
                     {"variants.csv", '.', "variants.dot.txt"},
                     {"variants.csv", ',', "variants.comma.txt"},
                     {"refused.csv", '.', "refused.dot.txt"}};
    for (const auto& r : registers) {
        const std::string expected = reference(r.expected);
        ASSERT_FALSE(expected.empty()) << r.expected;
        EXPECT_EQ(recordedRunBytes(r.csv, r.sep), expected) << r.expected;
    }
}

}  // namespace
}  // namespace lodra
