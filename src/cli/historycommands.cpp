#include "historycommands.h"

#include "jsonrecords.h"
#include "storewait.h"

#include <QRegularExpression>

namespace Tolvan {

namespace {

QString languagesOf(const HistoryEntry &entry)
{
    if (entry.type != HistoryKind::Translation) {
        return {};
    }
    return entry.sourceLanguageText() + QStringLiteral(" → ") + entry.targetLanguageText();
}

QString localTime(const QDateTime &moment, const QString &format)
{
    return moment.toLocalTime().toString(format);
}

// One line of the list, its fields between tabs: ID, kind, languages, time,
// and the text with its line breaks and tabs made single spaces.
QString rowOf(const HistoryEntry &entry)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n\\t]+\\s*"));
    const QString source = QString(entry.source).replace(breaks, QStringLiteral(" ")).trimmed();
    return QStringList{entry.idText(), rawValue(entry.type), languagesOf(entry),
                       localTime(entry.insertedAt, QStringLiteral("HH:mm")), source}
        .join(QLatin1Char('\t'));
}

QStringList detailsOf(const HistoryEntry &entry)
{
    QStringList lines{QStringLiteral("ID: ") + entry.idText(),
                      QStringLiteral("Type: ") + rawValue(entry.type)};
    if (entry.type == HistoryKind::Translation) {
        lines.append(QStringLiteral("Languages: ") + languagesOf(entry));
    }
    lines.append(QStringLiteral("Date: ") +
                 localTime(entry.insertedAt, QStringLiteral("yyyy-MM-dd HH:mm")));
    lines.append(QStringLiteral("Source:"));
    lines.append(entry.source);
    lines.append(QStringLiteral("Result:"));
    lines.append(entry.result);
    return lines;
}

} // namespace

HistoryCommands::HistoryCommands(CommandContext &context, const Invocation &invocation)
    : m_context(context)
    , m_invocation(invocation)
{
}

QCoro::Task<ExitStatus> HistoryCommands::list()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    HistoryStore &store = m_context.stores().history();
    store.setFilter(m_invocation.type);
    if (m_invocation.search) {
        store.setSearch(*m_invocation.search);
    }
    // Replaces the reloads that the filter and the search started.
    store.loadPage(m_invocation.page, false);
    co_await waitFor(&store, &HistoryStore::isLoading, &HistoryStore::isLoadingChanged, false);
    if (store.message()) {
        co_return m_context.fail(*store.message());
    }
    QStringList lines;
    for (const HistorySection &section : store.sections()) {
        lines.append(section.title);
        for (const HistoryEntry &entry : section.entries) {
            lines.append(rowOf(entry));
        }
    }
    nlohmann::json entries = nlohmann::json::array();
    for (const HistoryEntry &entry : store.entries()) {
        entries.push_back(JsonRecords::entry(entry));
    }
    m_context.print(
        lines, {{"page", store.page()}, {"total_pages", store.totalPages()}, {"entries", entries}});
    if (store.entries().isEmpty()) {
        m_context.console().printNote(store.emptyTitle());
    }
    if (store.totalPages() > 1) {
        m_context.console().printNote(
            QStringLiteral("Page %1 of %2").arg(store.page()).arg(store.totalPages()));
    }
    co_return ExitStatus::Success;
}

QCoro::Task<std::optional<HistoryEntry>> HistoryCommands::runOnEntry(OperationFor operationFor)
{
    HistoryStore &store = m_context.stores().history();
    // Only the ID of the entry matters to the operations.
    HistoryEntry entry;
    entry.id = m_invocation.entryID;
    std::optional<HistoryEntry> answered;
    store.runEntryAction(entry, operationFor(entry),
                         [&answered](const HistoryEntry &done) { answered = done; });
    co_await waitFor(&store, &HistoryStore::canRunEntryAction,
                     &HistoryStore::canRunEntryActionChanged, true);
    co_return answered;
}

QCoro::Task<ExitStatus> HistoryCommands::show()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    const std::optional<HistoryEntry> entry = co_await runOnEntry(&HistoryStore::fetchOperation);
    // Without the entry, the store's message says why.
    if (!entry) {
        co_return m_context.fail(m_context.stores().history().actionMessageText());
    }
    m_context.print(detailsOf(*entry), JsonRecords::entry(*entry));
    co_return ExitStatus::Success;
}

QCoro::Task<ExitStatus> HistoryCommands::remove()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    if (!co_await runOnEntry(&HistoryStore::deleteOperation)) {
        co_return m_context.fail(m_context.stores().history().actionMessageText());
    }
    m_context.print({}, {{"deleted", m_invocation.entryID}});
    co_return ExitStatus::Success;
}

QCoro::Task<ExitStatus> HistoryCommands::clear()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    HistoryStore &store = m_context.stores().history();
    store.clearAll();
    co_await waitFor(&store, &HistoryStore::isClearing, &HistoryStore::isClearingChanged, false);
    if (store.actionMessage()) {
        co_return m_context.fail(*store.actionMessage());
    }
    m_context.print({}, {{"cleared", true}});
    co_return ExitStatus::Success;
}

} // namespace Tolvan
