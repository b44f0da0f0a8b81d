// The captions that messages name the parameters by, held against the labels of the
// parameters window: a caption is its label, cut where the label runs on into advice, so
// every word of it stands in the label in the same order.
#include <QLabel>
#include <QtTest>

#include "tests/ui/uitest.h"
#include "ui/forlodra02.h"
#include "ui/parameterform.h"
#include "ui/refusaltext.h"

using lodra::InputField;

class CaptionsTest : public QObject {
    Q_OBJECT

  private slots:
    void captionIsItsLabelCut_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("field");
        for (const lodra::ParameterWidgets& row : lodra::kParameterWidgets) {
            QTest::newRow(row.label)
                << QString::fromLatin1(row.label) << static_cast<int>(row.field);
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
