#pragma once

#include "historyentry.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QTimeZone>

namespace Tolvan {

// One day of the history list, with its heading.
struct HistorySection {
    Q_GADGET
    Q_PROPERTY(QDateTime date MEMBER date CONSTANT)
    Q_PROPERTY(QString title MEMBER title CONSTANT)
    Q_PROPERTY(QList<Tolvan::HistoryEntry> entries MEMBER entries CONSTANT)
public:
    // The start of the day in the list's time zone; also the section's identity.
    QDateTime date;
    // "Today", "Yesterday", or the day in the locale's abbreviated date style.
    QString title;
    // In the order of the list.
    QList<HistoryEntry> entries;

    // Groups `entries` by the day of their insertion in `timeZone`, newest day
    // first; `now` decides which days are today and yesterday.
    static QList<HistorySection> sections(const QList<HistoryEntry> &entries, const QDateTime &now,
                                          const QTimeZone &timeZone,
                                          const QLocale &locale = QLocale());

    bool operator==(const HistorySection &) const = default;
};

} // namespace Tolvan
