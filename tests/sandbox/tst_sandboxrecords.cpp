#include "accounts.h"
#include "historybook.h"
#include "manualclock.h"
#include "sandboxdatabase.h"
#include "sessiontokens.h"
#include "signincodes.h"

#include <QRegularExpression>
#include <QTest>

using namespace Tolvan;
using namespace std::chrono_literals;
using Check = SignInCodes::Check;
using Verdict = SessionTokens::Verdict;

namespace {

const QString ana = QStringLiteral("ana@example.com");
// Above what a double holds exactly, as the sandbox's own ids are.
constexpr qint64 account = (qint64(1) << 60) + 1;
constexpr qint64 otherAccount = (qint64(1) << 60) + 2;

QString wrongCode(const QString &code)
{
    return code == QLatin1String("000000") ? QStringLiteral("000001") : QStringLiteral("000000");
}

} // namespace

// What the sandbox keeps in its database: sign-in codes, accounts and their
// sessions, and history, each case on a fresh in-memory database.
class SandboxRecordsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<Test::ManualClock>();
        m_database = std::make_unique<SandboxDatabase>(QStringLiteral(":memory:"));
        QString error;
        QVERIFY2(m_database->open(&error), qPrintable(error));
        const QSqlDatabase connection = m_database->connection();
        m_codes = std::make_unique<SignInCodes>(connection, *m_clock);
        m_accounts = std::make_unique<Accounts>(connection, *m_clock);
        m_tokens = std::make_unique<SessionTokens>(connection, *m_clock,
                                                   SessionTokens::Lifetimes{900s, 3600s});
        m_history = std::make_unique<HistoryBook>(connection, *m_clock);
        m_user = m_accounts->findOrCreate(ana).user;
    }

    // The stores let go of the connection before its database closes.
    void cleanup()
    {
        m_history.reset();
        m_tokens.reset();
        m_accounts.reset();
        m_codes.reset();
        m_database.reset();
    }

    void codeIsSixDigitsPerAddressAndUsedOnce()
    {
        const QString code = m_codes->issue(QStringLiteral(" Ana@Example.COM"));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9]{6}$")).match(code).hasMatch());
        QCOMPARE(m_codes->check(QStringLiteral("bo@example.com"), code), Check::NonePending);
        QCOMPARE(m_codes->latest(QStringLiteral("bo@example.com")), std::nullopt);
        QCOMPARE(m_codes->check(QStringLiteral("ANA@example.com "), code), Check::Accepted);
        QCOMPARE(m_codes->check(ana, code), Check::NonePending);
        // The mailbox still shows it.
        QCOMPARE(m_codes->latest(ana), code);
    }

    void codeLifetimeAndTries_data()
    {
        QTest::addColumn<int>("wrongTries");
        QTest::addColumn<int>("secondsLater");
        QTest::addColumn<Check>("expected");

        QTest::newRow("fresh") << 0 << 0 << Check::Accepted;
        QTest::newRow("a second before expiry") << 0 << 599 << Check::Accepted;
        QTest::newRow("at expiry") << 0 << 600 << Check::Expired;
        QTest::newRow("four wrong tries") << 4 << 0 << Check::Accepted;
        QTest::newRow("five wrong tries") << 5 << 0 << Check::TooManyTries;
        QTest::newRow("five wrong tries, then expired") << 5 << 900 << Check::TooManyTries;
    }

    void codeLifetimeAndTries()
    {
        QFETCH(int, wrongTries);
        QFETCH(int, secondsLater);
        QFETCH(Check, expected);

        const QString code = m_codes->issue(ana);
        for (int i = 0; i < wrongTries; ++i) {
            QCOMPARE(m_codes->check(ana, wrongCode(code)), Check::Wrong);
        }
        m_clock->advance(std::chrono::seconds(secondsLater));
        QCOMPARE(m_codes->check(ana, code), expected);
    }

    void accessTokenLivesItsLifetime()
    {
        const TokenPair pair = m_tokens->open(m_user);
        QVERIFY(pair.accessToken.size() >= 32);
        QVERIFY(m_tokens->open(m_user).accessToken != pair.accessToken);
        QCOMPARE(m_tokens->authenticate(pair.refreshToken).verdict, Verdict::Unknown);
        m_clock->advance(899s);
        const auto authentication = m_tokens->authenticate(pair.accessToken);
        QCOMPARE(authentication.verdict, Verdict::Valid);
        QCOMPARE(authentication.account, m_user.id);
        m_clock->advance(1s);
        QCOMPARE(m_tokens->authenticate(pair.accessToken).verdict, Verdict::Expired);
    }

    void rotationReplacesBothTokensAndRenewsTheRefreshLifetime()
    {
        const TokenPair first = m_tokens->open(m_user);
        m_clock->advance(1000s);
        const auto second = m_tokens->rotate(first.refreshToken);
        QVERIFY(second);
        QCOMPARE(second->user, m_user);
        QVERIFY(second->accessToken != first.accessToken);
        QVERIFY(second->refreshToken != first.refreshToken);
        QCOMPARE(m_tokens->authenticate(second->accessToken).verdict, Verdict::Valid);
        QCOMPARE(m_tokens->authenticate(first.accessToken).verdict, Verdict::Unknown);
        QCOMPARE(m_tokens->rotate(first.refreshToken), std::nullopt);

        m_clock->advance(3000s);
        const auto third = m_tokens->rotate(second->refreshToken);
        QVERIFY(third);
        m_clock->advance(3600s);
        QCOMPARE(m_tokens->rotate(third->refreshToken), std::nullopt);
    }

    void revokingEndsOnlyThatSession()
    {
        const TokenPair ended = m_tokens->open(m_user);
        const TokenPair kept = m_tokens->open(m_user);
        m_tokens->revoke(ended.refreshToken);
        QCOMPARE(m_tokens->authenticate(ended.accessToken).verdict, Verdict::Unknown);
        QCOMPARE(m_tokens->rotate(ended.refreshToken), std::nullopt);
        QCOMPARE(m_tokens->authenticate(kept.accessToken).verdict, Verdict::Valid);
        QVERIFY(m_tokens->rotate(kept.refreshToken));
    }

    void historyPages_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("onPage");
        QTest::addColumn<int>("totalPages");

        QTest::newRow("empty") << 0 << 1 << 20 << 0 << 0;
        QTest::newRow("exactly one page") << 20 << 1 << 20 << 20 << 1;
        QTest::newRow("one more than a page") << 21 << 1 << 20 << 20 << 2;
        QTest::newRow("the remainder") << 21 << 2 << 20 << 1 << 2;
        QTest::newRow("past the end") << 21 << 3 << 20 << 0 << 2;
        QTest::newRow("another page size") << 45 << 3 << 10 << 10 << 5;
    }

    void historyPages()
    {
        QFETCH(int, entries);
        QFETCH(int, page);
        QFETCH(int, pageSize);
        QFETCH(int, onPage);
        QFETCH(int, totalPages);

        for (int i = 0; i < entries; ++i) {
            addWriting(account, QStringLiteral("draft %1").arg(i));
        }
        addWriting(otherAccount, QStringLiteral("not counted"));
        const auto found = m_history->page(account, {.page = page, .pageSize = pageSize});
        QCOMPARE(found.entries.size(), onPage);
        QCOMPARE(found.pagination.page, page);
        QCOMPARE(found.pagination.pageSize, pageSize);
        QCOMPARE(found.pagination.totalCount, entries);
        QCOMPARE(found.pagination.totalPages, totalPages);
    }

    void historyFilterAndSearch_data()
    {
        QTest::addColumn<std::optional<HistoryKind>>("type");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("expected");

        const std::optional<HistoryKind> any;
        const auto row = [](const char *name, std::optional<HistoryKind> type,
                            const QString &search, const QStringList &expected) {
            QTest::newRow(name) << type << search << expected;
        };
        row("everything", any, {}, {"w2", "t2", "w1", "t1"});
        row("translations", HistoryKind::Translation, {}, {"t2", "t1"});
        row("in the source, other case", any, "HELLO", {"t1"});
        row("in the result", any, "mundo", {"t1"});
        row("beyond ASCII", any, "ÉTÉ", {"w1"});
        row("surrounding spaces ignored", any, "  hola \n", {"t1"});
        row("filter and search", HistoryKind::Writing, "the", {"w2"});
        row("percent is no wildcard", any, "is%sure", {});
        row("underscore is no wildcard", any, "c_t", {});
    }

    void historyFilterAndSearch()
    {
        QFETCH(std::optional<HistoryKind>, type);
        QFETCH(QString, search);
        QFETCH(QStringList, expected);

        QHash<qint64, QString> tags;
        const auto add = [&](HistoryKind type, const char *tag, const char *source,
                             const char *result) {
            tags.insert(m_history->add(account, type, source, result).id, tag);
            m_clock->advance(1s);
        };
        add(HistoryKind::Translation, "t1", "Hello world", "Hola Mundo");
        add(HistoryKind::Writing, "w1", "un été chaud", "Un été chaud.");
        add(HistoryKind::Translation, "t2", "Bonjour", "Buenos días");
        add(HistoryKind::Writing, "w2", "the cat is 100% sure", "The cat is 100% sure.");
        m_history->add(otherAccount, HistoryKind::Translation, QStringLiteral("Hello"),
                       QStringLiteral("Hola"));

        const auto found = m_history->page(account, {.type = type, .search = search});
        QStringList foundTags;
        for (const HistoryEntry &entry : found.entries) {
            foundTags.append(tags.value(entry.id));
        }
        QCOMPARE(foundTags, expected);
        QCOMPARE(found.pagination.totalCount, expected.size());
    }

    void historyEntriesKeepTheirFields()
    {
        m_clock->setNow(QDateTime(QDate(2025, 3, 1), QTime(12, 30, 45, 123), Qt::UTC));
        const HistoryEntry made =
            m_history->add(account, HistoryKind::Translation, QStringLiteral("Hello"),
                           QStringLiteral("Hola"), QStringLiteral("en"), QStringLiteral("es"));
        QCOMPARE(made.insertedAt, m_clock->now());
        QCOMPARE(m_history->entry(account, made.id), made);
        QCOMPARE(m_history->entry(otherAccount, made.id), std::nullopt);
    }

    void historyRemoveAndClearStayWithinTheAccount()
    {
        const HistoryEntry first = addWriting(account, QStringLiteral("one"));
        addWriting(account, QStringLiteral("two"));
        const HistoryEntry others = addWriting(otherAccount, QStringLiteral("theirs"));

        QVERIFY(!m_history->remove(account, others.id));
        QVERIFY(m_history->remove(account, first.id));
        QVERIFY(!m_history->remove(account, first.id));
        QCOMPARE(m_history->page(account, {}).pagination.totalCount, 1);

        m_history->clear(account);
        QCOMPARE(m_history->page(account, {}).pagination.totalCount, 0);
        QCOMPARE(m_history->page(otherAccount, {}).pagination.totalCount, 1);
    }

private:
    HistoryEntry addWriting(qint64 owner, const QString &source)
    {
        return m_history->add(owner, HistoryKind::Writing, source, source + QLatin1Char('.'));
    }

    std::unique_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<SandboxDatabase> m_database;
    std::unique_ptr<SignInCodes> m_codes;
    std::unique_ptr<Accounts> m_accounts;
    std::unique_ptr<SessionTokens> m_tokens;
    std::unique_ptr<HistoryBook> m_history;
    AuthUser m_user;
};

QTEST_GUILESS_MAIN(SandboxRecordsTest)
#include "tst_sandboxrecords.moc"
