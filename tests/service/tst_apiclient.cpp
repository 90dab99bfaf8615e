#include "apiclient.h"

#include "awaittask.h"
#include "scriptedhttpserver.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Tolvan;
using Tolvan::Test::ScriptedHttpServer;

namespace {

using Outcome = std::optional<ServiceError>;

template<typename T>
Outcome outcomeOf(const Result<T> &result)
{
    return result ? Outcome() : Outcome(result.error());
}

const QByteArray token = "tok-123";
const QByteArray tokenPair = R"({"access_token":"a","refresh_token":"r","token_type":"Bearer",)"
                             R"("expires_in":900,"refresh_expires_in":2592000,)"
                             R"("user":{"id":9007199254740993,"email":"ada@example.org"}})";
const QByteArray historyEntry = R"({"id":42,"type":"writing","source":"teh","result":"the",)"
                                R"("inserted_at":"2025-03-01T12:30:45Z"})";
const QByteArray plan = R"({"id":"monthly","name":"Monthly","amount_minor":999,"currency":"USD",)"
                        R"("recurring_interval":"month","trial_interval":"day",)"
                        R"("trial_interval_count":7})";
const QByteArray subscription =
    R"({"status":"none","cancel_at_period_end":false,"entitled":false})";

QByteArray billingWith(const QByteArray &plans)
{
    return R"({"subscription":)" + subscription + R"(,"plans":[)" + plans + "]}";
}

QByteArray planWith(const QByteArray &from, const QByteArray &to)
{
    QByteArray changed = plan;
    return changed.replace(from, to);
}

QByteArray historyPage(int page, int pageSize)
{
    return R"({"history":[)" + historyEntry + R"(],"pagination":{"page":)" +
           QByteArray::number(page) + R"(,"page_size":)" + QByteArray::number(pageSize) +
           R"(,"total_count":1,"total_pages":1}})";
}

// One service operation, as the client calls it and as the server must see it.
struct Operation {
    QByteArray method;
    QByteArray target;
    QByteArray body;
    bool authorised = true;
    int successStatus = 200;
    QByteArray successBody;
    ErrorFamily family;
    std::function<QCoro::Task<Outcome>(APIClient &)> call;
};

const QMap<QString, Operation> &operations()
{
    static const QMap<QString, Operation> table{
        {"fetchBilling",
         {"GET", "/api/billing", "", true, 200, billingWith(plan), ErrorFamily::Billing,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.fetchBilling(token));
          }}},
        {"createCheckout",
         {"POST", "/api/billing/checkout", R"({"plan":"annual"})", true, 200,
          "{\"checkout_url\":\"https://pay.example.org/c/1\"}", ErrorFamily::Billing,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.createCheckout(BillingPlanID::Annual, token));
          }}},
        {"createPortal",
         {"POST", "/api/billing/portal", "", true, 200,
          "{\"portal_url\":\"https://pay.example.org/p/1\"}", ErrorFamily::Billing,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.createPortal(token));
          }}},
        {"fetchHistory",
         {"GET", "/api/history?page=2&page_size=20&type=writing&search=caf%C3%A9%20%2B%26%3D", "",
          true, 200, historyPage(2, 20), ErrorFamily::History,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.fetchHistory(
                  HistoryKind::Writing, QStringLiteral("  café +&=\n"), 2, token));
          }}},
        {"fetchHistoryEntry",
         {"GET", "/api/history/42", "", true, 200, "{\"history\":" + historyEntry + "}",
          ErrorFamily::History,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.fetchHistoryEntry(42, token));
          }}},
        {"deleteHistoryEntry",
         {"DELETE", "/api/history/9223372036854775807", "", true, 204, "", ErrorFamily::History,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(
                  co_await c.deleteHistoryEntry(std::numeric_limits<qint64>::max(), token));
          }}},
        {"clearHistory",
         {"DELETE", "/api/history", "", true, 204, "", ErrorFamily::History,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.clearHistory(token));
          }}},
        {"requestOTP",
         {"POST", "/api/auth/otp/request", R"({"email":"ada@example.org"})", false, 202,
          R"({"status":"code_sent"})", ErrorFamily::Auth,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.requestOTP(QStringLiteral("ada@example.org")));
          }}},
        {"verifyOTP",
         {"POST", "/api/auth/otp/verify", R"({"code":"123 456","email":"ada@example.org"})", false,
          200, tokenPair, ErrorFamily::Auth,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.verifyOTP(QStringLiteral("ada@example.org"),
                                                       QStringLiteral("123 456")));
          }}},
        {"refresh",
         {"POST", "/api/auth/refresh", R"({"refresh_token":"r-1"})", false, 200, tokenPair,
          ErrorFamily::Auth,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.refresh(QStringLiteral("r-1")));
          }}},
        {"revoke",
         {"DELETE", "/api/auth/session", R"({"refresh_token":"r-1"})", false, 204, "",
          ErrorFamily::Auth,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.revoke(QStringLiteral("r-1")));
          }}},
        {"fetchLanguages",
         {"GET", "/api/languages", "", true, 200,
          R"({"languages":[{"code":"en","name":"English"}]})", ErrorFamily::Languages,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.fetchLanguages(token));
          }}},
        {"translate",
         {"POST", "/api/translate",
          "{\"source_language\":\"en\",\"target_language\":\"es\",\"text\":\"Hi \\\"you\\\"\\n\"}",
          true, 200, R"({"translation":" Hola "})", ErrorFamily::Translation,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              const TranslationRequest request{
                  .text = "Hi \"you\"\n", .sourceLanguage = "en", .targetLanguage = "es"};
              co_return outcomeOf(co_await c.translate(request, token));
          }}},
        {"improve",
         {"POST", "/api/improve", R"({"text":"teh cat"})", true, 200,
          R"({"improved_text":"The cat"})", ErrorFamily::Writing,
          [](APIClient &c) -> QCoro::Task<Outcome> {
              co_return outcomeOf(co_await c.improve(QStringLiteral("teh cat"), token));
          }}},
    };
    return table;
}

void addOperationRows()
{
    QTest::addColumn<QString>("operation");
    for (const QString &name : operations().keys()) {
        QTest::newRow(name.toUtf8()) << name;
    }
}

} // namespace

class APIClientTest : public QObject {
    Q_OBJECT

    Outcome run(ScriptedHttpServer &server, const QString &name)
    {
        APIClient client(server.baseURL());
        return Test::awaitTask(operations()[name].call(client));
    }

private Q_SLOTS:
    void sendsTheRequest_data() { addOperationRows(); }

    void sendsTheRequest()
    {
        QFETCH(QString, operation);
        const Operation &op = operations()[operation];
        ScriptedHttpServer server;
        server.enqueue({.status = op.successStatus, .body = op.successBody});

        const Outcome outcome = run(server, operation);
        QVERIFY2(!outcome, outcome ? qPrintable(outcome->text()) : "");

        QCOMPARE(server.requests().size(), 1);
        const auto &request = server.requests().first();
        QCOMPARE(request.method, op.method);
        QCOMPARE(request.target, op.target);
        QCOMPARE(request.body, op.body);
        QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(request.header("Accept"), QByteArray("application/json"));
        QCOMPARE(request.header("Authorization"), op.authorised ? "Bearer " + token : QByteArray());

        // Content-Type, Accept and Authorization go out in that order.
        QList<QByteArray> order;
        for (const auto &[name, value] : request.headers) {
            if (name == "Content-Type" || name == "Accept" || name == "Authorization") {
                order.append(name);
            }
        }
        QCOMPARE(order.mid(0, 2), (QList<QByteArray>{"Content-Type", "Accept"}));
        QCOMPARE(order.size(), op.authorised ? 3 : 2);
    }

    void errorStatuses_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");

        const QByteArray detailBody = R"({"error":{"code":"x","detail":"Server says no."}})";
        const QByteArray subscriptionBody =
            R"({"error":{"code":"subscription_required","detail":"Subscribe first."},)"
            "\"billing_url\":\"https://tolvan.app/billing\"}";
        const QString sessionRejected =
            "Your session was rejected. Please sign out and sign in again.";
        const QMap<ErrorFamily, QString> prefixes{
            {ErrorFamily::Auth, "Authentication failed (HTTP "},
            {ErrorFamily::Translation, "Translation failed (HTTP "},
            {ErrorFamily::Languages, "Unable to load languages (HTTP "},
            {ErrorFamily::Writing, "Writing improvement failed (HTTP "},
            {ErrorFamily::History, "Unable to update history (HTTP "},
            {ErrorFamily::Billing, "Billing is unavailable (HTTP "},
        };
        for (auto it = operations().begin(); it != operations().end(); ++it) {
            const QByteArray name = it.key().toUtf8();
            const ErrorFamily family = it.value().family;
            const bool hasRejectedText =
                family != ErrorFamily::Auth && family != ErrorFamily::Languages;
            QTest::newRow(name + " 500 with detail")
                << it.key() << 500 << detailBody << "Server says no.";
            QTest::newRow(name + " 503 without body")
                << it.key() << 503 << QByteArray() << prefixes[family] + "503). Please try again.";
            QTest::newRow(name + " 401 without detail")
                << it.key() << 401 << QByteArray(R"({"error":{"code":"x"}})")
                << (hasRejectedText ? sessionRejected
                                    : prefixes[family] + "401). Please try again.");
            QTest::newRow(name + " 401 with detail")
                << it.key() << 401 << detailBody << "Server says no.";
            if (family != ErrorFamily::Translation && family != ErrorFamily::Writing) {
                QTest::newRow(name + " 402 is an ordinary status")
                    << it.key() << 402 << subscriptionBody << "Subscribe first.";
            }
        }
        QTest::newRow("requestOTP answered 200")
            << "requestOTP" << 200 << QByteArray(R"({"status":"code_sent"})")
            << "Authentication failed (HTTP 200). Please try again.";
        QTest::newRow("empty detail stays empty")
            << "translate" << 400 << QByteArray(R"({"error":{"code":"x","detail":""}})") << "";
    }

    void errorStatuses()
    {
        QFETCH(QString, operation);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        ScriptedHttpServer server;
        server.enqueue({.status = status, .body = body});

        const Outcome outcome = run(server, operation);
        QVERIFY(outcome);
        QCOMPARE(outcome->kind(), ServiceError::Kind::Response);
        QCOMPARE(outcome->family(), operations()[operation].family);
        QCOMPARE(outcome->status(), status);
        QCOMPARE(outcome->text(), text);
    }

    void subscriptionRequired_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("billingURL");
        QTest::addColumn<bool>("required");
        QTest::addColumn<QString>("text");

        for (const QString operation : {"translate", "improve"}) {
            const QByteArray name = operation.toUtf8();
            QTest::newRow(name + " https") << operation << QByteArray("https://tolvan.app/billing")
                                           << true << "Subscribe first.";
            QTest::newRow(name + " HTTPS in capitals")
                << operation << QByteArray("HTTPS://tolvan.app/billing") << true
                << "Subscribe first.";
            QTest::newRow(name + " plain http")
                << operation << QByteArray("http://tolvan.app/billing") << false
                << "Subscribe first.";
            QTest::newRow(name + " no host")
                << operation << QByteArray("https:/billing") << false << "Subscribe first.";
        }
    }

    void subscriptionRequired()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, billingURL);
        QFETCH(bool, required);
        QFETCH(QString, text);
        ScriptedHttpServer server;
        server.enqueue(
            {.status = 402,
             .body = R"({"error":{"code":"subscription_required","detail":"Subscribe first."},)"
                     R"("billing_url":")" +
                     billingURL + R"("})"});

        const Outcome outcome = run(server, operation);
        QVERIFY(outcome);
        QCOMPARE(outcome->kind(), required ? ServiceError::Kind::SubscriptionRequired
                                           : ServiceError::Kind::Response);
        QCOMPARE(outcome->text(), text);
        if (required) {
            QCOMPARE(outcome->billingURL(), QUrl(QString::fromUtf8(billingURL)));
        } else {
            QCOMPARE(outcome->status(), 402);
        }
    }

    void subscriptionRequiredWithoutErrorBody()
    {
        ScriptedHttpServer server;
        server.enqueue({.status = 402, .body = "Payment Required"});
        const Outcome outcome = run(server, "translate");
        QVERIFY(outcome);
        QCOMPARE(outcome->text(),
                 QStringLiteral("Translation failed (HTTP 402). Please try again."));
    }

    void rejectedSuccessBodies_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<ServiceError::Kind>("kind");

        using K = ServiceError::Kind;
        QTest::newRow("billing: no plans")
            << "fetchBilling" << billingWith("") << K::InvalidResponse;
        QTest::newRow("billing: duplicate plan ids")
            << "fetchBilling" << billingWith(plan + "," + planWith("\"Monthly\"", "\"Other\""))
            << K::InvalidResponse;
        QTest::newRow("billing: lower-case currency")
            << "fetchBilling" << billingWith(planWith("USD", "usd")) << K::InvalidResponse;
        QTest::newRow("billing: four-letter currency")
            << "fetchBilling" << billingWith(planWith("USD", "USDX")) << K::InvalidResponse;
        QTest::newRow("billing: blank name")
            << "fetchBilling" << billingWith(planWith("\"Monthly\"", "\" \\n \""))
            << K::InvalidResponse;
        QTest::newRow("billing: negative amount")
            << "fetchBilling" << billingWith(planWith("999", "-1")) << K::InvalidResponse;
        QTest::newRow("billing: weekly trial")
            << "fetchBilling" << billingWith(planWith("\"day\"", "\"week\"")) << K::InvalidResponse;
        QTest::newRow("billing: zero-day trial")
            << "fetchBilling" << billingWith(planWith(":7", ":0")) << K::InvalidResponse;
        QTest::newRow("billing: bad date")
            << "fetchBilling"
            << QByteArray(billingWith(plan))
                   .replace(R"("entitled":false)", R"("entitled":false,"trial_end":"soon")")
            << K::InvalidResponse;
        QTest::newRow("checkout: plain http")
            << "createCheckout" << QByteArray("{\"checkout_url\":\"http://pay.example.org/c\"}")
            << K::UnsafeURL;
        QTest::newRow("checkout: no host")
            << "createCheckout" << QByteArray("{\"checkout_url\":\"https:///c\"}") << K::UnsafeURL;
        QTest::newRow("checkout: not JSON")
            << "createCheckout" << QByteArray("<html>") << K::UnsafeURL;
        QTest::newRow("portal: javascript")
            << "createPortal" << QByteArray(R"x({"portal_url":"javascript:alert(1)"})x")
            << K::UnsafeURL;
        QTest::newRow("history: page size 50")
            << "fetchHistory" << historyPage(2, 50) << K::InvalidResponse;
        QTest::newRow("history: another page")
            << "fetchHistory" << historyPage(1, 20) << K::InvalidResponse;
        QTest::newRow("history: negative total")
            << "fetchHistory"
            << QByteArray(historyPage(2, 20)).replace("\"total_count\":1", "\"total_count\":-1")
            << K::InvalidResponse;
        QTest::newRow("history entry: another id")
            << "fetchHistoryEntry"
            << "{\"history\":" + QByteArray(historyEntry).replace(":42", ":43") + "}"
            << K::InvalidResponse;
        QTest::newRow("otp: other status")
            << "requestOTP" << QByteArray(R"({"status":"queued"})") << K::InvalidResponse;
        QTest::newRow("token: lower-case bearer")
            << "verifyOTP" << QByteArray(tokenPair).replace("Bearer", "bearer")
            << K::InvalidResponse;
        QTest::newRow("token: expires_in 0")
            << "refresh" << QByteArray(tokenPair).replace("\"expires_in\":900", "\"expires_in\":0")
            << K::InvalidResponse;
        QTest::newRow("token: empty refresh token")
            << "refresh" << QByteArray(tokenPair).replace(R"("r")", R"("")") << K::InvalidResponse;
        QTest::newRow("token: undecodable passes the decoder's error")
            << "verifyOTP"
            << QByteArray(tokenPair).replace("\"expires_in\":900", "\"expires_in\":\"900\"")
            << K::Decoding;
        QTest::newRow("token: not JSON") << "refresh" << QByteArray("oops") << K::Decoding;
        QTest::newRow("languages: not a list")
            << "fetchLanguages" << QByteArray(R"({"languages":{}})") << K::InvalidResponse;
        QTest::newRow("translate: blank")
            << "translate" << QByteArray(R"({"translation":" \n\t "})") << K::InvalidResponse;
        QTest::newRow("improve: blank")
            << "improve" << QByteArray(R"({"improved_text":""})") << K::InvalidResponse;
    }

    void rejectedSuccessBodies()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, body);
        QFETCH(ServiceError::Kind, kind);
        ScriptedHttpServer server;
        server.enqueue({.status = operations()[operation].successStatus, .body = body});

        const Outcome outcome = run(server, operation);
        QVERIFY(outcome);
        QCOMPARE(outcome->kind(), kind);
        if (kind == ServiceError::Kind::InvalidResponse) {
            QCOMPARE(outcome->family(), operations()[operation].family);
        }
    }

    void answersAreKeptAsReceived()
    {
        ScriptedHttpServer server;
        APIClient client(server.baseURL());

        server.enqueue({.body = R"({"translation":" Hola "})"});
        const TranslationRequest request{"Hi", "en", "es"};
        QCOMPARE(Test::awaitTask(client.translate(request, token)).value(),
                 QStringLiteral(" Hola "));

        server.enqueue({.body = R"({"languages":[{"code":"fr","name":"French"},)"
                                R"({"code":"en","name":"English"}]})"});
        const auto languages = Test::awaitTask(client.fetchLanguages(token));
        QCOMPARE(languages.value().size(), 2);
        QCOMPARE(languages.value().first().code, QStringLiteral("fr"));

        server.enqueue({.body = R"({"languages":[]})"});
        QVERIFY(Test::awaitTask(client.fetchLanguages(token)).value().isEmpty());

        server.enqueue({.body = tokenPair});
        QCOMPARE(Test::awaitTask(client.refresh("r")).value().user.id, Q_INT64_C(9007199254740993));
    }

    void historyQuery_data()
    {
        QTest::addColumn<std::optional<HistoryKind>>("kind");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QByteArray>("query");
        QTest::newRow("blank search") << std::optional<HistoryKind>() << "  \n"
                                      << QByteArray("page=1&page_size=20");
        QTest::newRow("kind and search")
            << std::optional(HistoryKind::Writing) << "cats"
            << QByteArray("page=1&page_size=20&type=writing&search=cats");
        QTest::newRow("plus is not a space") << std::optional<HistoryKind>() << "a+b%41"
                                             << QByteArray("page=1&page_size=20&search=a%2Bb%2541");
    }

    void historyQuery()
    {
        QFETCH(std::optional<HistoryKind>, kind);
        QFETCH(QString, search);
        QFETCH(QByteArray, query);
        ScriptedHttpServer server;
        server.enqueue({.body = historyPage(1, 20)});
        APIClient client(server.baseURL());
        QVERIFY(Test::awaitTask(client.fetchHistory(kind, search, 1, token)));
        QCOMPARE(server.requests().first().query(), query);
    }

    void baseURLKeepsItsPath()
    {
        ScriptedHttpServer server;
        server.enqueue({.body = R"({"languages":[]})"});
        APIClient client(server.baseURL().resolved(QUrl("v1")));
        QVERIFY(Test::awaitTask(client.fetchLanguages(token)));
        QCOMPARE(server.requests().first().target, QByteArray("/v1/api/languages"));
    }

    void transportFailureIsNotAStatus()
    {
        ScriptedHttpServer server;
        // Qt sends a request again once when its connection closes unanswered.
        server.enqueue({.drop = true});
        server.enqueue({.drop = true});
        const Outcome outcome = run(server, "translate");
        QVERIFY(outcome);
        QCOMPARE(outcome->kind(), ServiceError::Kind::Transport);
        QVERIFY(!outcome->text().isEmpty());
    }

    void cancellingStopsTheTransfer()
    {
        ScriptedHttpServer server;
        server.enqueue({.hold = true});
        APIClient client(server.baseURL());
        CancellationToken cancel;
        QObject::connect(&server, &ScriptedHttpServer::requestReceived, &server,
                         [cancel] { cancel.cancel(); });
        const auto result = Test::awaitTask(client.improve("text", token, cancel));
        QVERIFY(!result);
        QVERIFY(result.error().isCancellation());
        QCOMPARE(server.requests().size(), 1);
    }

    void alreadyCancelledSendsNothing()
    {
        ScriptedHttpServer server;
        APIClient client(server.baseURL());
        CancellationToken cancel;
        cancel.cancel();
        const auto result = Test::awaitTask(client.revoke("r", cancel));
        QVERIFY(result.error().isCancellation());
        QVERIFY(server.requests().isEmpty());
    }

    void timeoutIsToldApartFromCancellation()
    {
        ScriptedHttpServer server;
        server.enqueue({.hold = true});
        APIClient client(server.baseURL(), std::chrono::milliseconds(100));
        const auto result = Test::awaitTask(client.fetchBilling(token));
        QVERIFY(!result);
        QCOMPARE(result.error().kind(), ServiceError::Kind::Transport);
        QVERIFY(!result.error().isCancellation());
        QCOMPARE(result.error().text(), QStringLiteral("The request timed out."));
    }

    void invalidBaseURLSendsNothing()
    {
        APIClient client{QUrl()};
        const auto result = Test::awaitTask(client.fetchHistoryEntry(1, token));
        QCOMPARE(result.error(), ServiceError::invalidResponse(ErrorFamily::History));
    }
};

QTEST_GUILESS_MAIN(APIClientTest)
#include "tst_apiclient.moc"
