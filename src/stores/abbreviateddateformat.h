#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace Tolvan {

// A calendar date in the locale's abbreviated (medium) date style without a
// time, as ICU writes it: "Mar 1, 2025" in en_US, "1 mars 2025" in fr_FR.
class AbbreviatedDateFormat {
public:
    static QString format(const QDate &date, const QLocale &locale = QLocale());
};

} // namespace Tolvan
