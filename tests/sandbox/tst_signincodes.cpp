#include "manualclock.h"
#include "sandboxdatabase.h"
#include "signincodes.h"

#include <QRegularExpression>
#include <QTest>

using namespace Tolvan;
using Check = SignInCodes::Check;

class SignInCodesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<Test::ManualClock>();
        m_database = std::make_unique<SandboxDatabase>(QStringLiteral(":memory:"));
        QString error;
        QVERIFY2(m_database->open(&error), qPrintable(error));
        m_codes = std::make_unique<SignInCodes>(m_database->connection(), *m_clock);
    }

    void cleanup()
    {
        m_codes.reset();
        m_database.reset();
    }

    void codeIsSixDigits()
    {
        const QString code = m_codes->issue(QStringLiteral("ana@example.com"));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9]{6}$")).match(code).hasMatch());
        QCOMPARE(m_codes->latest(QStringLiteral("ana@example.com")), code);
    }

    void lifetimeAndTries_data()
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

    void lifetimeAndTries()
    {
        QFETCH(int, wrongTries);
        QFETCH(int, secondsLater);
        QFETCH(Check, expected);

        const QString email = QStringLiteral("ana@example.com");
        const QString code = m_codes->issue(email);
        for (int i = 0; i < wrongTries; ++i) {
            QCOMPARE(m_codes->check(email, wrongCode(code)), Check::Wrong);
        }
        m_clock->advance(std::chrono::seconds(secondsLater));
        QCOMPARE(m_codes->check(email, code), expected);
    }

    void acceptedCodeIsUsedUp()
    {
        const QString email = QStringLiteral("ana@example.com");
        const QString code = m_codes->issue(email);
        QCOMPARE(m_codes->check(email, code), Check::Accepted);
        QCOMPARE(m_codes->check(email, code), Check::NonePending);
        // The mailbox still shows it.
        QCOMPARE(m_codes->latest(email), code);
    }

    void newRequestReplacesCodeAndTries()
    {
        const QString email = QStringLiteral("ana@example.com");
        const QString first = m_codes->issue(email);
        for (int i = 0; i < SignInCodes::maximumWrongTries; ++i) {
            m_codes->check(email, wrongCode(first));
        }
        m_clock->advance(std::chrono::minutes(9));
        const QString second = m_codes->issue(email);
        m_clock->advance(std::chrono::minutes(9));
        QCOMPARE(m_codes->check(email, second), Check::Accepted);
    }

    void addressesIgnoreCaseAndSpaces()
    {
        const QString code = m_codes->issue(QStringLiteral(" Ana@Example.COM"));
        QCOMPARE(m_codes->latest(QStringLiteral("ana@example.com")), code);
        QCOMPARE(m_codes->check(QStringLiteral("ANA@example.com "), code), Check::Accepted);
    }

    void otherAddressHasNoCode()
    {
        const QString code = m_codes->issue(QStringLiteral("ana@example.com"));
        QCOMPARE(m_codes->check(QStringLiteral("bo@example.com"), code), Check::NonePending);
        QCOMPARE(m_codes->latest(QStringLiteral("bo@example.com")), std::nullopt);
    }

private:
    static QString wrongCode(const QString &code)
    {
        return code == QLatin1String("000000") ? QStringLiteral("000001")
                                               : QStringLiteral("000000");
    }

    std::unique_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<SandboxDatabase> m_database;
    std::unique_ptr<SignInCodes> m_codes;
};

QTEST_GUILESS_MAIN(SignInCodesTest)
#include "tst_signincodes.moc"
