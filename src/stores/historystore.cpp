#include "historystore.h"

#include "apiclient.h"
#include "propertyassignment.h"
#include "requestaccess.h"
#include "systemclock.h"

#include <QPointer>
#include <QSet>

#include <type_traits>

namespace Tolvan {

namespace {

const QString listSignInText = QStringLiteral("Please sign in again to load history.");
const QString actionSignInText = QStringLiteral("Please sign in again to update history.");

ServiceError signInAgain(const QString &detail)
{
    return ServiceError::response(ErrorFamily::History, AuthStore::rejectionStatus, detail);
}

QCoro::Task<Result<HistoryEntry>> deleteAndConfirm(HistoryEntry entry,
                                                   std::shared_ptr<APIClientProtocol> client,
                                                   QString accessToken, CancellationToken cancel)
{
    const auto deleted = co_await client->deleteHistoryEntry(entry.id, accessToken, cancel);
    if (deleted) {
        co_return entry;
    }
    const ServiceError &error = deleted.error();
    // The entry is gone either way.
    if (error.kind() == ServiceError::Kind::Response &&
        error.status() == HistoryStore::notFoundStatus) {
        co_return entry;
    }
    co_return error;
}

} // namespace

HistoryStore::HistoryStore(AuthStore *auth, std::shared_ptr<APIClientProtocol> client,
                           std::shared_ptr<Clock> clock, QTimeZone timeZone, QObject *parent)
    : QObject(parent)
    , m_auth(auth)
    , m_client(client ? std::move(client) : std::make_shared<APIClient>())
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
    , m_timeZone(std::move(timeZone))
{
    updateDerived();
    m_auth->addAccountChangeObserver([self = QPointer<HistoryStore>(this)] {
        if (self) {
            self->handleAccountChange();
        }
    });
}

HistoryStore::~HistoryStore()
{
    // Stops the transfers and the debounce; their coroutines then find the store gone.
    cancelListTask();
    cancelActionTask();
}

void HistoryStore::setSearch(const QString &search)
{
    if (!assignProperty(this, m_search, search, &HistoryStore::searchChanged)) {
        return;
    }
    updateDerived();
    if (!m_isResettingControls) {
        reload(true, false);
    }
}

void HistoryStore::setFilter(std::optional<HistoryKind> filter)
{
    if (!assignProperty(this, m_filter, filter, &HistoryStore::filterChanged)) {
        return;
    }
    updateDerived();
    if (!m_isResettingControls) {
        reload(false, false);
    }
}

QString HistoryStore::filterRawValue() const
{
    return m_filter ? rawValue(*m_filter) : QString();
}

void HistoryStore::setFilterRawValue(const QString &rawValue)
{
    setFilter(fromRawValue<HistoryKind>(rawValue));
}

QString HistoryStore::actionIDText() const
{
    return m_actionID ? QString::number(*m_actionID) : QString();
}

QList<HistorySection> HistoryStore::sections(const QList<HistoryEntry> &entries) const
{
    return HistorySection::sections(entries, m_clock->now(), m_timeZone);
}

void HistoryStore::reload(bool debounced, bool keepingEntries)
{
    if (m_isClearing) {
        return;
    }
    m_generation = QUuid::createUuid();
    cancelListTask();
    if (!keepingEntries) {
        setEntries({});
    }
    setPage(0);
    setTotalPages(0);
    loadPage(1, debounced);
}

void HistoryStore::loadPage(qint64 number, bool debounced)
{
    const QUuid generation = m_generation;
    const std::optional<HistoryKind> filter = m_filter;
    const QString search = m_search;
    setIsLoading(true);
    setMessage(std::nullopt);
    // Superseded list work stops; only one list request is in flight.
    cancelListTask();
    const CancellationToken cancel;
    m_listTask = cancel;
    runList(generation, filter, search, number, debounced, cancel);
}

void HistoryStore::loadMore()
{
    if (m_canLoadMore && !m_isLoading && !m_isClearing) {
        loadPage(m_page + 1, false);
    }
}

QCoro::Task<> HistoryStore::runList(QUuid generation, std::optional<HistoryKind> filter,
                                    QString search, qint64 number, bool debounced,
                                    CancellationToken cancel)
{
    QPointer<HistoryStore> self(this);
    const auto client = m_client;
    const auto clock = m_clock;
    // A cancelled task leaves the state to the work that replaced it.
    const auto isCurrent = [&] { return m_generation == generation && !cancel.isCancelled(); };
    bool slept = true;
    if (debounced) {
        slept = co_await clock->sleep(searchDebounce, cancel);
        if (!self) {
            co_return;
        }
    }
    if (slept) {
        const QCoro::Task<RequestAccess> pendingAccess =
            RequestAccess::obtain(m_auth, this, isCurrent);
        const RequestAccess access = co_await pendingAccess;
        if (access.requesterGone()) {
            co_return;
        }
        if (access.isSignedOut()) {
            setMessage(signInAgain(listSignInText).text());
        } else if (access.isGranted()) {
            const auto answer =
                co_await client->fetchHistory(filter, search, number, access.accessToken(), cancel);
            if (!self) {
                co_return;
            }
            if (isCurrent()) {
                if (answer) {
                    applyPage(number, answer.value());
                } else {
                    setMessage(answer.error().text());
                }
            }
        }
    }
    if (isCurrent()) {
        setIsLoading(false);
        m_listTask.reset();
    }
}

void HistoryStore::applyPage(qint64 number, const HistoryListResponse &answer)
{
    // Page 1 starts the list afresh, even when later pages arrived before it.
    QList<HistoryEntry> entries = number == 1 ? QList<HistoryEntry>() : m_entries;
    QSet<qint64> ids;
    for (const HistoryEntry &entry : std::as_const(entries)) {
        ids.insert(entry.id);
    }
    for (const HistoryEntry &entry : answer.history) {
        if (!ids.contains(entry.id)) {
            ids.insert(entry.id);
            entries.append(entry);
        }
    }
    setEntries(entries);
    setPage(answer.pagination.page);
    setTotalPages(answer.pagination.totalPages);
}

template<typename Value, typename Handler>
QCoro::Task<> HistoryStore::runAction(
    QUuid accountGeneration,
    std::function<QCoro::Task<Result<Value>>(std::shared_ptr<APIClientProtocol> client,
                                             QString accessToken, CancellationToken cancel)>
        operation,
    Handler onSuccess, CancellationToken cancel)
{
    QPointer<HistoryStore> self(this);
    const auto client = m_client;
    const auto isCurrent = [&] {
        return m_accountGeneration == accountGeneration && !cancel.isCancelled();
    };
    const QCoro::Task<RequestAccess> pendingAccess = RequestAccess::obtain(m_auth, this, isCurrent);
    const RequestAccess access = co_await pendingAccess;
    if (access.requesterGone()) {
        co_return;
    }
    if (access.isSignedOut()) {
        setActionMessage(signInAgain(actionSignInText).text());
    } else if (access.isGranted()) {
        // Awaited as a named task: no temporary lives across the suspension.
        const QCoro::Task<Result<Value>> pending = operation(client, access.accessToken(), cancel);
        const auto answer = co_await pending;
        if (!self) {
            co_return;
        }
        if (isCurrent()) {
            if (!answer) {
                setActionMessage(answer.error().text());
            } else if constexpr (std::is_void_v<Value>) {
                onSuccess();
            } else {
                onSuccess(answer.value());
            }
        }
    }
    if (m_accountGeneration == accountGeneration) {
        // Only one of the two runs at a time; the other is already clear.
        setActionID(std::nullopt);
        setIsClearing(false);
        m_actionTask.reset();
    }
}

void HistoryStore::runEntryAction(const HistoryEntry &entry, EntryOperation operation,
                                  EntryHandler onSuccess)
{
    if (m_actionID || m_isClearing) {
        return;
    }
    const QUuid accountGeneration = m_accountGeneration;
    setActionID(entry.id);
    setActionMessage(std::nullopt);
    const CancellationToken cancel;
    m_actionTask = cancel;
    runAction<HistoryEntry>(accountGeneration, std::move(operation), std::move(onSuccess), cancel);
}

HistoryStore::EntryOperation HistoryStore::fetchOperation(const HistoryEntry &entry)
{
    return [id = entry.id](std::shared_ptr<APIClientProtocol> client, QString accessToken,
                           CancellationToken cancel) {
        return client->fetchHistoryEntry(id, accessToken, cancel);
    };
}

HistoryStore::EntryOperation HistoryStore::deleteOperation(const HistoryEntry &entry)
{
    return [entry](std::shared_ptr<APIClientProtocol> client, QString accessToken,
                   CancellationToken cancel) {
        return deleteAndConfirm(entry, client, accessToken, cancel);
    };
}

void HistoryStore::removeEntry(qint64 id)
{
    QList<HistoryEntry> entries = m_entries;
    entries.removeIf([id](const HistoryEntry &entry) { return entry.id == id; });
    setEntries(entries);
    reload(false, true);
}

void HistoryStore::retryList()
{
    loadPage(m_page + 1, false);
}

void HistoryStore::openEntry(const QString &id)
{
    const auto entry = loadedEntry(id);
    if (!entry) {
        return;
    }
    QPointer<HistoryStore> self(this);
    runEntryAction(*entry, fetchOperation(*entry), [self](const HistoryEntry &opened) {
        if (self) {
            Q_EMIT self->entryOpened(opened);
        }
    });
}

void HistoryStore::deleteEntry(const QString &id)
{
    const auto entry = loadedEntry(id);
    if (!entry) {
        return;
    }
    QPointer<HistoryStore> self(this);
    runEntryAction(*entry, deleteOperation(*entry), [self](const HistoryEntry &deleted) {
        if (self) {
            self->removeEntry(deleted.id);
        }
    });
}

void HistoryStore::clearAll()
{
    if (m_actionID || m_isClearing) {
        return;
    }
    m_generation = QUuid::createUuid();
    cancelListTask();
    setIsLoading(false);
    setMessage(std::nullopt);
    const QUuid accountGeneration = m_accountGeneration;
    setIsClearing(true);
    setActionMessage(std::nullopt);
    const CancellationToken cancel;
    m_actionTask = cancel;
    runAction<void>(
        accountGeneration,
        [](std::shared_ptr<APIClientProtocol> client, QString accessToken,
           CancellationToken cancel) { return client->clearHistory(accessToken, cancel); },
        [this] {
            setEntries({});
            setPage(0);
            setTotalPages(0);
            resetControls();
        },
        cancel);
}

std::optional<HistoryEntry> HistoryStore::loadedEntry(const QString &id) const
{
    bool isNumber = false;
    const qint64 number = id.toLongLong(&isNumber);
    if (!isNumber) {
        return std::nullopt;
    }
    for (const HistoryEntry &entry : m_entries) {
        if (entry.id == number) {
            return entry;
        }
    }
    return std::nullopt;
}

void HistoryStore::resetControls()
{
    m_isResettingControls = true;
    setSearch(QString());
    setFilter(std::nullopt);
    m_isResettingControls = false;
}

void HistoryStore::handleAccountChange()
{
    m_generation = QUuid::createUuid();
    m_accountGeneration = QUuid::createUuid();
    cancelListTask();
    cancelActionTask();
    setEntries({});
    setPage(0);
    setTotalPages(0);
    setIsLoading(false);
    setIsClearing(false);
    setActionID(std::nullopt);
    setMessage(std::nullopt);
    setActionMessage(std::nullopt);
    resetControls();
}

void HistoryStore::cancelListTask()
{
    if (m_listTask) {
        m_listTask->cancel();
        m_listTask.reset();
    }
}

void HistoryStore::cancelActionTask()
{
    if (m_actionTask) {
        m_actionTask->cancel();
        m_actionTask.reset();
    }
}

void HistoryStore::setEntries(const QList<HistoryEntry> &entries)
{
    if (assignProperty(this, m_entries, entries, &HistoryStore::entriesChanged)) {
        updateDerived();
    }
}

void HistoryStore::setIsLoading(bool isLoading)
{
    if (assignProperty(this, m_isLoading, isLoading, &HistoryStore::isLoadingChanged)) {
        updateDerived();
    }
}

void HistoryStore::setIsClearing(bool isClearing)
{
    if (assignProperty(this, m_isClearing, isClearing, &HistoryStore::isClearingChanged)) {
        updateDerived();
    }
}

void HistoryStore::setActionID(std::optional<qint64> actionID)
{
    if (assignProperty(this, m_actionID, actionID, &HistoryStore::actionIDChanged)) {
        updateDerived();
    }
}

void HistoryStore::setMessage(const std::optional<QString> &message)
{
    if (assignProperty(this, m_message, message, &HistoryStore::messageChanged)) {
        updateDerived();
    }
}

void HistoryStore::setActionMessage(const std::optional<QString> &actionMessage)
{
    assignProperty(this, m_actionMessage, actionMessage, &HistoryStore::actionMessageChanged);
}

void HistoryStore::setPage(qint64 page)
{
    if (assignProperty(this, m_page, page, &HistoryStore::pageChanged)) {
        updateDerived();
    }
}

void HistoryStore::setTotalPages(qint64 totalPages)
{
    if (assignProperty(this, m_totalPages, totalPages, &HistoryStore::totalPagesChanged)) {
        updateDerived();
    }
}

void HistoryStore::updateDerived()
{
    assignProperty(this, m_canLoadMore, m_page >= 1 && m_page < m_totalPages,
                   &HistoryStore::canLoadMoreChanged);
    assignProperty(this, m_canRunEntryAction, !m_actionID && !m_isClearing,
                   &HistoryStore::canRunEntryActionChanged);
    // Nothing to clear is known while the first page is still on its way.
    assignProperty(this, m_canClear,
                   !m_actionID && !m_isClearing && !(m_isLoading && m_entries.isEmpty()),
                   &HistoryStore::canClearChanged);
    assignProperty(this, m_loadingText,
                   m_entries.isEmpty() ? QStringLiteral("Loading history…")
                                       : QStringLiteral("Loading more…"),
                   &HistoryStore::loadingTextChanged);
    const bool isNarrowed = !m_search.trimmed().isEmpty() || m_filter.has_value();
    assignProperty(this, m_emptyTitle,
                   isNarrowed ? QStringLiteral("No matching entries")
                              : QStringLiteral("No history yet"),
                   &HistoryStore::emptyTitleChanged);
    assignProperty(this, m_clearButtonTitle,
                   m_isClearing ? QStringLiteral("Clearing history")
                                : QStringLiteral("Clear history"),
                   &HistoryStore::clearButtonTitleChanged);
    ListEnd listEnd = ListEnd::Nothing;
    if (m_isLoading) {
        listEnd = ListEnd::Loading;
    } else if (m_message) {
        listEnd = ListEnd::Message;
    } else if (m_entries.isEmpty()) {
        listEnd = ListEnd::Empty;
    } else if (m_canLoadMore) {
        listEnd = ListEnd::LoadMore;
    }
    assignProperty(this, m_listEnd, listEnd, &HistoryStore::listEndChanged);
}

} // namespace Tolvan
