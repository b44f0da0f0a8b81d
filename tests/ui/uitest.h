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
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calc/inputrecord.h"
#include "session/session.h"
#include "ui/forlodra02.h"
#include "ui/forutveckling.h"
#include "ui/numberformat.h"

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

// Answers the next modal dialog of type D with act, as a user does, or every one while it
// lives.
template <typename D>
class Answer : public QObject {
  public:
    explicit Answer(std::function<void(D&)> act, bool every = false) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this, act = std::move(act), every] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (dialog != nullptr && dialog->isVisible()) {
                if (!every) {
                    timer_.stop();
                }
                answered = true;
                act(*dialog);
            }
        });
        timer_.start();
    }
    bool answered = false;

  private:
    QTimer timer_;
};

// Answers every modal message box with its "OK" button and keeps what it said.
class MessageCatcher : public Answer<QMessageBox> {
  public:
    MessageCatcher()
        : Answer(
              [this](QMessageBox& box) {
                  QAbstractButton* ok = box.button(QMessageBox::Ok);
                  const int buttons = static_cast<int>(box.buttons().size());
                  messages.push_back({box.windowTitle(), box.text(), box.icon(), buttons,
                                      ok != nullptr && buttons == 1 && ok->text() == "OK"});
                  if (ok != nullptr) {
                      QTest::mouseClick(ok, Qt::LeftButton);
                  } else {
                      box.reject();
                  }
              },
              true) {}
    std::vector<Message> messages;
};

// Answers the next file dialog with a path, as a user who types the name and presses
// "Spara" or "Öppna"; keeps the dialog's title and the folder it opened in.
class FileDialogAnswer : public Answer<QFileDialog> {
  public:
    explicit FileDialogAnswer(const QString& path)
        : Answer([this, path](QFileDialog& dialog) {
              title = dialog.windowTitle();
              folder = dialog.directory().absolutePath();
              dialog.selectFile(path);
              auto* buttons = dialog.findChild<QDialogButtonBox*>();
              QAbstractButton* save = buttons->button(QDialogButtonBox::Save);
              QTest::mouseClick(save != nullptr ? save : buttons->button(QDialogButtonBox::Open),
                                Qt::LeftButton);
          }) {}
    QString title;
    QString folder;
};

// Turns to the tab page of that name, as a user who clicks its tab.
inline void clickTab(const QWidget* window, const char* page) {
    auto* widget = child<QWidget>(window, page);
    auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget());
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                      tabs->tabBar()->tabRect(tabs->indexOf(widget)).center());
    QCOMPARE(tabs->currentWidget(), widget);
}

// Clicks "Jämför" and waits until the comparison has ended.
inline void compare(lodra::forUtveckling& window) {
    QSignalSpy ended(&window, &lodra::forUtveckling::comparisonEnded);
    click(&window, "cmdJamfor");
    QVERIFY(window.isComparing());
    QVERIFY(ended.wait(20000));
    QVERIFY(!window.isComparing());
}

// Clicks "Beräkna spridning" on the spread's page and waits until the spread has ended.
inline void spread(lodra::forUtveckling& window, const QString& seed, int runs) {
    child<QLineEdit>(&window, "txtFro")->setText(seed);
    child<QSpinBox>(&window, "spnKorningar")->setValue(runs);
    clickTab(&window, "tabSpridning");
    QSignalSpy ended(&window, &lodra::forUtveckling::spreadEnded);
    click(&window, "cmdBeraknaSpridning");
    QVERIFY(ended.wait(20000));
}

// The number format the program decides under a locale that writes this separator.
inline lodra::NumberFormat numberFormat(char separator) {
    return lodra::NumberFormat(separator == ',' ? QLocale(QLocale::Swedish, QLocale::Sweden)
                                                : QLocale::c());
}

// The parameters window shown in a fresh working folder, its message boxes answered: a
// test calls openWindow() in its init() and closeWindow() in its cleanup().
class ParametersWindowTest : public QObject {
  protected:
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<lodra::forLodra02> window;
    std::unique_ptr<MessageCatcher> catcher;

    void openWindow(const lodra::NumberFormat& numbers = numberFormat('.')) {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(folder->path()));
        catcher = std::make_unique<MessageCatcher>();
        window = std::make_unique<lodra::forLodra02>(numbers);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void closeWindow() {
        window.reset();
        settle();
        catcher.reset();
    }
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
    lodra::Session session(separator);
    lodra::CalcOptions options;
    // A calculation that fails leaves the texts empty, which the caller's comparison shows.
    static_cast<void>(session.berakna(input, options));
    return session;
}

// A box shows the text with LF line ends.
inline QString shown(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace uitest
