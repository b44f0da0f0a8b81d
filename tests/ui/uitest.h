#pragma once

// Helpers of the window tests: finding controls by name, clicking the real buttons, and
// answering the program's modal message boxes while a click runs.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "calc/inputrecord.h"
#include "session/session.h"
#include "ui/forlodra02.h"

namespace uitest {

template <typename T>
T* child(const QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no control named %s in %s", name, qPrintable(window->objectName()));
    }
    return found;
}

// Clicks the push button of that name with the mouse, as a user does.
inline void click(const QWidget* window, const char* name) {
    QPushButton* button = child<QPushButton>(window, name);
    QVERIFY2(button->isVisible() || !window->isVisible(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks "Beräkna" and waits for the background calculation to end.
inline void calculate(lodra::forLodra02& window) {
    click(&window, "cmdBerakna");
    QVERIFY(QTest::qWaitFor([&] { return !window.isCalculating(); }, 60000));
}

// Replaces a field's text by typing, as a user does.
inline void type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// Clicks an option button or check box on its indicator, where a user clicks.
inline void clickIndicator(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    const bool check = qobject_cast<QCheckBox*>(button) != nullptr;
    const QRect indicator = button->style()->subElementRect(
        check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, {}, indicator.center());
}

inline void setTicked(QCheckBox* box, bool ticked) {
    if (box->isChecked() != ticked) {
        clickIndicator(box);
    }
}

// Lets deferred deletions (windows closed through their frame) happen.
inline void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

struct Message {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool okOnly = false;
};

// Answers every modal message box with its "OK" button and keeps what it said. Armed for
// the life of the object.
class MessageCatcher : public QObject {
  public:
    MessageCatcher() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, &MessageCatcher::poll);
        timer_.start();
    }
    std::vector<Message> messages;

  private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        Message m;
        m.title = box->windowTitle();
        m.text = box->text();
        m.icon = box->icon();
        m.buttons = static_cast<int>(box->buttons().size());
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        m.okOnly = ok != nullptr && m.buttons == 1 && ok->text() == QStringLiteral("OK");
        messages.push_back(m);
        if (ok != nullptr) {
            QTest::mouseClick(ok, Qt::LeftButton);
        } else {
            box->reject();
        }
    }
    QTimer timer_;
};

// Answers the next file dialog with a path, as a user who types the name and presses
// "Spara" or "Öppna"; keeps the dialog's title and the folder it opened in.
class FileDialogAnswer : public QObject {
  public:
    explicit FileDialogAnswer(QString path) : path_(std::move(path)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) {
                return;
            }
            timer_.stop();
            title = dialog->windowTitle();
            folder = dialog->directory().absolutePath();
            answered = true;
            dialog->selectFile(path_);
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            QAbstractButton* accept = buttons->button(QDialogButtonBox::Save);
            if (accept == nullptr) {
                accept = buttons->button(QDialogButtonBox::Open);
            }
            acceptText = accept->text();
            QTest::mouseClick(accept, Qt::LeftButton);
        });
        timer_.start();
    }
    QString title;
    QString folder;
    QString acceptText;
    bool answered = false;

  private:
    QString path_;
    QTimer timer_;
};

// Counts the progress dialogs that were shown while it lived.
class ProgressWatcher : public QObject {
  public:
    ProgressWatcher() { qApp->installEventFilter(this); }
    ~ProgressWatcher() override { qApp->removeEventFilter(this); }
    int shown = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(watched)) {
            ++shown;
        }
        return false;
    }
};

inline std::string readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "<cannot read " + path.toStdString() + ">";
    }
    return file.readAll().toStdString();
}

// The reference file of the initial entries: the file forms of the input summary and of the
// result text, each followed by CR LF, in Windows-1252.
struct Reference {
    std::string prIndata;    // Windows-1252
    std::string prResultat;  // Windows-1252
    std::string fileOf(int calculations) const {
        std::string a;
        std::string b;
        for (int i = 0; i < calculations; ++i) {
            a += prIndata;
            b += prResultat;
        }
        return a + "\r\n" + b + "\r\n";
    }
};

inline Reference defaultReference(const QString& name) {
    const std::string bytes = readBytes(QStringLiteral(LODRA05_TEST_DATA "/") + name);
    // The file form of the input summary ends after line 15; the result text starts with
    // " År mellan avverkningarna" (Å is 0xC5 in Windows-1252).
    const std::size_t cut = bytes.find("\r\n\r\n \xC5r mellan");
    if (cut == std::string::npos || bytes.size() < cut + 6) {
        return {"<bad reference>", "<bad reference>"};
    }
    return {bytes.substr(0, cut + 2), bytes.substr(cut + 4, bytes.size() - cut - 6)};
}

// What the one calculation entry point gives for these entries in a run of its own.
inline lodra::Session calculatedAlone(const lodra::InputRecord& input, char separator = '.') {
    lodra::Session session;
    lodra::CalcOptions options;
    session.decimalSeparator = separator;
    // A calculation that fails leaves the texts empty, which the caller's comparison shows.
    static_cast<void>(session.berakna(input, options));
    return session;
}

// A box shows the text with LF line ends.
inline QString shown(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace uitest
