#include "accountfixture.h"
#include "historystore.h"

#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;
using namespace Tolvan::Test;
using namespace std::chrono_literals;
using Op = ClientOperation;
using Call = FakeAPIClient::Call;

namespace {

const QString token = QStringLiteral("access-7");

HistoryEntry entry(qint64 id)
{
    return HistoryEntry{
        .id = id,
        .type = HistoryKind::Writing,
        .source = QStringLiteral("source %1").arg(id),
        .result = QStringLiteral("result %1").arg(id),
        .insertedAt = ManualClock::defaultStart().addSecs(-id * 60),
    };
}

HistoryListResponse listPage(const QList<qint64> &ids, qint64 page, qint64 totalPages)
{
    HistoryListResponse answer;
    for (const qint64 id : ids) {
        answer.history.append(entry(id));
    }
    answer.pagination = {
        .page = page, .pageSize = 20, .totalCount = qint64(ids.size()), .totalPages = totalPages};
    return answer;
}

QList<qint64> ids(const QList<HistoryEntry> &entries)
{
    QList<qint64> result;
    for (const HistoryEntry &loaded : entries) {
        result.append(loaded.id);
    }
    return result;
}

Call fetchCall(const QString &type, const QString &search, qint64 page)
{
    return Call{Op::FetchHistory, {type, search, QString::number(page), token}};
}

ServiceError historyError(int status, const QString &detail)
{
    return ServiceError::response(ErrorFamily::History, status, detail);
}

struct Harness {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    HistoryStore store{&account.auth, client, account.clock, QTimeZone::utc()};

    qsizetype fetchCount() const { return client->calls(Op::FetchHistory).size(); }

    // Signed in, with pages up to `lastPage` of `totalPages` loaded: ids
    // 1 to 2 on page 1, 3 to 4 on page 2 and so on.
    void loadPages(qint64 lastPage, qint64 totalPages)
    {
        account.signIn();
        store.reload(false, false);
        for (qint64 page = 1; page <= lastPage; ++page) {
            client->answer<Op::FetchHistory>(listPage({page * 2 - 1, page * 2}, page, totalPages));
            if (page > 1) {
                store.loadMore();
            }
            settle();
        }
    }
};

} // namespace

class HistoryStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typingSendsOneRequestAfterTheLastPause()
    {
        Harness h;
        h.account.signIn();
        for (const QString &text : {QStringLiteral("h"), QStringLiteral("he")}) {
            h.store.setSearch(text);
            settle();
            h.account.clock->advance(100ms);
            settle();
        }
        h.store.setSearch(QStringLiteral("hel"));
        settle();
        h.account.clock->advance(299ms);
        settle();
        QCOMPARE(h.fetchCount(), 0);
        QVERIFY(h.store.isLoading());

        h.account.clock->advance(1ms);
        settle();
        QCOMPARE(h.client->calls(), QList{fetchCall({}, QStringLiteral("hel"), 1)});
        QCOMPARE(h.account.clock->requestedSleeps().count(300ms), 3);

        h.client->answer<Op::FetchHistory>(listPage({5}, 1, 1));
        settle();
        QCOMPARE(ids(h.store.entries()), QList<qint64>{5});
        QVERIFY(!h.store.isLoading());
    }

    void filterChangeSendsAtOnce()
    {
        Harness h;
        h.account.signIn();
        h.store.setFilter(HistoryKind::Translation);
        settle();

        QCOMPARE(h.client->calls(), QList{fetchCall(QStringLiteral("translation"), {}, 1)});
        QVERIFY(!h.account.clock->requestedSleeps().contains(300ms));
    }

    void settingTheSameValueSendsNothing()
    {
        Harness h;
        h.account.signIn();
        h.store.setSearch(QStringLiteral("abc"));
        h.store.setFilterRawValue(QStringLiteral("writing"));
        h.account.clock->advance(1s);
        settle();
        const auto calls = h.client->calls();
        QSignalSpy searchSpy(&h.store, &HistoryStore::searchChanged);
        QSignalSpy filterSpy(&h.store, &HistoryStore::filterChanged);

        h.store.setSearch(QStringLiteral("abc"));
        h.store.setFilter(HistoryKind::Writing);
        h.account.clock->advance(1s);
        settle();

        QCOMPARE(h.client->calls(), calls);
        QCOMPARE(searchSpy.count(), 0);
        QCOMPARE(filterSpy.count(), 0);
    }

    void repeatedIdsAreAppendedOnce()
    {
        Harness h;
        h.account.signIn();
        h.store.reload(false, false);
        h.client->answer<Op::FetchHistory>(listPage({1, 2, 2}, 1, 3));
        settle();
        h.client->answer<Op::FetchHistory>(listPage({2, 3, 3, 4}, 2, 3));
        h.store.loadMore();
        settle();

        QCOMPARE(h.client->calls(Op::FetchHistory).last(), fetchCall({}, {}, 2));
        QCOMPARE(ids(h.store.entries()), (QList<qint64>{1, 2, 3, 4}));
        QCOMPARE(h.store.page(), 2);
        QCOMPARE(h.store.totalPages(), 3);
    }

    void pageOneArrivingLateReplacesTheList()
    {
        Harness h;
        h.loadPages(2, 2);
        QCOMPARE(ids(h.store.entries()), (QList<qint64>{1, 2, 3, 4}));

        h.store.removeEntry(2);
        settle();
        // The other rows stay on screen until page 1 arrives.
        QCOMPARE(ids(h.store.entries()), (QList<qint64>{1, 3, 4}));
        QCOMPARE(h.store.page(), 0);
        QCOMPARE(h.client->calls(Op::FetchHistory).last(), fetchCall({}, {}, 1));

        h.client->answer<Op::FetchHistory>(listPage({1, 3}, 1, 2));
        settle();
        QCOMPARE(ids(h.store.entries()), (QList<qint64>{1, 3}));
        QCOMPARE(h.store.page(), 1);
    }

    void canLoadMore_data()
    {
        QTest::addColumn<qint64>("lastPage");
        QTest::addColumn<qint64>("totalPages");
        QTest::addColumn<bool>("expected");
        QTest::newRow("nothing loaded") << qint64(0) << qint64(3) << false;
        QTest::newRow("first of three") << qint64(1) << qint64(3) << true;
        QTest::newRow("last page") << qint64(3) << qint64(3) << false;
    }

    void canLoadMore()
    {
        QFETCH(qint64, lastPage);
        QFETCH(qint64, totalPages);
        QFETCH(bool, expected);
        Harness h;
        h.loadPages(lastPage, totalPages);
        QCOMPARE(h.store.canLoadMore(), expected);

        const auto before = h.fetchCount();
        if (lastPage > 0) {
            h.store.loadMore();
            settle();
        }
        QCOMPARE(h.fetchCount(), before + (expected ? 1 : 0));
    }

    void actionsWaitForEachOther_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("attempt");
        QTest::newRow("delete during another action") << "open"
                                                      << "delete";
        QTest::newRow("delete while clearing") << "clear"
                                               << "delete";
        QTest::newRow("clear during an action") << "open"
                                                << "clear";
    }

    void actionsWaitForEachOther()
    {
        QFETCH(QString, running);
        QFETCH(QString, attempt);
        Harness h;
        h.loadPages(1, 1);
        const auto start = [&h](const QString &action) {
            if (action == QLatin1String("open")) {
                h.store.openEntry(QStringLiteral("1"));
            } else if (action == QLatin1String("delete")) {
                h.store.deleteEntry(QStringLiteral("2"));
            } else {
                h.store.clearAll();
            }
        };
        start(running);
        settle();
        const auto calls = h.client->calls();
        const auto actionID = h.store.actionID();
        QVERIFY(!h.store.canRunEntryAction());

        start(attempt);
        settle();
        QCOMPARE(h.client->calls(), calls);
        QCOMPARE(h.store.actionID(), actionID);
    }

    void deleteOutcomes_data()
    {
        // 0: the server deleted the entry.
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("actionMessage");
        QTest::newRow("deleted") << 0 << true << QString();
        QTest::newRow("already gone") << 404 << true << QString();
        QTest::newRow("refused") << 500 << false << QStringLiteral("Try later.");
    }

    void deleteOutcomes()
    {
        QFETCH(int, status);
        QFETCH(bool, removed);
        QFETCH(QString, actionMessage);
        Harness h;
        h.loadPages(1, 1);
        const auto fetches = h.fetchCount();

        h.store.deleteEntry(QStringLiteral("1"));
        QCOMPARE(h.store.actionIDText(), QStringLiteral("1"));
        settle();
        QCOMPARE(h.client->calls().last(),
                 (Call{Op::DeleteHistoryEntry, {QStringLiteral("1"), token}}));
        h.client->answer<Op::DeleteHistoryEntry>(
            status == 0 ? Result<void>()
                        : Result<void>(historyError(status, QStringLiteral("Try later."))));
        settle();

        QCOMPARE(ids(h.store.entries()), removed ? QList<qint64>{2} : (QList<qint64>{1, 2}));
        QCOMPARE(h.store.actionMessageText(), actionMessage);
        QCOMPARE(h.store.hasActionMessage(), !actionMessage.isEmpty());
        QCOMPARE(h.store.actionID(), std::nullopt);
        // A removal reloads page 1, keeping the other rows meanwhile.
        QCOMPARE(h.fetchCount(), fetches + (removed ? 1 : 0));
    }

    void openingHandsOverTheFetchedEntry()
    {
        Harness h;
        h.loadPages(1, 1);
        QSignalSpy opened(&h.store, &HistoryStore::entryOpened);
        HistoryEntry full = entry(2);
        full.source = QStringLiteral("the whole source text");

        h.store.openEntry(QStringLiteral("2"));
        h.client->answer<Op::FetchHistoryEntry>(full);
        settle();

        QCOMPARE(h.client->calls().last(),
                 (Call{Op::FetchHistoryEntry, {QStringLiteral("2"), token}}));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().first().value<HistoryEntry>(), full);
        QCOMPARE(h.store.actionID(), std::nullopt);
    }

    void clearingEmptiesListSearchAndFilter()
    {
        Harness h;
        h.account.signIn();
        h.store.setFilter(HistoryKind::Translation);
        h.store.setSearch(QStringLiteral("abc"));
        h.account.clock->advance(300ms);
        settle();
        h.client->answer<Op::FetchHistory>(listPage({1, 2}, 1, 2));
        settle();
        const auto fetches = h.fetchCount();

        h.store.clearAll();
        QVERIFY(h.store.isClearing());
        QCOMPARE(h.store.clearButtonTitle(), QStringLiteral("Clearing history"));
        h.client->answer<Op::ClearHistory>({});
        h.account.clock->advance(1s);
        settle();

        QCOMPARE(h.client->calls(Op::ClearHistory), (QList{Call{Op::ClearHistory, {token}}}));
        QVERIFY(h.store.entries().isEmpty());
        QCOMPARE(h.store.search(), QString());
        QCOMPARE(h.store.filter(), std::nullopt);
        QCOMPARE(h.store.page(), 0);
        QVERIFY(!h.store.isClearing());
        QCOMPARE(h.store.emptyTitle(), QStringLiteral("No history yet"));
        QCOMPARE(h.fetchCount(), fetches);
    }

    void accountChangeDuringDeleteDropsTheAnswer_data()
    {
        QTest::addColumn<bool>("transferStops");
        QTest::newRow("transfer stopped") << true;
        QTest::newRow("answer arrives anyway") << false;
    }

    void accountChangeDuringDeleteDropsTheAnswer()
    {
        QFETCH(bool, transferStops);
        Harness h;
        h.loadPages(1, 1);
        const HistoryEntry doomed = h.store.entries().first();
        // A delete whose transfer the cancellation may not reach in time.
        const HistoryStore::EntryOperation operation =
            [doomed, transferStops](std::shared_ptr<APIClientProtocol> client, QString accessToken,
                                    CancellationToken cancel) {
                const CancellationToken reached = transferStops ? cancel : CancellationToken();
                return HistoryStore::deleteOperation(doomed)(client, accessToken, reached);
            };
        int successes = 0;
        h.store.runEntryAction(doomed, operation,
                               [&successes](const HistoryEntry &) { ++successes; });
        h.store.setSearch(QStringLiteral("abc"));
        settle();
        const auto fetches = h.fetchCount();

        h.account.signOut();
        h.client->answer<Op::DeleteHistoryEntry>({});
        h.account.clock->advance(1s);
        settle();

        QCOMPARE(successes, 0);
        QVERIFY(h.store.entries().isEmpty());
        QCOMPARE(h.store.search(), QString());
        QCOMPARE(h.store.actionID(), std::nullopt);
        QCOMPARE(h.store.actionMessage(), std::nullopt);
        QCOMPARE(h.store.message(), std::nullopt);
        QVERIFY(!h.store.isLoading());
        // The search's reload does not run for the signed-out account.
        QCOMPARE(h.fetchCount(), fetches);
    }

    void listFailureKeepsLoadedEntries()
    {
        Harness h;
        h.loadPages(1, 2);
        h.client->answer<Op::FetchHistory>(historyError(503, QStringLiteral("Unavailable.")));
        h.store.loadMore();
        QCOMPARE(h.store.loadingText(), QStringLiteral("Loading more…"));
        settle();

        QCOMPARE(h.store.messageText(), QStringLiteral("Unavailable."));
        QCOMPARE(ids(h.store.entries()), (QList<qint64>{1, 2}));
        QCOMPARE(h.store.page(), 1);
        QVERIFY(!h.store.isLoading());
    }

    void listEndFollowsTheList()
    {
        using End = HistoryStore::ListEnd;
        Harness empty;
        empty.account.signIn();
        empty.store.reload(false, false);
        QCOMPARE(empty.store.listEnd(), End::Loading);
        empty.client->answer<Op::FetchHistory>(listPage({}, 1, 0));
        settle();
        QCOMPARE(empty.store.listEnd(), End::Empty);

        Harness h;
        h.loadPages(1, 2);
        QCOMPARE(h.store.listEnd(), End::LoadMore);
        h.client->answer<Op::FetchHistory>(historyError(503, QStringLiteral("Unavailable.")));
        h.store.loadMore();
        settle();
        QCOMPARE(h.store.listEnd(), End::Message);

        // Retry asks for the page that failed and ends the list when it is the last.
        h.client->answer<Op::FetchHistory>(listPage({3, 4}, 2, 2));
        h.store.retryList();
        settle();
        QCOMPARE(h.client->calls(Op::FetchHistory).last(), fetchCall(QString(), QString(), 2));
        QCOMPARE(ids(h.store.entries()), (QList<qint64>{1, 2, 3, 4}));
        QCOMPARE(h.store.listEnd(), End::Nothing);
    }

    void signedOutTexts_data()
    {
        QTest::addColumn<bool>("clearing");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("actionMessage");
        QTest::newRow("list") << false << QStringLiteral("Please sign in again to load history.")
                              << QString();
        QTest::newRow("clear") << true << QString()
                               << QStringLiteral("Please sign in again to update history.");
    }

    void signedOutTexts()
    {
        QFETCH(bool, clearing);
        QFETCH(QString, message);
        QFETCH(QString, actionMessage);
        Harness h;
        h.account.startSignedOut();
        if (clearing) {
            h.store.clearAll();
        } else {
            h.store.reload(false, false);
        }
        settle();

        QCOMPARE(h.store.messageText(), message);
        QCOMPARE(h.store.actionMessageText(), actionMessage);
        QVERIFY(!h.store.isLoading());
        QVERIFY(!h.store.isClearing());
        QVERIFY(h.client->calls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(HistoryStoreTest)
#include "tst_historystore.moc"
