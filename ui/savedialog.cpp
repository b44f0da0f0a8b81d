#include "ui/savedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QResizeEvent>

#include "base/quote.h"
#include "base/utf8.h"
#include "ui/messages.h"

namespace lodra {

QString SaveFolders::startFolder() const {
    if (!resultFolder_.empty()) {
        return QString::fromStdString(resultFolder_);
    }
    return last_.isEmpty() ? QDir::currentPath() : last_;
}

namespace {

// The dialog of the toolkit itself, which Qt's Swedish translation covers, set before
// anything else of it.
void prepare(QFileDialog& dialog, const QString& folder) {
    dialog.setObjectName(QStringLiteral("lodraFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(folder);
}

QString runDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString SaveFolders::chooseSave(QWidget* parent, const QString& title, const QString& filter,
                                const QString& name) {
    QFileDialog dialog(parent, title);
    prepare(dialog, startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog's own question would take a file name that looks like markup for markup.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(name.section(QLatin1Char('.'), -1));
    dialog.selectFile(name);
    for (;;) {
        const QString path = runDialog(dialog);
        const QFileInfo file(path);
        if (path.isEmpty() || (!file.exists() && !file.isSymLink())) {
            return path;
        }
        const QString question = QStringLiteral("Filen %1 finns redan. Vill du ersätta den?")
                                     .arg(QString::fromStdString(inQuotes(path.toStdString())));
        if (askQuestion(&dialog, question, {QStringLiteral("Ersätt"), QStringLiteral("Avbryt")}) ==
            0) {
            return path;
        }
        dialog.selectFile(file.fileName());  // the dialog again, as the user left it
    }
}

QString SaveFolders::chooseOpen(QWidget* parent, const QString& title, const QString& filter) {
    QFileDialog dialog(parent, title);
    prepare(dialog, startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    return runDialog(dialog);
}

void SaveFolders::used(const QString& path) {
    last_ = QFileInfo(path).absolutePath();
}

SavedLine::SavedLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("lblSparad"));
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setMinimumWidth(1);  // a long path never widens the window
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

namespace {

QString shownPath(const QString& path) {
    return QString::fromStdString(visibleText(QDir::toNativeSeparators(path).toStdString()));
}

}  // namespace

QString SavedLine::textFor(const QString& path) {
    return QStringLiteral("Sparades i %1").arg(shownPath(path));
}

QString SavedLine::changedTextFor(const QString& path) {
    return QStringLiteral("Ändrat sedan det sparades i %1").arg(shownPath(path));
}

QString SavedLine::fullText() const {
    return changed_ ? changedTextFor(path_) : textFor(path_);
}

void SavedLine::saved(const QString& path) {
    path_ = path;
    changed_ = false;
    say();
}

void SavedLine::setChanged(bool changed) {
    if (path_.isEmpty() || changed == changed_) {
        return;
    }
    changed_ = changed;
    say();
}

void SavedLine::say() {
    setToolTip(plainToolTip(fullText()));
    elide();
}

void SavedLine::forget() {
    path_.clear();
    changed_ = false;
    setToolTip(QString());
    clear();
}

void SavedLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void SavedLine::elide() {
    if (path_.isEmpty()) {
        return;
    }
    // The words stay whole and the path gives way in its middle, while a part of the path
    // worth reading fits; else the whole line does.
    const QString full = fullText();
    const QString words = full.left(full.size() - shownPath(path_).size());
    const int room = width() - fontMetrics().horizontalAdvance(words);
    if (room < fontMetrics().averageCharWidth() * 12) {
        setText(fontMetrics().elidedText(full, Qt::ElideMiddle, std::max(1, width())));
        return;
    }
    setText(words + fontMetrics().elidedText(shownPath(path_), Qt::ElideMiddle, room));
}

}  // namespace lodra
