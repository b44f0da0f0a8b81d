#pragma once

// The number format of a run of the desktop program, decided once when the program starts
// and handed to the windows: the locale the charts write their numbers in, and the decimal
// separator the entries are read with (besides '.') and the texts and tables written with.

#include <QLocale>

namespace lodra {

class NumberFormat {
  public:
    // The format of a locale: its decimal separator when the texts can write it (one
    // printable ASCII character, the same rule as the batch tool's), else '.' with the C
    // locale's numbers.
    explicit NumberFormat(const QLocale& regional);

    const QLocale& locale() const { return locale_; }
    char decimalSeparator() const { return separator_; }

  private:
    QLocale locale_;
    char separator_;
};

// The format of the user's regional settings.
NumberFormat systemNumberFormat();

}  // namespace lodra
