#include "ui/calculationheading.h"

#include <QFileInfo>
#include <QPushButton>

#include "calc/parameters.h"
#include "ui_forutveckling.h"

namespace lodra {

namespace {

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString standTitle(const QString& name, const QString& file) {
    const QString trimmed = name.trimmed();
    const QString fileName = QFileInfo(file).fileName();
    if (trimmed.isEmpty() || fileName.isEmpty()) {
        return trimmed.isEmpty() ? fileName : trimmed;
    }
    return QStringLiteral("%1 (%2)").arg(trimmed, fileName);
}

QString headingText(const InputRecord& input, const CalculationTitle& title) {
    const QString stand = title.stand.isEmpty() ? QStringLiteral("Bestånd utan namn") : title.stand;
    return QStringLiteral("%1, beräknat %2\n%3, %4, räntekrav %5 %, variation %6 %")
        .arg(stand, title.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
             utf8(nameOf(input.species)), utf8(nameOf(input.measure)),
             QString::fromStdString(input.ranta).trimmed(),
             QString::fromStdString(input.variation).trimmed());
}

QStringList changedEntries(const InputRecord& calculated, const InputRecord& now) {
    QStringList changed;
    for (const ParameterRow& row : kParameterTable) {
        if (calculated.*row.member != now.*row.member) {
            changed << utf8(row.caption);
        }
        if (row.field == InputField::maxRing && calculated.species != now.species) {
            changed << QStringLiteral("Trädslag");
        }
        if (row.field == InputField::atervandel && calculated.measure != now.measure) {
            changed << QStringLiteral("Åtgärd");
        }
    }
    for (std::size_t k = 0; k < kTreeRows; ++k) {
        const TreeRow& was = calculated.rows[k];
        const TreeRow& is = now.rows[k];
        if (was.text != is.text || was.avverkas != is.avverkas) {
            changed << QStringLiteral("Träddiametrar");
            break;
        }
    }
    return changed;
}

CalculationHeading::CalculationHeading(Ui::forUtveckling& ui, QObject* parent)
    : QObject(parent), ui_(ui) {
    ui_.lblBerakning->setText(
        QStringLiteral("Ingen beräkning ännu: tryck på \"Beräkna\" i "
                       "parameterfönstret."));
    ui_.frmAndrat->hide();
    connect(ui_.cmdBeraknaIgen, &QPushButton::clicked, this,
            &CalculationHeading::calculateRequested);
}

void CalculationHeading::show(const InputRecord& input, const CalculationTitle& title) {
    input_ = input;
    shown_ = true;
    CalculationTitle named = title;
    if (!named.time.isValid()) {
        named.time = QDateTime::currentDateTime();
    }
    ui_.lblBerakning->setText(headingText(input, named));
    check();
}

void CalculationHeading::check() {
    const QStringList changed =
        shown_ && entries_ ? changedEntries(input_, entries_()) : QStringList();
    if (!changed.isEmpty()) {
        ui_.lblAndrat->setText(
            QStringLiteral("Indata i parameterfönstret har ändrats sedan beräkningen ovan (%1). "
                           "Sidorna, \"Jämför\" och \"Beräkna spridning\" gäller beräkningen "
                           "ovan; tryck på \"Beräkna\" för att beräkna de nya indata.")
                .arg(changed.join(QStringLiteral(", "))));
    }
    ui_.frmAndrat->setVisible(!changed.isEmpty());
}

}  // namespace lodra
