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

namespace {

// Qt 6 words the standard buttons (of message boxes and file dialogs) under the context
// QPlatformTheme, which Qt's Swedish catalog does not hold; it holds the same texts under
// QDialogButtonBox, where Qt 5 kept them. This hands those over.
class StandardButtonTexts : public QTranslator {
  public:
    StandardButtonTexts(const QTranslator& catalog, QObject* parent)
        : QTranslator(parent), catalog_(catalog) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QPlatformTheme") != 0) {
            return {};
        }
        return catalog_.translate("QDialogButtonBox", source, disambiguation, n);
    }

  private:
    const QTranslator& catalog_;
};

// The program's Swedish for the texts of Qt's print, page setup and file dialogs that Qt's
// own catalogue lacks (ui/translations/qtextra_sv.ts, built in).
bool installOwnTexts(QApplication& app) {
    loadResources();
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral(":/lodra05/i18n/qtextra_sv.qm")) &&
        QCoreApplication::installTranslator(translator)) {
        return true;
    }
    delete translator;
    return false;
}

}  // namespace

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
            QCoreApplication::installTranslator(new StandardButtonTexts(*translator, translator));
        } else {
            delete translator;
        }
    }
    // Installed last, asked first: the program's own Swedish for what Qt's lacks.
    return installOwnTexts(app) || installed;
}

}  // namespace lodra
