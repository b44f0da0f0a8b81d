#pragma once

// What the program sets up once, before its first window: its name, its icon on every
// window, and, under a Swedish locale, Qt's own Swedish texts for the file dialogs, the
// message boxes' buttons and the context menus, completed by the program's own Swedish for
// what Qt's catalogue lacks (most of the print dialog, the page setup, parts of the file
// dialog).

class QApplication;
class QIcon;

namespace lodra {

// The icon of every window, from the program's resources.
QIcon programIcon();

// Names the program, gives every window its icon and installs Qt's Swedish translation and
// the program's own after it when the system locale is Swedish. Returns whether a
// translation was installed.
bool setUpProgram(QApplication& app);

}  // namespace lodra
