#include "accountfixture.h"
#include "historysection.h"
#include "historystore.h"

#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;
using namespace Tolvan::Test;
using namespace std::chrono_literals;
using Op = ClientOperation;
using Call = FakeAPIClient::Call;
using End = HistoryStore::ListEnd;

namespace {

QDateTime utc(int day, int month, int hour, int minute = 0)
{
    return QDateTime(QDate(2025, month, day), QTime(hour, minute), QTimeZone::utc());
}

HistoryEntry entry(qint64 id, const QDateTime &insertedAt = ManualClock::defaultStart())
{
    return HistoryEntry{.id = id,
                        .type = HistoryKind::Writing,
                        .source = QStringLiteral("source %1").arg(id),
                        .insertedAt = insertedAt};
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

QList<qint64> idsOf(const QList<HistoryEntry> &entries)
{
    QList<qint64> result;
    for (const HistoryEntry &loaded : entries) {
        result.append(loaded.id);
    }
    return result;
}

Call fetchCall(const QString &type, const QString &search, qint64 page)
{
    return Call{Op::FetchHistory, {type, search, QString::number(page), "access-7"}};
}

// A signed-in store over a fake client and the manual clock.
struct Harness {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    HistoryStore store{&account.auth, client, account.clock, QTimeZone::utc()};

    Harness() { account.signIn(); }

    qsizetype fetchCount() const { return client->calls(Op::FetchHistory).size(); }

    // Pages up to `lastPage` of `totalPages` loaded: ids 1 and 2 on page 1,
    // 3 and 4 on page 2 and so on; none when there are no pages.
    void loadPages(qint64 lastPage, qint64 totalPages)
    {
        store.reload(false, false);
        for (qint64 page = 1; page <= lastPage; ++page) {
            const QList<qint64> ids{page * 2 - 1, page * 2};
            client->answer<Op::FetchHistory>(
                listPage(totalPages ? ids : QList<qint64>(), page, totalPages));
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
    void sections_data()
    {
        QTest::addColumn<QList<HistoryEntry>>("entries");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<QList<qint64>>>("ids");

        QTest::newRow("today, yesterday, three days ago")
            << QList{entry(1, utc(26, 2, 9)), entry(2, utc(1, 3, 8)), entry(3, utc(28, 2, 22))} << 0
            << QStringList{"Today", "Yesterday", "Feb 26, 2025"}
            << QList<QList<qint64>>{{2}, {3}, {1}};
        QTest::newRow("one day keeps the list order")
            << QList{entry(5, utc(1, 3, 1)), entry(4, utc(1, 3, 11)), entry(6, utc(1, 3, 6))} << 0
            << QStringList{"Today"} << QList<QList<qint64>>{{5, 4, 6}};
        // 23:30 UTC on the 28th is already the 1st two hours east.
        QTest::newRow("days begin in the given zone")
            << QList{entry(7, utc(28, 2, 23, 30)), entry(8, utc(28, 2, 21, 0))} << 7200
            << QStringList{"Today", "Yesterday"} << QList<QList<qint64>>{{7}, {8}};
    }

    void sections()
    {
        QFETCH(QList<HistoryEntry>, entries);
        QFETCH(int, offset);
        QFETCH(QStringList, titles);
        QFETCH(QList<QList<qint64>>, ids);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QTimeZone timeZone(offset);

        QStringList actualTitles;
        QList<QList<qint64>> actualIds;
        for (const HistorySection &section :
             HistorySection::sections(entries, ManualClock::defaultStart(), timeZone)) {
            actualTitles.append(section.title);
            actualIds.append(idsOf(section.entries));
            QCOMPARE(section.date.toTimeZone(timeZone).time(), QTime(0, 0));
        }
        QCOMPARE(actualTitles, titles);
        QCOMPARE(actualIds, ids);
    }

    void filterSendsAtOnceAndTypingAfterTheLastPause()
    {
        Harness h;
        h.client->answer<Op::FetchHistory>(listPage({}, 1, 0));
        h.store.setFilterRawValue(QStringLiteral("translation"));
        settle();
        QCOMPARE(h.client->calls(), QList{fetchCall(QStringLiteral("translation"), {}, 1)});
        QVERIFY(!h.account.clock->requestedSleeps().contains(300ms));

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
        QCOMPARE(h.fetchCount(), 1);
        QVERIFY(h.store.isLoading());
        h.account.clock->advance(1ms);
        settle();
        QCOMPARE(h.client->calls().last(), fetchCall(QStringLiteral("translation"), "hel", 1));
        QCOMPARE(h.account.clock->requestedSleeps().count(300ms), 3);

        // The same values again send nothing.
        h.store.setSearch(QStringLiteral("hel"));
        h.store.setFilter(HistoryKind::Translation);
        h.account.clock->advance(1s);
        settle();
        QCOMPARE(h.fetchCount(), 2);
    }

    void pagesAppendNewIdsAndPageOneStartsAfresh()
    {
        Harness h;
        h.store.reload(false, false);
        h.client->answer<Op::FetchHistory>(listPage({1, 2, 2}, 1, 3));
        settle();
        h.client->answer<Op::FetchHistory>(listPage({2, 3, 3, 4}, 2, 3));
        h.store.loadMore();
        settle();
        QCOMPARE(h.client->calls(Op::FetchHistory).last(), fetchCall({}, {}, 2));
        QCOMPARE(idsOf(h.store.entries()), (QList<qint64>{1, 2, 3, 4}));
        QCOMPARE(h.store.page(), 2);
        QCOMPARE(h.store.totalPages(), 3);

        h.store.removeEntry(2);
        settle();
        // The other rows stay on screen until page 1 arrives.
        QCOMPARE(idsOf(h.store.entries()), (QList<qint64>{1, 3, 4}));
        QCOMPARE(h.store.page(), 0);
        QCOMPARE(h.client->calls(Op::FetchHistory).last(), fetchCall({}, {}, 1));
        h.client->answer<Op::FetchHistory>(listPage({1, 3}, 1, 2));
        settle();
        QCOMPARE(idsOf(h.store.entries()), (QList<qint64>{1, 3}));
        QCOMPARE(h.store.page(), 1);
    }

    void listEnd_data()
    {
        QTest::addColumn<qint64>("lastPage");
        QTest::addColumn<qint64>("totalPages");
        QTest::addColumn<End>("end");
        QTest::newRow("loading") << qint64(0) << qint64(3) << End::Loading;
        QTest::newRow("empty") << qint64(1) << qint64(0) << End::Empty;
        QTest::newRow("first of three") << qint64(1) << qint64(3) << End::LoadMore;
        QTest::newRow("last page") << qint64(3) << qint64(3) << End::Nothing;
    }

    void listEnd()
    {
        QFETCH(qint64, lastPage);
        QFETCH(qint64, totalPages);
        QFETCH(End, end);
        Harness h;
        h.loadPages(lastPage, totalPages);
        QCOMPARE(h.store.listEnd(), end);
        QCOMPARE(h.store.canLoadMore(), end == End::LoadMore);

        const auto before = h.fetchCount();
        h.store.loadMore();
        settle();
        QCOMPARE(h.fetchCount(), before + (end == End::LoadMore ? 1 : 0));
    }

    void listFailureKeepsLoadedEntriesUntilTheRetry()
    {
        Harness h;
        h.loadPages(1, 2);
        h.client->answer<Op::FetchHistory>(
            ServiceError::response(ErrorFamily::History, 503, "Unavailable."));
        h.store.loadMore();
        QCOMPARE(h.store.loadingText(), QStringLiteral("Loading more…"));
        settle();
        QCOMPARE(h.store.messageText(), QStringLiteral("Unavailable."));
        QCOMPARE(idsOf(h.store.entries()), (QList<qint64>{1, 2}));
        QCOMPARE(h.store.page(), 1);
        QCOMPARE(h.store.listEnd(), End::Message);

        // Retry asks for the page that failed.
        h.client->answer<Op::FetchHistory>(listPage({3, 4}, 2, 2));
        h.store.retryList();
        settle();
        QCOMPARE(h.client->calls(Op::FetchHistory).last(), fetchCall({}, {}, 2));
        QCOMPARE(idsOf(h.store.entries()), (QList<qint64>{1, 2, 3, 4}));
    }

    void deleteOutcomes_data()
    {
        // 0: the server deleted the entry.
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("removed");
        QTest::newRow("deleted") << 0 << true;
        QTest::newRow("already gone") << 404 << true;
        QTest::newRow("refused") << 500 << false;
    }

    void deleteOutcomes()
    {
        QFETCH(int, status);
        QFETCH(bool, removed);
        Harness h;
        h.loadPages(1, 1);
        const auto fetches = h.fetchCount();

        h.store.deleteEntry(QStringLiteral("1"));
        QCOMPARE(h.store.actionIDText(), QStringLiteral("1"));
        settle();
        QCOMPARE(h.client->calls().last(), (Call{Op::DeleteHistoryEntry, {"1", "access-7"}}));
        h.client->answer<Op::DeleteHistoryEntry>(
            status == 0
                ? Result<void>()
                : Result<void>(ServiceError::response(ErrorFamily::History, status, "Try later.")));
        settle();

        QCOMPARE(idsOf(h.store.entries()), removed ? QList<qint64>{2} : (QList<qint64>{1, 2}));
        QCOMPARE(h.store.actionMessageText(), removed ? QString() : QStringLiteral("Try later."));
        QCOMPARE(h.store.actionID(), std::nullopt);
        // A removal reloads page 1, keeping the other rows meanwhile.
        QCOMPARE(h.fetchCount(), fetches + (removed ? 1 : 0));
    }

    void openingHandsOverTheFetchedEntryOneActionAtATime()
    {
        Harness h;
        h.loadPages(1, 1);
        QSignalSpy opened(&h.store, &HistoryStore::entryOpened);
        HistoryEntry full = entry(2);
        full.source = QStringLiteral("the whole source text");

        h.store.openEntry(QStringLiteral("2"));
        settle();
        // The other actions wait until this one has ended.
        QVERIFY(!h.store.canRunEntryAction());
        h.store.deleteEntry(QStringLiteral("1"));
        h.store.clearAll();
        h.client->answer<Op::FetchHistoryEntry>(full);
        settle();

        QCOMPARE(h.client->calls().mid(1), (QList{Call{Op::FetchHistoryEntry, {"2", "access-7"}}}));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().first().value<HistoryEntry>(), full);
        QCOMPARE(h.store.actionID(), std::nullopt);
        QVERIFY(!h.store.isClearing());
    }

    void emptyingResetsSearchAndFilterQuietly_data()
    {
        QTest::addColumn<bool>("clearing");
        QTest::newRow("history cleared") << true;
        QTest::newRow("account changed") << false;
    }

    void emptyingResetsSearchAndFilterQuietly()
    {
        QFETCH(bool, clearing);
        Harness h;
        h.store.setFilter(HistoryKind::Translation);
        h.store.setSearch(QStringLiteral("abc"));
        h.account.clock->advance(300ms);
        h.client->answer<Op::FetchHistory>(listPage({1, 2}, 1, 2));
        settle();
        // A search still waiting for its pause is dropped too.
        h.store.setSearch(QStringLiteral("abcd"));
        settle();
        const auto fetches = h.fetchCount();

        if (clearing) {
            h.store.clearAll();
            QVERIFY(h.store.isClearing());
            QCOMPARE(h.store.clearButtonTitle(), QStringLiteral("Clearing history"));
            h.client->answer<Op::ClearHistory>({});
        } else {
            h.account.signOut();
        }
        h.account.clock->advance(1s);
        settle();

        QCOMPARE(h.client->calls(Op::ClearHistory),
                 (clearing ? QList{Call{Op::ClearHistory, {"access-7"}}} : QList<Call>()));
        QVERIFY(h.store.entries().isEmpty());
        QCOMPARE(h.store.search(), QString());
        QCOMPARE(h.store.filter(), std::nullopt);
        QVERIFY(!h.store.isClearing());
        QVERIFY(!h.store.isLoading());
        QCOMPARE(h.store.emptyTitle(), QStringLiteral("No history yet"));
        // Resetting the search and filter reloads nothing.
        QCOMPARE(h.fetchCount(), fetches);
    }
};

QTEST_GUILESS_MAIN(HistoryStoreTest)
#include "tst_historystore.moc"
