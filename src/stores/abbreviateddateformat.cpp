#include "abbreviateddateformat.h"

#include <QTimeZone>

#include <unicode/datefmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace Tolvan {

QString AbbreviatedDateFormat::format(const QDate &date, const QLocale &locale)
{
    const icu::Locale icuLocale(locale.name().toUtf8().constData());
    std::unique_ptr<icu::DateFormat> formatter(
        icu::DateFormat::createDateInstance(icu::DateFormat::kMedium, icuLocale));
    if (!formatter) {
        return locale.toString(date, QLocale::ShortFormat);
    }
    // The date is given as its midnight in UTC and written in UTC, so that no
    // zone moves it to a neighbouring day.
    formatter->setTimeZone(*icu::TimeZone::getGMT());
    const auto midnight = QDateTime(date, QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    icu::UnicodeString text;
    formatter->format(static_cast<UDate>(midnight), text);
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

} // namespace Tolvan
