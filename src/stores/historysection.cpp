#include "historysection.h"

#include "abbreviateddateformat.h"

#include <functional>
#include <map>

namespace Tolvan {

namespace {

QString dayTitle(const QDate &day, const QDate &today, const QLocale &locale)
{
    if (day == today) {
        return QStringLiteral("Today");
    }
    if (day == today.addDays(-1)) {
        return QStringLiteral("Yesterday");
    }
    return AbbreviatedDateFormat::format(day, locale);
}

} // namespace

QList<HistorySection> HistorySection::sections(const QList<HistoryEntry> &entries,
                                               const QDateTime &now, const QTimeZone &timeZone,
                                               const QLocale &locale)
{
    std::map<QDate, QList<HistoryEntry>, std::greater<>> days;
    for (const HistoryEntry &entry : entries) {
        days[entry.insertedAt.toTimeZone(timeZone).date()].append(entry);
    }
    const QDate today = now.toTimeZone(timeZone).date();
    QList<HistorySection> sections;
    sections.reserve(qsizetype(days.size()));
    for (const auto &[day, dayEntries] : days) {
        sections.append(HistorySection{
            .date = day.startOfDay(timeZone),
            .title = dayTitle(day, today, locale),
            .entries = dayEntries,
        });
    }
    return sections;
}

} // namespace Tolvan
