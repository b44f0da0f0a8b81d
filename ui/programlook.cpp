#include "ui/programlook.h"

#include <QPlainTextEdit>

#include "session/session.h"
#include "ui_forcatalog.h"
#include "ui_forlodra02.h"
#include "ui_forresultat.h"
#include "ui_fortraddiametrar.h"

namespace lodra {

WindowLook programLook(const QFont& font, char decimalSeparator) {
    QWidget parameters;
    QWidget trees;
    QWidget result;
    QWidget chooser;
    Ui::forLodra02 parametersForm;
    Ui::forTradDiametrar treesForm;
    Ui::forResultat resultForm;
    Ui::forCatalog chooserForm;
    parametersForm.setupUi(&parameters);
    treesForm.setupUi(&trees);
    resultForm.setupUi(&result);
    chooserForm.setupUi(&chooser);

    // The texts of the initial entries of both windows.
    Session initial(decimalSeparator);
    std::vector<BoxText> texts;
    if (initial.berakna(InputRecord{}, CalcOptions{}).ok()) {
        result.setFont(font);
        setReportTabStops(resultForm.txtIndata);
        setReportTabStops(resultForm.txtResultat);
        texts = {{resultForm.txtIndata, QString::fromStdString(initial.Indata)},
                 {resultForm.txtResultat, QString::fromStdString(initial.Resultat)}};
    }
    return WindowLook::fitting(font, {&parameters, &trees, &result, &chooser}, texts);
}

}  // namespace lodra
