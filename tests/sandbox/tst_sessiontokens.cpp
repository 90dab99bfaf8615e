#include "accounts.h"
#include "manualclock.h"
#include "sandboxdatabase.h"
#include "sessiontokens.h"

#include <QTest>

using namespace Tolvan;
using namespace std::chrono_literals;
using Verdict = SessionTokens::Verdict;

class SessionTokensTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<Test::ManualClock>();
        m_database = std::make_unique<SandboxDatabase>(QStringLiteral(":memory:"));
        QString error;
        QVERIFY2(m_database->open(&error), qPrintable(error));
        m_accounts = std::make_unique<Accounts>(m_database->connection(), *m_clock);
        m_tokens = std::make_unique<SessionTokens>(m_database->connection(), *m_clock,
                                                   SessionTokens::Lifetimes{900s, 3600s});
        m_user = m_accounts->findOrCreate(QStringLiteral("ana@example.com")).user;
    }

    void cleanup()
    {
        m_tokens.reset();
        m_accounts.reset();
        m_database.reset();
    }

    void accountsAreMadeOnceWithLargeIds()
    {
        const auto again = m_accounts->findOrCreate(QStringLiteral(" ANA@example.com"));
        QVERIFY(!again.isNew);
        QCOMPARE(again.user, m_user);
        const auto other = m_accounts->findOrCreate(QStringLiteral("bo@example.com"));
        QVERIFY(other.isNew);
        QVERIFY(other.user.id != m_user.id);
        // Above what a double holds exactly.
        QVERIFY(m_user.id > (qint64(1) << 53));
        QVERIFY(other.user.id > (qint64(1) << 53));
    }

    void openedPairDescribesTheSession()
    {
        const TokenPair pair = m_tokens->open(m_user);
        QCOMPARE(pair.tokenType, QStringLiteral("Bearer"));
        QCOMPARE(pair.expiresIn, 900);
        QCOMPARE(pair.refreshExpiresIn, 3600);
        QCOMPARE(pair.user, m_user);
        QVERIFY(pair.accessToken.size() >= 32);
        QVERIFY(pair.accessToken != pair.refreshToken);
        QVERIFY(m_tokens->open(m_user).accessToken != pair.accessToken);
    }

    void accessTokenLifetime_data()
    {
        QTest::addColumn<int>("secondsLater");
        QTest::addColumn<Verdict>("expected");
        QTest::newRow("fresh") << 0 << Verdict::Valid;
        QTest::newRow("a second before expiry") << 899 << Verdict::Valid;
        QTest::newRow("at expiry") << 900 << Verdict::Expired;
    }

    void accessTokenLifetime()
    {
        QFETCH(int, secondsLater);
        QFETCH(Verdict, expected);
        const TokenPair pair = m_tokens->open(m_user);
        m_clock->advance(std::chrono::seconds(secondsLater));
        const auto authentication = m_tokens->authenticate(pair.accessToken);
        QCOMPARE(authentication.verdict, expected);
        if (expected == Verdict::Valid) {
            QCOMPARE(authentication.account, m_user.id);
        }
        QCOMPARE(m_tokens->authenticate(pair.refreshToken).verdict, Verdict::Unknown);
    }

    void rotationReplacesBothTokens()
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
        // The refresh lifetime starts again with each rotation.
        m_clock->advance(3000s);
        QVERIFY(m_tokens->rotate(second->refreshToken));
    }

    void expiredRefreshTokenIsRefused()
    {
        const TokenPair pair = m_tokens->open(m_user);
        m_clock->advance(3600s);
        QCOMPARE(m_tokens->rotate(pair.refreshToken), std::nullopt);
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

private:
    std::unique_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<SandboxDatabase> m_database;
    std::unique_ptr<Accounts> m_accounts;
    std::unique_ptr<SessionTokens> m_tokens;
    AuthUser m_user;
};

QTEST_GUILESS_MAIN(SessionTokensTest)
#include "tst_sessiontokens.moc"
