#include "ui/forresultat.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

#include "base/quote.h"
#include "files/resultfile.h"
#include "ui/forcatalog.h"
#include "ui/forutveckling.h"
#include "ui/messages.h"
#include "ui/run.h"
#include "ui/twipsform.h"
#include "ui_forresultat.h"

namespace lodra {

namespace {

QString boxText(const std::string& text) {
    // The texts end their lines with CR LF; the box knows only LF.
    QString lines = QString::fromStdString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines;
}

// Why no result file can go into the folder, in the user's words; empty while one can. Only
// such a folder is replaced through the chooser: other failures are the folder's contents'.
QString unusableFolder(const std::string& folder) {
    const QFileInfo info(QString::fromStdString(folder));
    const QString quoted = QString::fromStdString(inQuotes(folder));
    if (!info.isDir()) {
        return QStringLiteral("Resultatet kunde inte sparas: mappen %1 finns inte längre.")
            .arg(quoted);
    }
    if (!info.isWritable() || !info.isExecutable()) {
        return QStringLiteral("Resultatet kunde inte sparas: det går inte att skriva i mappen %1.")
            .arg(quoted);
    }
    return {};
}

}  // namespace

forResultat::forResultat(Run& run, QWidget* parent)
    : RunWindow(parent), run_(run), ui(std::make_unique<Ui::forResultat>()) {
    run.look().setUp(*ui, this);
    setReportTabStops(ui->txtIndata);
    setReportTabStops(ui->txtResultat);
    connect(ui->cmdSpara, &QPushButton::clicked, this, &forResultat::cmdSpara_Click);
    hideWith(ui->cmdStang);
    connect(ui->cmdUtveckling, &QPushButton::clicked, this, &forResultat::cmdUtveckling_Click);
    // The development window's print dialog, for the report of the latest calculation.
    auto* print = new QShortcut(QKeySequence(QStringLiteral("Ctrl+P")), this);
    connect(print, &QShortcut::activated, this, [this] { run_.utveckling()->printReport(); });
}

forResultat::~forResultat() = default;

void forResultat::showTexts(const std::string& indata, const std::string& resultat) {
    ui->txtIndata->setPlainText(boxText(indata));
    ui->txtResultat->setPlainText(boxText(resultat));
}

void forResultat::cmdSpara_Click() {
    if (run_.isCalculating()) {
        return;
    }
    if (run_.sparaKatalog().empty()) {
        // The chooser saves once the user confirms a folder there.
        showInFront(run_.catalog());
        return;
    }
    saveToFile();
}

void forResultat::saveToFile() {
    if (run_.isCalculating()) {
        return;
    }
    const std::string folder = run_.sparaKatalog();
    const Result<std::string> saved = saveNumberedResult(folder, run_.session.fileBytes());
    QWidget* parent = isVisible() ? this : run_.mainWindow();
    if (saved) {
        showMessage(parent, QStringLiteral("Resultatet sparades i följande fil:\n") +
                                QString::fromStdString(*saved));
        return;
    }
    const QString unusable = unusableFolder(folder);
    if (unusable.isEmpty()) {
        showMessage(parent, QString::fromStdString(saved.message()), QMessageBox::Warning);
        return;
    }
    // A folder that went away (a memory stick pulled out) or may not be written is replaced:
    // the chooser saves the run's calculations once the user confirms another folder there.
    showMessage(parent, unusable + QStringLiteral("\nVälj en annan mapp i fönstret som öppnas."),
                QMessageBox::Warning);
    showInFront(run_.catalog());
}

void forResultat::cmdUtveckling_Click() {
    showInFront(run_.utveckling(), ui->cmdUtveckling);
}

}  // namespace lodra
