#include "manualclock.h"
#include "sandbox.h"
#include "sandboxcontrol.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Tolvan;
using namespace std::chrono_literals;
using Test::SandboxControl;

namespace {

const QString email = QStringLiteral("ana@example.com");

QByteArray json(const nlohmann::json &value)
{
    return QByteArray::fromStdString(value.dump());
}

// A JSON string's own text, or any other value's compact JSON (keys sorted).
QString text(const nlohmann::json &value)
{
    return QString::fromStdString(value.is_string() ? value.get<std::string>() : value.dump());
}

} // namespace

// The sandbox in this process, seen through plain HTTP: what the client never
// sends or cannot see.
class SandboxHttpTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_shared<Test::ManualClock>();
        startSandbox(false);
    }

    void cleanup()
    {
        m_control.reset();
        m_sandbox.reset();
    }

    void badInputGetsAnErrorBody_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("code");

        const QString request = QStringLiteral("api/auth/otp/request");
        QTest::newRow("malformed JSON") << QByteArray("POST") << request << QByteArray("{\"email")
                                        << false << 400 << "invalid_json";
        QTest::newRow("not an object") << QByteArray("POST") << request << QByteArray("[1]")
                                       << false << 400 << "invalid_request";
        QTest::newRow("wrong type") << QByteArray("POST") << request << json({{"email", 5}})
                                    << false << 400 << "invalid_request";
        QTest::newRow("missing field")
            << QByteArray("POST") << "api/auth/otp/verify" << json({{"email", "a@b.example"}})
            << false << 400 << "invalid_request";
        QTest::newRow("not an address")
            << QByteArray("POST") << request << json({{"email", "nobody"}}) << false << 422
            << "invalid_email";
        QTest::newRow("huge body")
            << QByteArray("POST") << "api/improve" << QByteArray(2 * 1024 * 1024, 'a') << true
            << 413 << "payload_too_large";
        QTest::newRow("unknown route")
            << QByteArray("GET") << "api/nothing" << QByteArray() << true << 404 << "not_found";
        QTest::newRow("wrong method") << QByteArray("PUT") << "api/history" << QByteArray() << true
                                      << 405 << "method_not_allowed";
        QTest::newRow("no bearer token") << QByteArray("GET") << "api/languages" << QByteArray()
                                         << false << 401 << "unauthorized";
        QTest::newRow("entry id not a number")
            << QByteArray("GET") << "api/history/abc" << QByteArray() << true << 404 << "not_found";
        QTest::newRow("page 0") << QByteArray("GET") << "api/history?page=0" << QByteArray() << true
                                << 422 << "invalid_page";
        QTest::newRow("page not a number") << QByteArray("GET") << "api/history?page=one"
                                           << QByteArray() << true << 422 << "invalid_page";
        QTest::newRow("page size too large") << QByteArray("GET") << "api/history?page_size=101"
                                             << QByteArray() << true << 422 << "invalid_page";
        QTest::newRow("unknown kind") << QByteArray("GET") << "api/history?type=poem"
                                      << QByteArray() << true << 422 << "invalid_type";
        QTest::newRow("unknown plan")
            << QByteArray("POST") << "api/billing/checkout" << json({{"plan", "weekly"}}) << true
            << 422 << "unknown_plan";
        QTest::newRow("text of the wrong type")
            << QByteArray("POST") << "api/translate"
            << json({{"text", 1}, {"source_language", "en"}, {"target_language", "es"}}) << true
            << 400 << "invalid_request";
        QTest::newRow("blank text") << QByteArray("POST") << "api/improve"
                                    << json({{"text", " \n "}}) << true << 422 << "empty_text";
        QTest::newRow("text too long")
            << QByteArray("POST") << "api/improve" << json({{"text", std::string(5001, 'a')}})
            << true << 422 << "text_too_long";
        QTest::newRow("pair not installed")
            << QByteArray("POST") << "api/translate"
            << json({{"text", "Hi"}, {"source_language", "en"}, {"target_language", "xx"}}) << true
            << 422 << "unsupported_language_pair";
        QTest::newRow("subscription of no account")
            << QByteArray("POST") << "sandbox/subscription"
            << json({{"email", "nobody@example.com"}, {"status", "active"}}) << false << 404
            << "not_found";
        QTest::newRow("fault without effect")
            << QByteArray("POST") << "sandbox/faults" << json({{"path", "api/languages"}}) << false
            << 422 << "invalid_fault";
        QTest::newRow("fault of the wrong type")
            << QByteArray("POST") << "sandbox/faults" << json({{"path", 1}, {"status", 500}})
            << false << 400 << "invalid_request";
    }

    void badInputGetsAnErrorBody()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(bool, signedIn);
        QFETCH(int, status);
        QFETCH(QString, code);

        const QString token = signedIn ? signInEntitled().accessToken : QString();
        const auto answer = m_control->send(method, path, body, token);
        QCOMPARE(answer.status, status);
        const nlohmann::json error = answer.json().value("error", nlohmann::json());
        QCOMPARE(QString::fromStdString(error.value("code", "")), code);
        QVERIFY(!error.value("detail", "").empty());
    }

    void ageOfTokensDecides()
    {
        const TokenPair pair = signInEntitled();
        m_clock->advance(899s);
        QCOMPARE(m_control->send("GET", "api/languages", {}, pair.accessToken).status, 200);
        m_clock->advance(1s);
        const auto expired = m_control->send("GET", "api/languages", {}, pair.accessToken);
        QCOMPARE(expired.status, 401);
        QCOMPARE(text(expired.json()["error"]["code"]), QStringLiteral("token_expired"));

        m_clock->advance(30 * 24h);
        const auto refused = m_control->send(
            "POST", "api/auth/refresh", json({{"refresh_token", pair.refreshToken.toStdString()}}));
        QCOMPARE(refused.status, 401);
        QCOMPARE(text(refused.json()["error"]["code"]), QStringLiteral("invalid_refresh_token"));
    }

    void outboxShowsTheMailedCode()
    {
        QSignalSpy mailed(m_sandbox.get(), &Sandbox::codeMailed);
        QCOMPARE(m_control->send("GET", "sandbox/outbox?email=" + email).status, 404);
        const auto sent =
            m_control->send("POST", "api/auth/otp/request", json({{"email", "Ana@Example.com"}}));
        QCOMPARE(sent.status, 202);
        QCOMPARE(mailed.size(), 1);
        QCOMPARE(mailed[0][0].toString(), email);
        QCOMPARE(m_control->outboxCode(QStringLiteral("ANA@example.com")), mailed[0][1].toString());
    }

    void faultsMatchMethodPathAndCount()
    {
        const QString token = signInEntitled().accessToken;
        const nlohmann::json body{{"error", {{"code", "down"}, {"detail", "Down."}}}};
        QCOMPARE(m_control
                     ->injectFault({{"method", "get"},
                                    {"path", "/api/languages"},
                                    {"status", 503},
                                    {"body", body},
                                    {"count", 2}})
                     .status,
                 204);
        QCOMPARE(m_control->send("POST", "api/languages", {}, token).status, 405);
        for (int i = 0; i < 2; ++i) {
            const auto faulted = m_control->send("GET", "api/languages", {}, token);
            QCOMPARE(faulted.status, 503);
            QCOMPARE(text(faulted.json()), text(body));
        }
        QCOMPARE(m_control->send("GET", "api/languages", {}, token).status, 200);

        m_control->injectFault({{"path", "api/languages"}, {"status", 500}, {"count", 5}});
        QCOMPARE(m_control->clearFaults().status, 204);
        QCOMPARE(m_control->send("GET", "api/languages", {}, token).status, 200);
    }

    void faultsNeverReachTheDevelopmentRoutes()
    {
        m_control->injectFault({{"path", "sandbox/faults"}, {"status", 500}});
        QCOMPARE(m_control->clearFaults().status, 204);
    }

    void subscriptionRouteSetsTheState_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("trial") << json({{"status", "trialing"}, {"plan", "annual"}})
                               << json({{"status", "trialing"},
                                        {"plan", "annual"},
                                        {"recurring_interval", "year"},
                                        {"current_period_end", "2025-03-08T12:00:00.000Z"},
                                        {"trial_end", "2025-03-08T12:00:00.000Z"},
                                        {"cancel_at_period_end", false},
                                        {"last_synced_at", "2025-03-01T12:00:00.000Z"},
                                        {"entitled", true}});
        QTest::newRow("active, cancelling")
            << json({{"status", "active"}, {"plan", "monthly"}, {"cancel_at_period_end", true}})
            << json({{"status", "active"},
                     {"plan", "monthly"},
                     {"recurring_interval", "month"},
                     {"current_period_end", "2025-04-01T12:00:00.000Z"},
                     {"trial_end", nullptr},
                     {"cancel_at_period_end", true},
                     {"last_synced_at", "2025-03-01T12:00:00.000Z"},
                     {"entitled", true}});
        QTest::newRow("unpaid, entitled on purpose")
            << json({{"status", "past_due"}, {"plan", "monthly"}, {"entitled", true}})
            << json({{"status", "past_due"},
                     {"plan", "monthly"},
                     {"recurring_interval", "month"},
                     {"current_period_end", nullptr},
                     {"trial_end", nullptr},
                     {"cancel_at_period_end", false},
                     {"last_synced_at", "2025-03-01T12:00:00.000Z"},
                     {"entitled", true}});
        QTest::newRow("none") << json({{"status", "none"}, {"plan", nullptr}})
                              << json({{"status", "none"},
                                       {"plan", nullptr},
                                       {"recurring_interval", nullptr},
                                       {"current_period_end", nullptr},
                                       {"trial_end", nullptr},
                                       {"cancel_at_period_end", false},
                                       {"last_synced_at", "2025-03-01T12:00:00.000Z"},
                                       {"entitled", false}});
    }

    void subscriptionRouteSetsTheState()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, expected);

        const QString token = m_control->signIn(email).accessToken;
        nlohmann::json change = nlohmann::json::parse(request.toStdString());
        change["email"] = email.toStdString();
        const auto answer = m_control->setSubscription(change);
        QCOMPARE(answer.status, 200);
        const nlohmann::json subscription = nlohmann::json::parse(expected.toStdString());
        QCOMPARE(text(answer.json()["subscription"]), text(subscription));
        QCOMPARE(text(m_control->send("GET", "api/billing", {}, token).json()["subscription"]),
                 text(subscription));
    }

    void entitledSandboxStartsAccountsActiveOnce()
    {
        startSandbox(true);
        const QString token = m_control->signIn(email).accessToken;
        const auto billing = m_control->send("GET", "api/billing", {}, token).json();
        QCOMPARE(text(billing["subscription"]["status"]), QStringLiteral("active"));
        QCOMPARE(text(billing["subscription"]["entitled"]), QStringLiteral("true"));

        m_control->setSubscription({{"email", email.toStdString()}, {"status", "canceled"}});
        const QString again = m_control->signIn(email).accessToken;
        QCOMPARE(
            text(m_control->send("GET", "api/billing", {}, again).json()["subscription"]["status"]),
            QStringLiteral("canceled"));
    }

    void portalPageCancelsAndEnds()
    {
        const QString token = signInEntitled().accessToken;
        const QUrl portal(QString::fromStdString(
            m_control->send("POST", "api/billing/portal", {}, token).json()["portal_url"]));
        QCOMPARE(portal.scheme(), QStringLiteral("https"));
        QVERIFY(m_control->openPage(portal).body.contains("Cancel at period end"));

        QCOMPARE(m_control->openPage(portal, "action=cancel").status, 200);
        auto subscription = m_control->send("GET", "api/billing", {}, token).json()["subscription"];
        QCOMPARE(text(subscription["cancel_at_period_end"]), QStringLiteral("true"));
        QCOMPARE(text(subscription["entitled"]), QStringLiteral("true"));

        QCOMPARE(m_control->openPage(portal, "action=end").status, 200);
        subscription = m_control->send("GET", "api/billing", {}, token).json()["subscription"];
        QCOMPARE(text(subscription["status"]), QStringLiteral("canceled"));
        QCOMPARE(text(subscription["entitled"]), QStringLiteral("false"));

        QUrl forged = portal;
        forged.setPath(QStringLiteral("/portal/forged"));
        QCOMPARE(m_control->openPage(forged).status, 404);
    }

private:
    void startSandbox(bool entitled)
    {
        m_control.reset();
        m_sandbox.reset();
        SandboxOptions options;
        options.port = 0;
        options.databasePath = QStringLiteral(":memory:");
        options.dataFolder = m_dataFolder.path();
        options.entitledByDefault = entitled;
        m_sandbox = std::make_unique<Sandbox>(options, m_clock);
        QString error;
        QVERIFY2(m_sandbox->start(&error), qPrintable(error));
        m_control = std::make_unique<SandboxControl>(
            m_sandbox->baseURL(), m_dataFolder.filePath(QStringLiteral("sandbox-certificate.pem")));
    }

    TokenPair signInEntitled()
    {
        const TokenPair pair = m_control->signIn(email);
        m_control->setSubscription(
            {{"email", email.toStdString()}, {"status", "active"}, {"plan", "monthly"}});
        return pair;
    }

    QTemporaryDir m_dataFolder;
    std::shared_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<SandboxControl> m_control;
};

QTEST_GUILESS_MAIN(SandboxHttpTest)
#include "tst_sandboxhttp.moc"
