#pragma once

#include "clock.h"
#include "historyentry.h"
#include "historypagination.h"

#include <QSqlDatabase>

#include <optional>

namespace Tolvan {

// Each account's past translations and improvements, newest first.
class HistoryBook {
public:
    static constexpr qint64 defaultPageSize = 20;

    struct Query {
        std::optional<HistoryKind> type;
        // Matched without regard to case in the source and the result.
        QString search;
        qint64 page = 1;
        qint64 pageSize = defaultPageSize;
    };
    struct Page {
        QList<HistoryEntry> entries;
        HistoryPagination pagination;
    };

    HistoryBook(QSqlDatabase database, const Clock &clock);

    HistoryEntry add(qint64 account, HistoryKind type, const QString &source, const QString &result,
                     std::optional<QString> sourceLanguage = {},
                     std::optional<QString> targetLanguage = {});
    Page page(qint64 account, const Query &query) const;
    std::optional<HistoryEntry> entry(qint64 account, qint64 id) const;
    // False when the account has no such entry.
    bool remove(qint64 account, qint64 id);
    void clear(qint64 account);

private:
    QSqlDatabase m_database;
    const Clock &m_clock;
};

} // namespace Tolvan
