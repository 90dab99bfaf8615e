#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

namespace Tolvan {

// A moment's time of day in the locale's short time style without a date,
// as ICU writes it: "3:07 PM" in en_US, "15:07" in de_DE.
class ShortTimeFormat {
public:
    static QString format(const QDateTime &moment, const QLocale &locale = QLocale(),
                          const QTimeZone &timeZone = QTimeZone::systemTimeZone());
};

} // namespace Tolvan
