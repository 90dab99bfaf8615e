#pragma once

#include "apiclientprotocol.h"
#include "authstore.h"
#include "cancellationtoken.h"
#include "clock.h"
#include "historyentry.h"
#include "historysection.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimeZone>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace Tolvan {

// The History workspace: the account's past translations and improvements,
// loaded page by page and searched and filtered on the server, the actions on
// one entry (open, delete) and clearing everything.
//
// Confined to the main thread. Two tokens keep late answers out: `generation`
// belongs to the list (a reload, a clear or an account change replaces it) and
// `accountGeneration` to the actions (only an account change replaces it), so
// that a reload does not void an action in flight.
class HistoryStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)
    // A kind's raw value, "translation" or "writing"; "" for all entries.
    Q_PROPERTY(QString filter READ filterRawValue WRITE setFilterRawValue NOTIFY filterChanged)
    Q_PROPERTY(QList<Tolvan::HistoryEntry> entries READ entries NOTIFY entriesChanged)
    Q_PROPERTY(QList<Tolvan::HistorySection> sections READ sections NOTIFY entriesChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool isClearing READ isClearing NOTIFY isClearingChanged)
    // The entry's id as text; "" when no action runs.
    Q_PROPERTY(QString actionID READ actionIDText NOTIFY actionIDChanged)
    Q_PROPERTY(QString message READ messageText NOTIFY messageChanged)
    Q_PROPERTY(bool hasMessage READ hasMessage NOTIFY messageChanged)
    Q_PROPERTY(QString actionMessage READ actionMessageText NOTIFY actionMessageChanged)
    Q_PROPERTY(bool hasActionMessage READ hasActionMessage NOTIFY actionMessageChanged)
    Q_PROPERTY(qint64 page READ page NOTIFY pageChanged)
    Q_PROPERTY(qint64 totalPages READ totalPages NOTIFY totalPagesChanged)
    Q_PROPERTY(bool canLoadMore READ canLoadMore NOTIFY canLoadMoreChanged)
    // Rows take presses only while no action and no clear-all runs.
    Q_PROPERTY(bool canRunEntryAction READ canRunEntryAction NOTIFY canRunEntryActionChanged)
    Q_PROPERTY(bool canClear READ canClear NOTIFY canClearChanged)
    Q_PROPERTY(QString loadingText READ loadingText NOTIFY loadingTextChanged)
    Q_PROPERTY(QString emptyTitle READ emptyTitle NOTIFY emptyTitleChanged)
    Q_PROPERTY(QString clearButtonTitle READ clearButtonTitle NOTIFY clearButtonTitleChanged)
    Q_PROPERTY(ListEnd listEnd READ listEnd NOTIFY listEndChanged)

public:
    // What follows the last row: a progress line, the list's failure with a
    // way to retry, the empty state, the button for the next page, or nothing.
    enum class ListEnd { Nothing, Loading, Message, Empty, LoadMore };
    Q_ENUM(ListEnd)

    static constexpr std::chrono::milliseconds searchDebounce{300};
    static constexpr int notFoundStatus = 404;

    // Receives the client and an access token, and answers the entry that the
    // action produced. Keep it a plain function that returns the client's task:
    // it is called once and not kept alive while that task runs.
    using EntryOperation = std::function<QCoro::Task<Result<HistoryEntry>>(
        std::shared_ptr<APIClientProtocol> client, QString accessToken, CancellationToken cancel)>;
    using EntryHandler = std::function<void(const HistoryEntry &entry)>;

    // `auth` outlives the store. An absent client is an APIClient on the
    // configured service; an absent clock the system's. Days of the sections
    // begin at midnight in `timeZone`.
    explicit HistoryStore(AuthStore *auth, std::shared_ptr<APIClientProtocol> client = {},
                          std::shared_ptr<Clock> clock = {},
                          QTimeZone timeZone = QTimeZone::systemTimeZone(),
                          QObject *parent = nullptr);
    ~HistoryStore() override;

    QString search() const { return m_search; }
    // A different text reloads after a pause in typing.
    void setSearch(const QString &search);
    std::optional<HistoryKind> filter() const { return m_filter; }
    // A different value reloads at once.
    void setFilter(std::optional<HistoryKind> filter);
    QString filterRawValue() const;
    // Any text other than a kind's raw value means all entries.
    void setFilterRawValue(const QString &rawValue);
    QList<HistoryEntry> entries() const { return m_entries; }
    bool isLoading() const { return m_isLoading; }
    bool isClearing() const { return m_isClearing; }
    std::optional<qint64> actionID() const { return m_actionID; }
    QString actionIDText() const;
    std::optional<QString> message() const { return m_message; }
    QString messageText() const { return m_message.value_or(QString()); }
    bool hasMessage() const { return m_message.has_value(); }
    std::optional<QString> actionMessage() const { return m_actionMessage; }
    QString actionMessageText() const { return m_actionMessage.value_or(QString()); }
    bool hasActionMessage() const { return m_actionMessage.has_value(); }
    qint64 page() const { return m_page; }
    qint64 totalPages() const { return m_totalPages; }

    bool canLoadMore() const { return m_canLoadMore; }
    bool canRunEntryAction() const { return m_canRunEntryAction; }
    bool canClear() const { return m_canClear; }
    QString loadingText() const { return m_loadingText; }
    QString emptyTitle() const { return m_emptyTitle; }
    QString clearButtonTitle() const { return m_clearButtonTitle; }
    ListEnd listEnd() const { return m_listEnd; }

    // The loaded entries by day, newest day first.
    QList<HistorySection> sections() const { return sections(m_entries); }
    QList<HistorySection> sections(const QList<HistoryEntry> &entries) const;

    // Starts the list again from page 1; `keepingEntries` leaves the rows on
    // screen until page 1 replaces them.
    Q_INVOKABLE void reload(bool debounced, bool keepingEntries);
    // Loads page `number` (1 = first), replacing any list request in flight.
    Q_INVOKABLE void loadPage(qint64 number, bool debounced);
    Q_INVOKABLE void loadMore();
    // After a failed page: loads the page after the last one loaded, at once.
    Q_INVOKABLE void retryList();

    // Runs `operation` on `entry` unless an action or a clear-all runs, and
    // hands its answer to `onSuccess`.
    void runEntryAction(const HistoryEntry &entry, EntryOperation operation,
                        EntryHandler onSuccess);
    // Fetches the full entry.
    static EntryOperation fetchOperation(const HistoryEntry &entry);
    // Deletes the entry on the server; one the server no longer has counts as deleted.
    static EntryOperation deleteOperation(const HistoryEntry &entry);
    // Drops the loaded rows with `id` and reloads keeping the others on screen.
    void removeEntry(qint64 id);
    // For the screen: fetch a loaded entry and announce it through entryOpened().
    Q_INVOKABLE void openEntry(const QString &id);
    // For the screen: delete a loaded entry and remove it from the list.
    Q_INVOKABLE void deleteEntry(const QString &id);
    // Deletes the account's whole history.
    Q_INVOKABLE void clearAll();

Q_SIGNALS:
    void searchChanged();
    void filterChanged();
    void entriesChanged();
    void isLoadingChanged();
    void isClearingChanged();
    void actionIDChanged();
    void messageChanged();
    void actionMessageChanged();
    void pageChanged();
    void totalPagesChanged();
    void canLoadMoreChanged();
    void canRunEntryActionChanged();
    void canClearChanged();
    void loadingTextChanged();
    void emptyTitleChanged();
    void clearButtonTitleChanged();
    void listEndChanged();
    // The full entry that openEntry() fetched, for the workspace that restores it.
    void entryOpened(const Tolvan::HistoryEntry &entry);

private:
    QCoro::Task<> runList(QUuid generation, std::optional<HistoryKind> filter, QString search,
                          qint64 number, bool debounced, CancellationToken cancel);
    void applyPage(qint64 number, const HistoryListResponse &answer);
    // An entry action or the clear-all: sends `operation` and hands a value
    // it answers to `onSuccess` (with nothing for a request that answers none).
    template<typename Value, typename Handler>
    QCoro::Task<> runAction(
        QUuid accountGeneration,
        std::function<QCoro::Task<Result<Value>>(std::shared_ptr<APIClientProtocol> client,
                                                 QString accessToken, CancellationToken cancel)>
            operation,
        Handler onSuccess, CancellationToken cancel);
    std::optional<HistoryEntry> loadedEntry(const QString &id) const;
    void resetControls();
    void handleAccountChange();
    void cancelListTask();
    void cancelActionTask();

    void setEntries(const QList<HistoryEntry> &entries);
    void setIsLoading(bool isLoading);
    void setIsClearing(bool isClearing);
    void setActionID(std::optional<qint64> actionID);
    void setMessage(const std::optional<QString> &message);
    void setActionMessage(const std::optional<QString> &actionMessage);
    void setPage(qint64 page);
    void setTotalPages(qint64 totalPages);
    // Recomputes the values derived from the state above.
    void updateDerived();

    QString m_search;
    std::optional<HistoryKind> m_filter;
    QList<HistoryEntry> m_entries;
    bool m_isLoading = false;
    bool m_isClearing = false;
    std::optional<qint64> m_actionID;
    std::optional<QString> m_message;
    std::optional<QString> m_actionMessage;
    qint64 m_page = 0;
    qint64 m_totalPages = 0;

    bool m_canLoadMore = false;
    bool m_canRunEntryAction = true;
    bool m_canClear = true;
    QString m_loadingText;
    QString m_emptyTitle;
    QString m_clearButtonTitle;
    ListEnd m_listEnd = ListEnd::Nothing;

    AuthStore *const m_auth;
    const std::shared_ptr<APIClientProtocol> m_client;
    const std::shared_ptr<Clock> m_clock;
    const QTimeZone m_timeZone;
    QUuid m_generation = QUuid::createUuid();
    QUuid m_accountGeneration = QUuid::createUuid();
    std::optional<CancellationToken> m_listTask;
    std::optional<CancellationToken> m_actionTask;
    bool m_isResettingControls = false;
};

} // namespace Tolvan
