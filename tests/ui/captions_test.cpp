// The captions that messages name the parameters by, held against the labels of the
// parameters window: a caption is its label, cut where the label runs on into advice, so
// every word of it stands in the label in the same order.
#include <QLabel>
#include <QtTest>

#include "tests/ui/uitest.h"
#include "ui/forlodra02.h"
#include "ui/refusaltext.h"

using lodra::InputField;

class CaptionsTest : public QObject {
    Q_OBJECT

  private slots:
    void captionIsItsLabelCut_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("field");
        const std::pair<const char*, InputField> rows[] = {
            {"Label1", InputField::totaltid},    {"Label2", InputField::bonitet},
            {"Label3", InputField::areal},       {"Label4", InputField::ranta},
            {"Label5", InputField::maxRing},     {"Label7", InputField::variation},
            {"Label9", InputField::atervandel},  {"Label12", InputField::berikning},
            {"Label11", InputField::cykTillAvv},
        };
        for (const auto& [label, field] : rows) {
            QTest::newRow(label) << label << static_cast<int>(field);
        }
    }

    void captionIsItsLabelCut() {
        QFETCH(QString, label);
        QFETCH(int, field);
        lodra::forLodra02 window(uitest::numberFormat('.'));
        const QString text = uitest::child<QLabel>(&window, qPrintable(label))->text().simplified();
        const QString caption = QString::fromUtf8(fieldCaption(static_cast<InputField>(field)));
        QVERIFY(!caption.isEmpty());
        qsizetype from = 0;
        for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            from = text.indexOf(word, from);
            QVERIFY2(from >= 0, qPrintable(word + QStringLiteral(" not in order in: ") + text));
            from += word.size();
        }
    }
};

QTEST_MAIN(CaptionsTest)
#include "captions_test.moc"
