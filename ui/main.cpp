// Lodra05: starts straight into the parameters window. No command line, no settings.

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "ui/forlodra02.h"
#include "ui/programsetup.h"

namespace {

// True when some windowing system is there to show the windows on.
bool haveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!haveDisplay()) {
        std::fputs(
            "lodra05: ingen bildskärm hittades (DISPLAY är inte satt); "
            "fönstren kan inte visas.\n",
            stderr);
        return 2;
    }
    // A save that passes a file-size limit comes back as a failed save with its message
    // instead of ending the program. Its temporary file has no name, so an interrupt
    // leaves nothing behind.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    lodra::setUpProgram(app);
    lodra::forLodra02 window;
    window.show();
    return QApplication::exec();
}
