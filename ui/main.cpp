// Lodra05: starts straight into the parameters window. No settings; the command line has
// only --help and --version, which need no display.

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lodra05/version.h"
#include "ui/forlodra02.h"
#include "ui/numberformat.h"
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

constexpr const char* kHelp =
    "Användning: lodra05 [--help | --version]\n"
    "\n"
    "Beräknar avverkning, kassaflöde och nuvärde för ett skogsbestånd. Programmet öppnar\n"
    "parameterfönstret; allt annat görs i fönstren. Ett helt beståndsregister beräknas\n"
    "med lodra05-batch.\n"
    "\n"
    "Flaggor:\n"
    "  --help     visa den här hjälpen\n"
    "  --version  visa programmets version\n";

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("lodra05 %s\n", lodra::kVersion);
        return std::fflush(stdout) == 0 ? 0 : 2;
    }
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
    // The one place the number format is taken from the regional settings.
    lodra::forLodra02 window(lodra::systemNumberFormat());
    window.show();
    return QApplication::exec();
}
