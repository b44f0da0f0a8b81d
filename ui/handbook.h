#pragma once

// The program's handbook, in Swedish, shown by "Hjälp → Handbok" (F1): what each field means
// and accepts, how to read the pages of the development window, the stand file's format and
// where files go. Its text is a built-in HTML page (ui/help/handbok.html) whose figures and
// names are filled in from the tables the program itself works from, so that the handbook
// cannot say otherwise than the intake: the parameter table, the stand file's columns and
// the spread's limits.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace lodra {

// The handbook as the window shows it.
QString handbookHtml();

// The handbook's own page as built in, before anything is filled in.
QString handbookTemplate();

// A window with the handbook. "Stäng" hides it; it keeps its place in the text.
class Handbook : public QWidget {
    Q_OBJECT

  public:
    explicit Handbook(QWidget* owner);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

// The owner's handbook window, created on first use, shown and brought to the front.
Handbook* showHandbook(QWidget* owner);

}  // namespace lodra
