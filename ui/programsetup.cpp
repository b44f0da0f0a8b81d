#include "ui/programsetup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The resource file is built into the static ui library; its initialiser is called by name,
// from the global namespace, where it is declared.
static void loadResources() {
    Q_INIT_RESOURCE(lodra05);
}

namespace lodra {

QIcon programIcon() {
    loadResources();
    return QIcon(QStringLiteral(":/lodra05/lodra05.svg"));
}

bool setUpProgram(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Lodra05"));
    QApplication::setWindowIcon(programIcon());
    const QLocale locale = QLocale::system();
    if (locale.language() != QLocale::Swedish) {
        return false;
    }
    // qt_sv holds the Swedish texts of Qt's dialogs and widgets; qtbase_sv, where a
    // translation package has it, completes them.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool installed = false;
    for (const char* catalog : {"qtbase", "qt"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(locale, QString::fromLatin1(catalog), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            installed = true;
        } else {
            delete translator;
        }
    }
    return installed;
}

}  // namespace lodra
