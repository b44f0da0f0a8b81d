#include "ui/handbook.h"

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "calc/parameters.h"
#include "calc/spread.h"
#include "standfile/standcolumns.h"
#include "ui/programsetup.h"

namespace lodra {

namespace {

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

// One row per parameter: its label, what it accepts, its initial entry and its column.
QString parameterTable() {
    QString table = QStringLiteral(
        "<table border=\"1\" cellpadding=\"4\" cellspacing=\"0\">"
        "<tr><th>Fält</th><th>Tar emot</th><th>Från början</th>"
        "<th>Kolumn i beståndsfilen</th></tr>");
    for (const ParameterRow& row : kParameterTable) {
        table +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td><code>%4</code></td></tr>")
                .arg(text(row.caption).toHtmlEscaped(), text(row.rule).toHtmlEscaped(),
                     text(row.initial).toHtmlEscaped(), text(row.column).toHtmlEscaped());
    }
    return table + QStringLiteral("</table>");
}

// What each {{name}} of the page stands for.
std::vector<std::pair<QString, QString>> fillings() {
    std::vector<std::pair<QString, QString>> fill = {
        {QStringLiteral("parametertabell"), parameterTable()},
        {QStringLiteral("trad"), QString::number(kTreeRows)},
        {QStringLiteral("tradslag"), text(choicenames::species.view())},
        {QStringLiteral("atgard"), text(choicenames::measure.view())},
        {QStringLiteral("rantor"), text(FixedText().list(kRates, " och ").view())},
        {QStringLiteral("kolumner"), QString::fromStdString(columnNames())},
        {QStringLiteral("korningar-min"), QString::number(kMinSpreadRuns)},
        {QStringLiteral("korningar-max"), QLocale(QLocale::Swedish).toString(kMaxSpreadRuns)},
        {QStringLiteral("korningar-start"), QLocale(QLocale::Swedish).toString(kDefaultSpreadRuns)},
        {QStringLiteral("fro-max"), QString::number(std::numeric_limits<std::uint64_t>::max())},
    };
    for (const ParameterRow& row : kParameterTable) {
        const QString column = text(row.column);
        fill.emplace_back(QStringLiteral("etikett:") + column, text(row.caption).toHtmlEscaped());
        fill.emplace_back(QStringLiteral("regel:") + column, text(row.rule).toHtmlEscaped());
    }
    return fill;
}

}  // namespace

QString handbookTemplate() {
    programIcon();  // loads the program's resources
    QFile page(QStringLiteral(":/lodra05/help/handbok.html"));
    if (!page.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(page.readAll());
}

QString handbookHtml() {
    QString page = handbookTemplate();
    for (const auto& [name, value] : fillings()) {
        page.replace(QStringLiteral("{{") + name + QStringLiteral("}}"), value);
    }
    return page;
}

Handbook::Handbook(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("forHandbok"));
    setWindowTitle(QStringLiteral("Lodra05 - Handbok"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("txtHandbok"));
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    browser_->setHtml(handbookHtml());
    auto* stang = new QPushButton(QStringLiteral("Stäng"), this);
    stang->setObjectName(QStringLiteral("cmdStang"));
    connect(stang, &QPushButton::clicked, this, &QWidget::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(stang);
    auto* column = new QVBoxLayout(this);
    column->addWidget(browser_);
    column->addLayout(buttons);
    // About 100 characters wide and 40 lines high, never larger than the screen's free area.
    const QFontMetrics metrics(browser_->font());
    QSize size(metrics.horizontalAdvance(QLatin1Char('x')) * 110, metrics.lineSpacing() * 40);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    resize(size);
}

Handbook* showHandbook(QWidget* owner) {
    auto* handbook = owner->findChild<Handbook*>(QString(), Qt::FindDirectChildrenOnly);
    if (handbook == nullptr) {
        handbook = new Handbook(owner);
    }
    handbook->show();
    handbook->raise();
    handbook->activateWindow();
    return handbook;
}

}  // namespace lodra
