#include "shorttimeformat.h"

#include <unicode/datefmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace Tolvan {

QString ShortTimeFormat::format(const QDateTime &moment, const QLocale &locale,
                                const QTimeZone &timeZone)
{
    const icu::Locale icuLocale(locale.name().toUtf8().constData());
    std::unique_ptr<icu::DateFormat> formatter(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, icuLocale));
    if (!formatter) {
        return locale.toString(moment.toTimeZone(timeZone).time(), QLocale::ShortFormat);
    }
    const QByteArray zoneID = timeZone.id();
    if (!zoneID.isEmpty()) {
        formatter->adoptTimeZone(icu::TimeZone::createTimeZone(
            icu::UnicodeString::fromUTF8(icu::StringPiece(zoneID.constData(), zoneID.size()))));
    }
    icu::UnicodeString text;
    formatter->format(static_cast<UDate>(moment.toMSecsSinceEpoch()), text);
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

} // namespace Tolvan
