// The parameters window and the tree diameter window: initial entries, calculating with
// the real buttons, the lifecycles of the windows, errors, long calculations and the end
// of the program.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <stdexcept>

#include "tests/ui/uitest.h"
#include "ui/cyclemodel.h"
#include "ui/forcatalog.h"
#include "ui/forlodra02.h"
#include "ui/forresultat.h"
#include "ui/fortraddiametrar.h"
#include "ui/parameterform.h"

using lodra::forLodra02;
using lodra::forTradDiametrar;
using lodra::InputRecord;
using uitest::child;
using uitest::click;

namespace {

// The screen texts of a calculation with the initial entries of both windows.
const std::string kDefaultIndata =
    " Antal träd/ha vid start = \t\t600\r\n"
    " Nuvärde beräknas på en period av \t250 år\r\n"
    " Bonitet = \t4 m3/år och ha\r\n"
    " Ytans areal = \t50 m2\r\n"
    " Ränta = \t\t3 %\r\n"
    " Max årsring = \t5 mm\r\n"
    " Art = \t\tGran\r\n"
    " Ingen slumpvis ändring av diametern\r\n"
    " Återväxt år 1 = \t15 %\r\n"
    " Åtgärd = \tGallring och plockhuggning\r\n"
    " Berikande plantering = \t50 %\r\n"
    " Tid mellan avverkningar = \tminst 15 år\r\n"
    "\r\n"
    " Diametrar hos träd som avverkas omedelbart = \t  45.0\r\n"
    " Volym för dessa träd = \t\t\t317 m3sk/ha\r\n"
    " Diametrar hos träd som lämnas för tillväxt = \t  35.0,   1.0,   1.0\r\n"
    " Diametrar efter \t250 år = \t\t\t  26.9,  13.6,  13.6";

const std::string kDefaultResultat =
    " År mellan avverkningarna = \t42\r\n"
    "\r\n"
    " Producerad volym/ha och år = \t   4.4 m3sk\r\n"
    " Volym/avverkning = \t\t   183 m3sk / ha\r\n"
    " Antal avverkade träd/ha = 1800\t Medeldiameter = 29.55\r\n"
    "\r\n"
    " Årsring\t\t Max=   4.99\t Medel=   1.82\t Min =   0.86\r\n"
    " Volym år 0\t Max=    229\t Medel=    114\t Min =     13\r\n"
    " Volym år 5\t Max=    249\t Medel=    134\t Min =     23\r\n"
    "\r\n"
    " Netto av i framtiden avverkade träd (exkl återväxt) =\t163 kr/träd\r\n"
    " Röjning nu kostar 0 kr/ha\r\n" +
    std::string(146, '-') +
    "\r\n"
    " ÅTERVÄXTKOSTNAD (inkl. år 1) = \t\t\t\t  11813 kr/ha\r\n"
    " DRIVNINGSNETTO av nu avv. träd (exkl. röjning och återväxt) = \t  96578 kr/ha\r\n"
    " KASSAFLÖDE I FRAMTID (inkl återväxt) = \t\t\t   1126  kr/ha och år\r\n"
    " NUVÄRDE (inkl Avverkning nu+framtid, återväxt, röjning) = \t\t 157661 kr/ha\r\n";

// Entries that keep the calculation busy for a good while: the longest horizon, the
// largest ring and ten trees.
void enterLongCalculation(forLodra02& window) {
    uitest::type(child<QLineEdit>(&window, "txtTotaltid"), QStringLiteral("32767"));
    uitest::type(child<QLineEdit>(&window, "txtRing"), QStringLiteral("100"));
    // A plot this small is beyond what the fast ring search takes on: every ring is tried.
    uitest::type(child<QLineEdit>(&window, "txtAreal"), QStringLiteral("0.000000001"));
    forTradDiametrar* trees = window.tradDiametrar();
    for (int i = 4; i < forTradDiametrar::kRows; ++i) {
        uitest::type(trees->txtDiam(i), QString::number(10 * i));
    }
}

class ThrowingRandom : public lodra::RandomSource {
  public:
    void reseed() override {}
    double next() override { throw std::runtime_error("slut på slumptal"); }
};

QStringList tabChain(QWidget* start, int steps) {
    QStringList names;
    QWidget* at = start;
    at->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < steps; ++i) {
        names << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return names;
}

}  // namespace

class ForLodra02Test : public QObject {
    Q_OBJECT

    // Every option of a choice table, clicked, is the input's choice; a stand's choice checks
    // its option. (Their texts: parametersWindowStartsWithItsInitialEntries.)
    template <typename Options, typename Choice>
    void reachesTheForm(const Options& options, Choice InputRecord::*choice, InputRecord stand) {
        for (const auto& [value, name] : options) {
            uitest::clickIndicator(child<QRadioButton>(window.get(), name));
            QCOMPARE(window->inputRecord().*choice, value);
        }
        for (const auto& [value, name] : options) {
            stand.*choice = value;
            window->setInputRecord(stand);
            QVERIFY(child<QRadioButton>(window.get(), name)->isChecked());
            QCOMPARE(window->inputRecord().*choice, value);
        }
    }

  private:
    std::unique_ptr<forLodra02> window;
    std::unique_ptr<uitest::MessageCatcher> catcher;
    uitest::Reference reference;

    lodra::forResultat* shownResult() {
        lodra::forResultat* result = window->existingResultat();
        return result != nullptr && result->isVisible() ? result : nullptr;
    }

  private slots:
    void initTestCase() { reference = uitest::defaultReference(QStringLiteral("default.dot.txt")); }

    void init() {
        catcher = std::make_unique<uitest::MessageCatcher>();
        window = std::make_unique<forLodra02>(uitest::numberFormat('.'));
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() {
        window.reset();
        uitest::settle();
        catcher.reset();
    }

    void parametersWindowStartsWithItsInitialEntries() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Lodra02"));
        const std::vector<std::pair<const char*, const char*>> texts = {
            {"Label1", "Antal år som nuvärdet ska omfatta"},
            {"Label2", "Bonitet ( m3sk per år och ha )"},
            {"Label3", "Provytans areal ( m2 )"},
            {"Label4", "Räntekrav ( % )"},
            {"Label5",
             "Största tänkbara årsring i mm. Ju större denna sätts desto längre tid tar det att "
             "beräkna den rätta årsringen"},
            {"Label6", "Trädslag"},
            {"Label7", "Variation i diametertillväxt"},
            {"Label8",
             "100 % betyder att diametern efter varje femårsperiod slumpvis ändras med ett tal "
             "som ligger mellan -1.0 cm och +1.0 cm. 0% betyder att diametern inte förändras "
             "alls"},
            {"Label9", "Andel av återväxtkostnaden som skall debiteras år 1, 100 = hela"},
            {"Label10", "Åtgärd"},
            {"Label11",
             "Cykler (5-åriga) till nästa avverkning, och mellan följande avverkningar. 0 cykel "
             "är det minsta möjliga."},
            {"Label12",
             "Procent av antal plantor per hektar efter kalavverkning, hur mycket plantor som "
             "måste sättas ut efter den gallring som föreslås (berikande plantering)"},
        };
        for (const auto& [name, text] : texts) {
            QCOMPARE(child<QLabel>(window.get(), name)->text(), QString::fromUtf8(text));
        }
        const std::vector<std::pair<const char*, const char*>> fields = {
            {"txtTotaltid", "250"},  {"txtBon", "4"},    {"txtAreal", "50"},
            {"txtRant", "3"},        {"txtRing", "5"},   {"txtVari", "0"},
            {"txtAtervandel", "15"}, {"txtBerik", "50"}, {"txtCyktillavv", "2"},
        };
        for (const auto& [name, text] : fields) {
            auto* field = child<QLineEdit>(window.get(), name);
            QCOMPARE(field->text(), QString::fromUtf8(text));
            QCOMPARE(field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        }
        const std::vector<std::pair<const char*, const char*>> buttons = {
            {"cmdTraddiametrar", "Träddiametrar"},
            {"cmdBerakna", "Beräkna"},
            {"cmdAvlsuta", "Avsluta"},
            {"optTall", "Tall"},
            {"optGran", "Gran"},
            {"optLov", "Löv"},
            {"optGallring", "Gallring och plockhuggning"},
            {"optKalavv", "Kalavverkning"},
        };
        for (const auto& [name, text] : buttons) {
            QCOMPARE(child<QAbstractButton>(window.get(), name)->text(), QString::fromUtf8(text));
        }
        QCOMPARE(child<QGroupBox>(window.get(), "Lodra02frm")->title(),
                 QStringLiteral("Sätt parametervärden"));
        QCOMPARE(child<QGroupBox>(window.get(), "frmParam")->title(), QString());

        QVERIFY(child<QRadioButton>(window.get(), "optGran")->isChecked());
        QVERIFY(!child<QRadioButton>(window.get(), "optTall")->isChecked());
        QVERIFY(!child<QRadioButton>(window.get(), "optLov")->isChecked());
        QVERIFY(child<QRadioButton>(window.get(), "optGallring")->isChecked());
        QVERIFY(!child<QRadioButton>(window.get(), "optKalavv")->isChecked());
        QVERIFY(window->sparaKatalog().empty());
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(window.get(), "txtTotaltid"));
        // Enter does not press a button by itself.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(window->existingResultat() == nullptr);

        // What the window hands to the calculation is the program's initial record.
        const InputRecord read = window->inputRecord();
        const InputRecord initial;
        QCOMPARE(read.totaltid, initial.totaltid);
        QCOMPARE(read.bonitet, initial.bonitet);
        QCOMPARE(read.areal, initial.areal);
        QCOMPARE(read.ranta, initial.ranta);
        QCOMPARE(read.maxRing, initial.maxRing);
        QCOMPARE(read.species, initial.species);
        QCOMPARE(read.variation, initial.variation);
        QCOMPARE(read.atervandel, initial.atervandel);
        QCOMPARE(read.measure, initial.measure);
        QCOMPARE(read.berikning, initial.berikning);
        QCOMPARE(read.cykTillAvv, initial.cykTillAvv);
        for (std::size_t i = 0; i < initial.rows.size(); ++i) {
            QCOMPARE(read.rows[i].text, initial.rows[i].text);
            QCOMPARE(read.rows[i].avverkas, initial.rows[i].avverkas);
        }
    }

    void parametersWindowFocusOrder() {
        const QStringList expected = {
            "txtTotaltid", "txtBon",        "txtAreal",      "txtRant",    "txtRing",
            "txtVari",     "txtAtervandel", "txtCyktillavv", "cmdBerakna", "cmdTraddiametrar",
            "cmdAvlsuta",  "txtBerik",      "optGallring",   "optGran",    "txtTotaltid"};
        QCOMPARE(tabChain(child<QWidget>(window.get(), "txtTotaltid"), expected.size()), expected);
        // Each choice is entered at its selected option.
        uitest::clickIndicator(child<QRadioButton>(window.get(), "optKalavv"));
        uitest::clickIndicator(child<QRadioButton>(window.get(), "optLov"));
        const QStringList changed = {"txtBerik", "optKalavv", "optLov", "txtTotaltid"};
        QCOMPARE(tabChain(child<QWidget>(window.get(), "txtBerik"), changed.size()), changed);
    }

    void optionButtonsExcludeEachOtherOnlyWithinTheirFrame() {
        uitest::clickIndicator(child<QRadioButton>(window.get(), "optLov"));
        uitest::clickIndicator(child<QRadioButton>(window.get(), "optKalavv"));
        QVERIFY(child<QRadioButton>(window.get(), "optLov")->isChecked());
        QVERIFY(!child<QRadioButton>(window.get(), "optGran")->isChecked());
        QVERIFY(child<QRadioButton>(window.get(), "optKalavv")->isChecked());
        QVERIFY(!child<QRadioButton>(window.get(), "optGallring")->isChecked());
        uitest::clickIndicator(child<QRadioButton>(window.get(), "optTall"));
        QVERIFY(child<QRadioButton>(window.get(), "optKalavv")->isChecked());
        const InputRecord read = window->inputRecord();
        QCOMPARE(read.species, lodra::Species::tall);
        QCOMPARE(read.measure, lodra::Measure::kalavverkning);
    }

    // Every row of the parameter table has its entry in the form, says its rule and carries
    // its text both ways; every option of the choice tables reaches the input. (The initial
    // texts and labels are checked against the window's own words elsewhere.)
    void everyRowOfTheTablesReachesTheForm() {
        InputRecord typed;
        for (std::size_t p = 0; p < lodra::kParameterTable.size(); ++p) {
            const lodra::ParameterRow& row = lodra::kParameterTable[p];
            auto* entry = child<QLineEdit>(window.get(), lodra::kParameterWidgets[p].entry);
            QCOMPARE(window->parameterEntry(row.field), entry);
            QCOMPARE(entry->toolTip(), QString::fromUtf8(row.rule));
            typed.*row.member = "1" + std::to_string(p);
        }
        window->setInputRecord(typed);
        const InputRecord read = window->inputRecord();
        for (const lodra::ParameterRow& row : lodra::kParameterTable) {
            QCOMPARE(window->parameterEntry(row.field)->text(),
                     QString::fromStdString(typed.*row.member));
            QCOMPARE(read.*row.member, typed.*row.member);
        }
        reachesTheForm(lodra::kSpeciesOptions, &InputRecord::species, typed);
        reachesTheForm(lodra::kMeasureOptions, &InputRecord::measure, typed);
    }

    void treeWindowStartsWithItsInitialEntries() {
        QVERIFY(window->existingTradDiametrar() == nullptr);
        click(window.get(), "cmdTraddiametrar");
        forTradDiametrar* trees = window->existingTradDiametrar();
        QVERIFY(trees != nullptr);
        QVERIFY(trees->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(trees));
        QCOMPARE(trees->windowTitle(), QStringLiteral("Lodra02 - Träddiametrar"));
        QCOMPARE(child<QGroupBox>(trees, "frmTraddata")->title(), QStringLiteral("Träddata"));
        QCOMPARE(child<QGroupBox>(trees, "frmTraddiametrar")->title(), QString());
        auto* diameter = child<QLabel>(trees, "Label2");
        auto* felled = child<QLabel>(trees, "Label3");
        QCOMPARE(diameter->text(), QStringLiteral("Diameter"));
        QCOMPARE(felled->text(), QStringLiteral("Avverkas direkt"));
        QVERIFY(diameter->font().bold() && felled->font().bold());
        QCOMPARE(child<QPushButton>(trees, "cmdStang")->text(), QStringLiteral("Stäng"));
        const QStringList texts = {"45", "35", "1", "1", "", "", "", "", "", ""};
        for (int i = 0; i < forTradDiametrar::kRows; ++i) {
            const QByteArray label = "Label1_" + QByteArray::number(i);
            QCOMPARE(child<QLabel>(trees, label.constData())->text(), QString::number(i + 1));
            QCOMPARE(trees->txtDiam(i)->text(), texts[i]);
            QCOMPARE(trees->txtDiam(i)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
            QCOMPARE(trees->ckbAvverkas(i)->isChecked(), i == 0);
            QCOMPARE(trees->ckbAvverkas(i)->text(), QString());
        }
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(trees, "cmdStang"));

        QStringList expected = {"cmdStang"};
        for (int i = 0; i < forTradDiametrar::kRows; ++i) {
            expected << QStringLiteral("txtDiam_%1").arg(i);
        }
        for (int i = 0; i < forTradDiametrar::kRows; ++i) {
            expected << QStringLiteral("ckbAvverkas_%1").arg(i);
        }
        expected << "cmdStang";
        QCOMPARE(tabChain(child<QWidget>(trees, "cmdStang"), expected.size()), expected);
    }

    void treeWindowExistsOnceAndComesToTheFront() {
        click(window.get(), "cmdTraddiametrar");
        forTradDiametrar* first = window->existingTradDiametrar();
        uitest::type(first->txtDiam(5), QStringLiteral("22"));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        click(window.get(), "cmdTraddiametrar");
        QCOMPARE(window->existingTradDiametrar(), first);
        QVERIFY(QTest::qWaitForWindowActive(first));
        QCOMPARE(first->txtDiam(5)->text(), QStringLiteral("22"));
    }

    void calculationWithInitialEntriesGivesTheExpectedScreenTexts() {
        uitest::calculate(*window);
        QVERIFY(catcher->messages.empty());
        // The tree window was read without being shown.
        QVERIFY(window->existingTradDiametrar() != nullptr);
        QVERIFY(!window->existingTradDiametrar()->isVisible());

        lodra::forResultat* result = shownResult();
        QVERIFY(result != nullptr);
        QCOMPARE(result->windowTitle(), QStringLiteral("Lodra02 - Resultat"));
        QCOMPARE(window->session.Indata, kDefaultIndata);
        QCOMPARE(window->session.Resultat, kDefaultResultat);
        QCOMPARE(child<QPlainTextEdit>(result, "txtIndata")->toPlainText(),
                 uitest::shown(kDefaultIndata));
        QCOMPARE(child<QPlainTextEdit>(result, "txtResultat")->toPlainText(),
                 uitest::shown(kDefaultResultat));
        QCOMPARE(window->session.fileBytes(), reference.fileOf(1));
    }

    // Run once in the C locale and once in a Swedish one: the separator of the regional
    // settings, as the program takes it at its start, reaches the report, which then equals
    // the reference of that separator.
    void regionalDecimalSeparatorReachesTheTexts() {
        const lodra::NumberFormat regional = lodra::systemNumberFormat();
        const char separator = regional.decimalSeparator();
        QVERIFY(separator == '.' || separator == ',');
        const QString expectedSeparator =
            qEnvironmentVariable("LODRA05_EXPECTED_SEPARATOR", QStringLiteral("."));
        QCOMPARE(QString(QChar::fromLatin1(separator)), expectedSeparator);
        window = std::make_unique<forLodra02>(regional);
        window->show();
        uitest::calculate(*window);
        const uitest::Reference own =
            uitest::defaultReference(separator == ',' ? QStringLiteral("default.comma.txt")
                                                      : QStringLiteral("default.dot.txt"));
        QCOMPARE(window->session.fileBytes(), own.fileOf(1));
    }

    // The windows print in the number format they were handed, whatever the regional
    // settings: run under the C locale and under a Swedish one, each gives both references.
    void handedInNumberFormatWinsOverTheLocale_data() {
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("firstRing");  // of the development window's table
        QTest::newRow("dot") << '.' << QStringLiteral("default.dot.txt") << QStringLiteral("1.96");
        QTest::newRow("comma") << ',' << QStringLiteral("default.comma.txt")
                               << QStringLiteral("1,96");
    }
    void handedInNumberFormatWinsOverTheLocale() {
        QFETCH(char, separator);
        QFETCH(QString, reference);
        QFETCH(QString, firstRing);
        window = std::make_unique<forLodra02>(uitest::numberFormat(separator));
        window->show();
        uitest::calculate(*window);
        QCOMPARE(window->session.fileBytes(), uitest::defaultReference(reference).fileOf(1));
        QCOMPARE(window->utveckling()->cycleModel().index(0, 1).data().toString(), firstRing);
    }

    // The format of a locale: its decimal separator when the texts can write it, else '.'
    // with the C locale's numbers.
    void numberFormatOfALocale_data() {
        QTest::addColumn<QLocale>("regional");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QLocale>("locale");
        const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("C") << QLocale::c() << '.' << QLocale::c();
        QTest::newRow("sv_SE") << swedish << ',' << swedish;
        QTest::newRow("de_DE") << german << ',' << german;
        QTest::newRow("ar_EG, no ASCII separator")
            << QLocale(QLocale::Arabic, QLocale::Egypt) << '.' << QLocale::c();
    }
    void numberFormatOfALocale() {
        QFETCH(QLocale, regional);
        QFETCH(char, separator);
        QFETCH(QLocale, locale);
        const lodra::NumberFormat format(regional);
        QCOMPARE(format.decimalSeparator(), separator);
        QCOMPARE(format.locale(), locale);
    }

    void editedRowsSurviveStangAndTwoCalculations() {
        click(window.get(), "cmdTraddiametrar");
        forTradDiametrar* trees = window->existingTradDiametrar();
        uitest::type(trees->txtDiam(1), QStringLiteral("28.5"));
        uitest::type(trees->txtDiam(2), QStringLiteral("12"));
        uitest::setTicked(trees->ckbAvverkas(2), true);
        click(trees, "cmdStang");
        QVERIFY(!trees->isVisible());

        InputRecord edited;
        edited.rows[1] = {"28.5", false};
        edited.rows[2] = {"12", true};
        const lodra::Session alone = uitest::calculatedAlone(edited);
        QVERIFY(!alone.Indata.empty());

        uitest::calculate(*window);
        QCOMPARE(window->session.Indata, alone.Indata);
        QCOMPARE(window->session.Resultat, alone.Resultat);
        uitest::calculate(*window);
        QCOMPARE(window->session.Indata, alone.Indata);
        QCOMPARE(window->session.Resultat, alone.Resultat);
        QCOMPARE(window->session.prIndata, alone.prIndata + alone.prIndata);
        QVERIFY(catcher->messages.empty());

        click(window.get(), "cmdTraddiametrar");
        QCOMPARE(window->existingTradDiametrar(), trees);
        QVERIFY(trees->isVisible());
        QCOMPARE(trees->txtDiam(1)->text(), QStringLiteral("28.5"));
        QCOMPARE(trees->txtDiam(2)->text(), QStringLiteral("12"));
        QVERIFY(trees->ckbAvverkas(2)->isChecked());
    }

    void treeWindowClosedThroughItsFrameReturnsToInitialEntries() {
        click(window.get(), "cmdTraddiametrar");
        QPointer<forTradDiametrar> trees = window->existingTradDiametrar();
        uitest::type(trees->txtDiam(1), QStringLiteral("28.5"));
        uitest::type(trees->txtDiam(2), QStringLiteral("12"));
        trees->close();
        uitest::settle();
        QVERIFY(trees.isNull());
        QVERIFY(window->existingTradDiametrar() == nullptr);

        uitest::calculate(*window);
        QCOMPARE(window->session.Indata, kDefaultIndata);
        QCOMPARE(window->session.Resultat, kDefaultResultat);

        click(window.get(), "cmdTraddiametrar");
        forTradDiametrar* again = window->existingTradDiametrar();
        QVERIFY(again->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(again));
        QCOMPARE(again->txtDiam(1)->text(), QStringLiteral("35"));
        QCOMPARE(again->txtDiam(2)->text(), QStringLiteral("1"));
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(again, "cmdStang"));
    }

    void emptiedRowIsSkippedEvenWhenTicked() {
        click(window.get(), "cmdTraddiametrar");
        forTradDiametrar* trees = window->existingTradDiametrar();
        uitest::type(trees->txtDiam(1), QString());
        uitest::setTicked(trees->ckbAvverkas(1), true);
        uitest::setTicked(trees->ckbAvverkas(7), true);

        InputRecord expected;
        expected.rows[1] = {"", false};
        const lodra::Session alone = uitest::calculatedAlone(expected);

        uitest::calculate(*window);
        QVERIFY(catcher->messages.empty());
        QCOMPARE(window->session.Indata, alone.Indata);
        QCOMPARE(window->session.Resultat, alone.Resultat);
        QVERIFY(window->session.Indata != kDefaultIndata);
    }

    void twoCalculationsShowOneBlockAndKeepTwoForTheFile() {
        uitest::calculate(*window);
        lodra::forResultat* first = shownResult();
        uitest::calculate(*window);
        QCOMPARE(shownResult(), first);
        QCOMPARE(child<QPlainTextEdit>(first, "txtIndata")->toPlainText(),
                 uitest::shown(kDefaultIndata));
        QCOMPARE(child<QPlainTextEdit>(first, "txtResultat")->toPlainText(),
                 uitest::shown(kDefaultResultat));
        QCOMPARE(window->session.Indata, kDefaultIndata);
        QCOMPARE(window->session.Resultat, kDefaultResultat);
        QCOMPARE(window->session.fileBytes(), reference.fileOf(2));
    }

    void refusedEntriesGiveAMessageAndNoResult() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        auto* entry = child<QLineEdit>(window.get(), qPrintable(field));
        uitest::type(entry, text);

        uitest::calculate(*window);
        QCOMPARE(catcher->messages.size(), std::size_t{1});
        const uitest::Message& message = catcher->messages.front();
        QCOMPARE(message.title, QStringLiteral("Lodra05"));
        QCOMPARE(message.text, expected);
        QVERIFY(message.okOnly);
        QVERIFY(window->existingResultat() == nullptr);
        QVERIFY(window->session.Indata.empty());
        QVERIFY(window->session.prIndata.empty());
        QVERIFY(window->session.prResultat.empty());
        QCOMPARE(entry->text(), text);
        // Back in the refused entry, its text selected for typing over.
        QTRY_VERIFY(entry->hasFocus());
        QCOMPARE(entry->selectedText(), text);

        // The program goes on: mended, the next calculation works.
        const QString initial = field == "txtBon" ? "4" : field == "txtRant" ? "3" : "250";
        uitest::type(entry, initial);
        uitest::calculate(*window);
        QCOMPARE(catcher->messages.size(), std::size_t{1});
        QVERIFY(shownResult() != nullptr);
        QCOMPARE(window->session.Indata, kDefaultIndata);
        QCOMPARE(window->session.fileBytes(), reference.fileOf(1));
    }
    void refusedEntriesGiveAMessageAndNoResult_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("letters in Bonitet")
            << "txtBon"
            << "abc"
            << QStringLiteral(
                   "Fältet \"Bonitet ( m3sk per år och ha )\" innehåller \"abc\", "
                   "som inte är ett tal. Skriv ett tal, till exempel 12.5.");
        QTest::newRow("rate without a felling rule")
            << "txtRant"
            << "2.5"
            << QStringLiteral(
                   "Fältet \"Räntekrav ( % )\" innehåller \"2.5\". Avverkningsdiametern "
                   "finns bara för räntekraven 2, 3, 4 och 5 %.");
        QTest::newRow("empty horizon")
            << "txtTotaltid"
            << ""
            << QStringLiteral(
                   "Fältet \"Antal år som nuvärdet ska omfatta\" är tomt. Skriv ett "
                   "tal, till exempel 12.5.");
    }

    // Also when the tree window was never shown.
    void refusedTreeRowGetsTheFocusInTheTreeWindow() {
        QFETCH(int, row);
        forTradDiametrar* trees = window->tradDiametrar();
        uitest::type(trees->txtDiam(row - 1), QStringLiteral("12,5,1"));
        uitest::calculate(*window);
        QCOMPARE(catcher->messages.size(), std::size_t{1});
        QVERIFY(trees->isVisible() && window->existingResultat() == nullptr);
        QTRY_VERIFY(trees->txtDiam(row - 1)->hasFocus());
        QCOMPARE(trees->txtDiam(row - 1)->selectedText(), QStringLiteral("12,5,1"));
    }
    void refusedTreeRowGetsTheFocusInTheTreeWindow_data() {
        QTest::addColumn<int>("row");
        QTest::newRow("row 1") << 1;
        QTest::newRow("row 10") << 10;
    }

    // Enter and Return press the focused button as Space does; in a field they do nothing.
    void enterPressesTheFocusedButton() {
        QFETCH(int, key);
        auto* button = child<QPushButton>(window.get(), "cmdTraddiametrar");
        QVERIFY(!button->isDefault() && !button->autoDefault());
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, static_cast<Qt::Key>(key));
        QVERIFY(window->existingTradDiametrar() != nullptr);
        QVERIFY(window->existingTradDiametrar()->isVisible());
    }
    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }

    // Whatever escapes the calculation ends it with a message; the program goes on.
    void exceptionInTheCalculationBecomesAMessage() {
        ThrowingRandom thrower;
        window->setRandomSource(&thrower);
        uitest::type(child<QLineEdit>(window.get(), "txtVari"), QStringLiteral("50"));
        uitest::calculate(*window);
        QCOMPARE(catcher->messages.size(), std::size_t{1});
        QCOMPARE(catcher->messages[0].text,
                 QStringLiteral("Beräkningen avbröts av ett oväntat fel: slut på slumptal"));
        QVERIFY(window->existingResultat() == nullptr);
        QVERIFY(window->session.prIndata.empty());

        window->setRandomSource(nullptr);
        uitest::type(child<QLineEdit>(window.get(), "txtVari"), QStringLiteral("0"));
        uitest::calculate(*window);
        QCOMPARE(window->session.Indata, kDefaultIndata);
        QVERIFY(shownResult() != nullptr);
    }

    void failedCalculationLeavesTheShownResultAsItWas() {
        uitest::calculate(*window);
        lodra::forResultat* result = shownResult();
        QVERIFY(result != nullptr);
        uitest::type(child<QLineEdit>(window.get(), "txtBon"), QStringLiteral("abc"));
        uitest::calculate(*window);
        QCOMPARE(catcher->messages.size(), std::size_t{1});
        QCOMPARE(child<QPlainTextEdit>(result, "txtIndata")->toPlainText(),
                 uitest::shown(kDefaultIndata));
        QCOMPARE(window->session.fileBytes(), reference.fileOf(1));
    }

    // A calculation that ends before the delay shows no progress, however busy the machine:
    // the delay is well beyond the calculation.
    void fastCalculationShowsNoProgress() {
        window->setProgressDelay(60000);
        uitest::ProgressWatcher watcher;
        uitest::calculate(*window);
        QCOMPARE(watcher.shown, 0);
        QVERIFY(shownResult() != nullptr);
    }

    // The calculation's one thread is held until "Avbryt" has been pressed and the bar has
    // been refreshed after it, so that neither the machine's load nor the calculation's
    // speed decides what shows.
    void longCalculationCanBeStoppedWithAvbryt() {
        enterLongCalculation(*window);
        window->setProgressDelay(0);
        QSemaphore release;
        window->calculationPool().start([&release] { release.acquire(); });
        uitest::ProgressWatcher watcher;
        int pressed = 0;
        int refreshed = 0;
        connect(&window->calculationJob(), &lodra::BackgroundJob::refresh, this, [&] {
            if (pressed > 0 && ++refreshed == 2) {
                release.release();
            }
        });
        uitest::Answer<QProgressDialog> avbryt([&](QProgressDialog& progress) {
            for (QPushButton* button : progress.findChildren<QPushButton*>()) {
                if (button->text() == QStringLiteral("Avbryt")) {
                    ++pressed;
                    QTest::mouseClick(button, Qt::LeftButton);
                }
            }
        });
        uitest::calculate(*window);
        disconnect(&window->calculationJob(), nullptr, this, nullptr);
        QCOMPARE(refreshed, 2);
        QCOMPARE(watcher.shown, 1);
        QCOMPARE(pressed, 1);
        QVERIFY(catcher->messages.empty());
        QVERIFY(window->existingResultat() == nullptr);
        QVERIFY(window->session.prIndata.empty());
        QVERIFY(!window->isCalculating());

        // Usable afterwards, with the entries as they were.
        QCOMPARE(child<QLineEdit>(window.get(), "txtTotaltid")->text(), QStringLiteral("32767"));
        uitest::type(child<QLineEdit>(window.get(), "txtTotaltid"), QStringLiteral("250"));
        uitest::type(child<QLineEdit>(window.get(), "txtRing"), QStringLiteral("5"));
        uitest::type(child<QLineEdit>(window.get(), "txtAreal"), QStringLiteral("50"));
        for (int i = 4; i < forTradDiametrar::kRows; ++i) {
            uitest::type(window->tradDiametrar()->txtDiam(i), QString());
        }
        uitest::calculate(*window);
        QCOMPARE(window->session.Indata, kDefaultIndata);
    }

    // Through the frame or with "Avsluta", while the calculation runs: it stops, nothing of
    // it shows, and every window closes.
    void endingDuringACalculationStopsItAndEnds() {
        QFETCH(bool, avsluta);
        enterLongCalculation(*window);
        window->setProgressDelay(60000);
        // The calculation's thread is held until the window has been closed.
        QSemaphore release;
        window->calculationPool().start([&release] { release.acquire(); });
        QPointer<forTradDiametrar> trees = window->existingTradDiametrar();
        QSignalSpy ended(window.get(), &forLodra02::calculationEnded);
        QTimer::singleShot(0, window.get(), [this, avsluta, &release] {
            QVERIFY(window->isCalculating());
            if (avsluta) {
                click(window.get(), "cmdAvlsuta");
            } else {
                window->close();
            }
            release.release();
        });
        uitest::calculate(*window);
        uitest::settle();
        QCOMPARE(ended.count(), 0);
        QVERIFY(!window->isVisible());
        QVERIFY(trees.isNull());
        QVERIFY(window->existingResultat() == nullptr);
        QVERIFY(window->session.prIndata.empty());
        QVERIFY(catcher->messages.empty());
    }
    void endingDuringACalculationStopsItAndEnds_data() {
        QTest::addColumn<bool>("avsluta");
        QTest::newRow("frame") << false;
        QTest::newRow("Avsluta") << true;
    }

    void avslutaClosesEveryWindowAndWritesNothing() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString before = QDir::currentPath();
        QDir::setCurrent(folder.path());
        click(window.get(), "cmdTraddiametrar");
        uitest::calculate(*window);
        click(shownResult(), "cmdSpara");
        QPointer<QWidget> trees = window->existingTradDiametrar();
        QPointer<QWidget> result = window->existingResultat();
        QPointer<QWidget> chooser = window->existingCatalog();
        QVERIFY(trees && result && chooser);
        QVERIFY(trees->isVisible() && result->isVisible() && chooser->isVisible());

        click(window.get(), "cmdAvlsuta");
        uitest::settle();
        QDir::setCurrent(before);
        QVERIFY(trees.isNull() && result.isNull() && chooser.isNull());
        QVERIFY(!window->isVisible());
        for (QWidget* top : QApplication::topLevelWidgets()) {
            QVERIFY2(!top->isVisible(), qPrintable(top->objectName()));
        }
        QVERIFY(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        QVERIFY(catcher->messages.empty());
    }

    void closingTheParametersWindowEndsTheProgramLikeAvsluta() {
        click(window.get(), "cmdTraddiametrar");
        uitest::calculate(*window);
        QPointer<QWidget> trees = window->existingTradDiametrar();
        QPointer<QWidget> result = window->existingResultat();
        QVERIFY(window->close());
        uitest::settle();
        QVERIFY(trees.isNull() && result.isNull());
        for (QWidget* top : QApplication::topLevelWidgets()) {
            QVERIFY2(!top->isVisible(), qPrintable(top->objectName()));
        }
    }
};

QTEST_MAIN(ForLodra02Test)
#include "forlodra02_test.moc"
