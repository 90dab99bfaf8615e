#include "historybook.h"

#include "randomvalues.h"

#include <QSqlQuery>

namespace Tolvan {

namespace {

const QString entryColumns =
    QStringLiteral("id, type, source, result, source_language, target_language, inserted_at");

std::optional<QString> optionalText(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<QString>(value.toString());
}

HistoryEntry entryFromRow(const QSqlQuery &query)
{
    return {
        .id = query.value(0).toLongLong(),
        .type = fromRawValue<HistoryKind>(query.value(1).toString()).value_or(HistoryKind::Writing),
        .source = query.value(2).toString(),
        .result = query.value(3).toString(),
        .sourceLanguage = optionalText(query.value(4)),
        .targetLanguage = optionalText(query.value(5)),
        .insertedAt = QDateTime::fromMSecsSinceEpoch(query.value(6).toLongLong(), Qt::UTC),
    };
}

QVariant nullable(const std::optional<QString> &text)
{
    return text ? QVariant(*text) : QVariant(QMetaType::fromType<QString>());
}

// The filter of a page query and its values, in binding order.
struct Filter {
    QString clause;
    QVariantList values;
};

Filter filterFor(qint64 account, const HistoryBook::Query &query)
{
    Filter filter{QStringLiteral("account_id = ?"), {account}};
    if (query.type) {
        filter.clause += QStringLiteral(" AND type = ?");
        filter.values.append(rawValue(*query.type));
    }
    const QString needle = query.search.trimmed().toCaseFolded();
    if (!needle.isEmpty()) {
        filter.clause +=
            QStringLiteral(" AND (instr(folded_source, ?) > 0 OR instr(folded_result, ?) > 0)");
        filter.values.append(needle);
        filter.values.append(needle);
    }
    return filter;
}

void bindAll(QSqlQuery &query, const QVariantList &values)
{
    for (const QVariant &value : values) {
        query.addBindValue(value);
    }
}

} // namespace

HistoryBook::HistoryBook(QSqlDatabase database, const Clock &clock)
    : m_database(std::move(database))
    , m_clock(clock)
{
}

HistoryEntry HistoryBook::add(qint64 account, HistoryKind type, const QString &source,
                              const QString &result, std::optional<QString> sourceLanguage,
                              std::optional<QString> targetLanguage)
{
    const HistoryEntry entry{
        .id = RandomValues::identifier(),
        .type = type,
        .source = source,
        .result = result,
        .sourceLanguage = std::move(sourceLanguage),
        .targetLanguage = std::move(targetLanguage),
        .insertedAt = m_clock.now().toUTC(),
    };
    QSqlQuery query(m_database);
    query.prepare(
        QStringLiteral("INSERT INTO history (id, account_id, type, source, result, source_language,"
                       " target_language, inserted_at, folded_source, folded_result)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    bindAll(query,
            {entry.id, account, rawValue(type), source, result, nullable(entry.sourceLanguage),
             nullable(entry.targetLanguage), entry.insertedAt.toMSecsSinceEpoch(),
             source.toCaseFolded(), result.toCaseFolded()});
    query.exec();
    return entry;
}

HistoryBook::Page HistoryBook::page(qint64 account, const Query &request) const
{
    const Filter filter = filterFor(account, request);
    Page page;
    page.pagination.page = request.page;
    page.pagination.pageSize = request.pageSize;

    QSqlQuery count(m_database);
    count.prepare(QStringLiteral("SELECT COUNT(*) FROM history WHERE ") + filter.clause);
    bindAll(count, filter.values);
    if (count.exec() && count.next()) {
        page.pagination.totalCount = count.value(0).toLongLong();
    }
    page.pagination.totalPages =
        (page.pagination.totalCount + request.pageSize - 1) / request.pageSize;

    QSqlQuery rows(m_database);
    rows.prepare(QStringLiteral("SELECT %1 FROM history WHERE %2"
                                " ORDER BY inserted_at DESC, seq DESC LIMIT ? OFFSET ?")
                     .arg(entryColumns, filter.clause));
    bindAll(rows, filter.values);
    rows.addBindValue(request.pageSize);
    rows.addBindValue((request.page - 1) * request.pageSize);
    rows.exec();
    while (rows.next()) {
        page.entries.append(entryFromRow(rows));
    }
    return page;
}

std::optional<HistoryEntry> HistoryBook::entry(qint64 account, qint64 id) const
{
    QSqlQuery query(m_database);
    query.prepare(
        QStringLiteral("SELECT %1 FROM history WHERE account_id = ? AND id = ?").arg(entryColumns));
    bindAll(query, {account, id});
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return entryFromRow(query);
}

bool HistoryBook::remove(qint64 account, qint64 id)
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("DELETE FROM history WHERE account_id = ? AND id = ?"));
    bindAll(query, {account, id});
    return query.exec() && query.numRowsAffected() > 0;
}

void HistoryBook::clear(qint64 account)
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("DELETE FROM history WHERE account_id = ?"));
    query.addBindValue(account);
    query.exec();
}

} // namespace Tolvan
