#include "apiclient.h"
#include "authstore.h"
#include "awaittask.h"
#include "fakecredentialstorage.h"
#include "manualclock.h"
#include "sandbox.h"
#include "sandboxcontrol.h"
#include "sandboxprocess.h"
#include "systemclock.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Tolvan;
using namespace std::chrono_literals;
using Test::awaitTask;
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

// Runs the event loop until the store's operation is over.
void run(QCoro::Task<> task)
{
    awaitTask([](QCoro::Task<> task) -> QCoro::Task<bool> {
        co_await std::move(task);
        co_return true;
    }(std::move(task)));
}

} // namespace

// The sandbox in this process, seen through plain HTTP, and the sandbox
// process as the client's AuthStore sees it.
class SandboxHttpTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A fresh sandbox for each case; the rows of a table share one, as none
    // leaves anything behind that another reads.
    void init()
    {
        if (m_startedFor != QTest::currentTestFunction()) {
            m_startedFor = QTest::currentTestFunction();
            m_clock = std::make_shared<Test::ManualClock>();
            startSandbox(false);
        }
    }

    void badInputGetsAnErrorBody_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("code");
        const auto row = [](const char *name, const char *method, const char *path,
                            const QByteArray &body, bool signedIn, int status, const char *code) {
            QTest::newRow(name) << QByteArray(method) << QString::fromLatin1(path) << body
                                << signedIn << status << QString::fromLatin1(code);
        };
        const char *request = "api/auth/otp/request";

        row("malformed JSON", "POST", request, "{\"email", false, 400, "invalid_json");
        row("wrong type", "POST", request, json({{"email", 5}}), false, 400, "invalid_request");
        row("not an address", "POST", request, json({{"email", "nobody"}}), false, 422,
            "invalid_email");
        row("huge body", "POST", "api/improve", QByteArray(2 * 1024 * 1024, 'a'), true, 413,
            "payload_too_large");
        row("unknown route", "GET", "api/nothing", {}, true, 404, "not_found");
        row("wrong method", "PUT", "api/history", {}, true, 405, "method_not_allowed");
        row("no bearer token", "GET", "api/languages", {}, false, 401, "unauthorized");
        row("page 0", "GET", "api/history?page=0", {}, true, 422, "invalid_page");
        row("unknown kind", "GET", "api/history?type=poem", {}, true, 422, "invalid_type");
        row("unknown plan", "POST", "api/billing/checkout", json({{"plan", "weekly"}}), true, 422,
            "unknown_plan");
        row("blank text", "POST", "api/improve", json({{"text", " \n "}}), true, 422, "empty_text");
        row("text too long", "POST", "api/improve", json({{"text", std::string(5001, 'a')}}), true,
            422, "text_too_long");
        row("pair not installed", "POST", "api/translate",
            json({{"text", "Hi"}, {"source_language", "en"}, {"target_language", "xx"}}), true, 422,
            "unsupported_language_pair");
        row("fault without effect", "POST", "sandbox/faults", json({{"path", "api/languages"}}),
            false, 422, "invalid_fault");
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
        for (int i = 0; i < 2; ++i) {
            const auto faulted = m_control->send("GET", "api/languages", {}, token);
            QCOMPARE(faulted.status, 503);
            QCOMPARE(text(faulted.json()), text(body));
        }
        QCOMPARE(m_control->send("GET", "api/languages", {}, token).status, 200);
    }

    void subscriptionRouteSetsTheState()
    {
        const QString token = m_control->signIn(email).accessToken;
        const auto answer = m_control->setSubscription(
            {{"email", email.toStdString()}, {"status", "trialing"}, {"plan", "annual"}});
        QCOMPARE(answer.status, 200);
        // A trial runs a week from the sandbox's clock, as its period does.
        const nlohmann::json subscription{{"status", "trialing"},
                                          {"plan", "annual"},
                                          {"recurring_interval", "year"},
                                          {"current_period_end", "2025-03-08T12:00:00.000Z"},
                                          {"trial_end", "2025-03-08T12:00:00.000Z"},
                                          {"cancel_at_period_end", false},
                                          {"last_synced_at", "2025-03-01T12:00:00.000Z"},
                                          {"entitled", true}};
        QCOMPARE(text(answer.json()["subscription"]), text(subscription));
        QCOMPARE(text(m_control->send("GET", "api/billing", {}, token).json()["subscription"]),
                 text(subscription));
    }

    // Counted up to and including the limit.
    void textOfTheLongestLengthIsTaken()
    {
        const QString token = signInEntitled().accessToken;
        const std::string words = QStringLiteral("a ").repeated(2500).toStdString();
        QCOMPARE(m_control->send("POST", "api/improve", json({{"text", words}}), token).status,
                 200);
    }

    void entitledSandboxStartsAccountsActive()
    {
        startSandbox(true);
        const QString token = m_control->signIn(email).accessToken;
        const auto billing = m_control->send("GET", "api/billing", {}, token).json();
        QCOMPARE(text(billing["subscription"]["status"]), QStringLiteral("active"));
        QCOMPARE(text(billing["subscription"]["entitled"]), QStringLiteral("true"));
    }

    void paywallUntilATrialStarts()
    {
        const QString token = m_control->signIn(email).accessToken;
        const auto refused =
            m_control->send("POST", "api/improve", json({{"text", "a draft"}}), token);
        QCOMPARE(refused.status, 402);
        QCOMPARE(text(refused.json()["error"]["detail"]),
                 QStringLiteral("A subscription is required to improve text."));
        const nlohmann::json hello{
            {"text", "Hello"}, {"source_language", "en"}, {"target_language", "es"}};
        QCOMPARE(m_control->send("POST", "api/translate", json(hello), token).status, 402);

        const QUrl checkout(
            text(m_control->send("POST", "api/billing/checkout", json({{"plan", "annual"}}), token)
                     .json()["checkout_url"]));
        // The page the 402 links to offers every plan; this one only the annual plan.
        QVERIFY(!m_control->startTrial(checkout, QStringLiteral("monthly")));
        QVERIFY(m_control->startTrial(QUrl(text(refused.json()["billing_url"])),
                                      QStringLiteral("monthly")));
        const nlohmann::json subscription =
            m_control->send("GET", "api/billing", {}, token).json()["subscription"];
        QCOMPARE(text(subscription["status"]), QStringLiteral("trialing"));
        QCOMPARE(text(subscription["plan"]), QStringLiteral("monthly"));
        QCOMPARE(text(subscription["trial_end"]), QStringLiteral("2025-03-08T12:00:00.000Z"));
        const auto improved = m_control->send("POST", "api/improve",
                                              json({{"text", "teh  draft is ready ."}}), token);
        QCOMPARE(text(improved.json()["improved_text"]), QStringLiteral("The draft is ready."));
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

    // AuthStore against a sandbox process whose access tokens live two
    // seconds: always within the refresh margin, so every check refreshes first.
    void authStoreRefreshesFirstAndTheSandboxRotates()
    {
        Test::SandboxProcess sandbox({QStringLiteral("--access-ttl"), QStringLiteral("2")});
        QVERIFY2(sandbox.start(), qPrintable(sandbox.errorString()));
        auto client = std::make_shared<APIClient>(sandbox.baseURL());
        auto storage = std::make_shared<Test::FakeCredentialStorage>();
        AuthStore store(client, storage, std::make_shared<SystemClock>());
        run(store.handleWindowActivation());
        QCOMPARE(store.phase(), AuthStore::Phase::SignedOut);

        run(store.requestCode(email));
        QVERIFY(store.codeSent());
        run(store.verifyCode(sandbox.awaitCode(email)));
        QCOMPARE(store.phase(), AuthStore::Phase::Authenticated);
        const TokenPair signedIn = store.session()->tokens;
        QCOMPARE(signedIn.user.email, email);
        // Above what a double holds exactly: the id crosses the wire intact.
        QVERIFY(signedIn.user.id > (qint64(1) << 53));
        // A code is good for one sign-in.
        QCOMPARE(awaitTask(client->verifyOTP(email, sandbox.awaitCode(email))).error().status(),
                 401);

        run(store.refreshIfNeeded());
        QCOMPARE(store.phase(), AuthStore::Phase::Authenticated);
        const TokenPair refreshed = store.session()->tokens;
        QVERIFY(refreshed.accessToken != signedIn.accessToken);
        QCOMPARE(storage->storedSession()->tokens, refreshed);
        const auto stale = awaitTask(client->refresh(signedIn.refreshToken));
        QCOMPARE(stale.error().status(), 401);
        QCOMPARE(stale.error().text(), QStringLiteral("The session has ended. Sign in again."));

        QVERIFY(awaitTask(client->revoke(refreshed.refreshToken)).isOk());
        QCOMPARE(awaitTask(client->refresh(refreshed.refreshToken)).error().status(), 401);
        QCOMPARE(sandbox.stop(), 0);
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
    QByteArray m_startedFor;
    std::shared_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<SandboxControl> m_control;
};

QTEST_GUILESS_MAIN(SandboxHttpTest)
#include "tst_sandboxhttp.moc"
