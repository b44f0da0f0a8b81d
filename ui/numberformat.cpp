#include "ui/numberformat.h"

#include "report/decimalseparator.h"

namespace lodra {

NumberFormat::NumberFormat(const QLocale& regional)
    : locale_(regional),
      separator_(reportDecimalSeparator(regional.decimalPoint().toStdU16String())) {
    if (regional.decimalPoint() != QString(QLatin1Char(separator_))) {
        locale_ = QLocale::c();
    }
}

NumberFormat systemNumberFormat() {
    return NumberFormat(QLocale::system());
}

}  // namespace lodra
