// The service layer: how records decode, what its errors and prices read,
// which base URLs and clocks it accepts, and how APIClient sends every
// operation and reads its answers, against a scripted loopback server.

#include "apiclient.h"
#include "authsession.h"
#include "billingerrorenvelope.h"
#include "historylistresponse.h"
#include "servicebaseurl.h"
#include "servicedateparsing.h"
#include "systemclock.h"

#include "awaittask.h"
#include "scriptedhttpserver.h"

#include <QTest>
#include <QTimer>

#include <functional>

using namespace Tolvan;
using namespace std::chrono_literals;
using nlohmann::json;
using Tolvan::Test::ScriptedHttpServer;

namespace Tolvan {
char *toString(const ServiceError &error)
{
    return QTest::toString(QStringLiteral("kind %1, family %2, status %3: %4 %5")
                               .arg(int(error.kind()))
                               .arg(int(error.family()))
                               .arg(error.status())
                               .arg(error.text(), error.billingURL().toString()));
}
} // namespace Tolvan

namespace {

using Outcome = std::optional<ServiceError>;

const QByteArray token = "tok-123";
// Ids above 2^53, where a double would have lost the last digit.
const QByteArray tokenPair = R"({"access_token":"a","refresh_token":"r","token_type":"Bearer",)"
                             R"("expires_in":900,"refresh_expires_in":2592000,)"
                             R"("user":{"id":9007199254740993,"email":"ada@example.org"}})";
const QByteArray historyEntry =
    R"({"id":9007199254740993,"type":"translation","source":"Hello","result":"Hola",)"
    R"("source_language":"en","target_language":"es","inserted_at":"2025-03-01T12:30:45.123Z"})";
const QByteArray plan = R"({"id":"monthly","name":"Monthly","amount_minor":999,"currency":"USD",)"
                        R"("recurring_interval":"month","trial_interval":"day",)"
                        R"("trial_interval_count":7})";
const QByteArray billing =
    R"({"subscription":{"status":"trialing","plan":"annual","recurring_interval":"year",)"
    R"("current_period_end":"2025-04-01T00:00:00Z","trial_end":"2025-03-08T00:00:00+01:00",)"
    R"("cancel_at_period_end":false,"last_synced_at":null,"entitled":true},"plans":[)" +
    plan + "]}";
// A session as the credential storage keeps it; instants in seconds since 2001.
const QByteArray persistedSession =
    R"({"tokens":)" + tokenPair + R"(,"accessExpiresAt":0,"refreshExpiresAt":86400.25})";

// Sets (or with none, removes) the first `key` found in `node`, depth first.
bool edit(json &node, const std::string &key, const std::optional<json> &value)
{
    if (node.is_object() && node.contains(key)) {
        value ? void(node[key] = *value) : void(node.erase(key));
        return true;
    }
    for (json &child : node) {
        if (child.is_structured() && edit(child, key, value)) {
            return true;
        }
    }
    return false;
}

// `document` with the value of `key` replaced by the JSON `value`, or removed
// without one; a key that is not there yet is added to the outermost object.
QByteArray withField(const QByteArray &document, const std::string &key,
                     const std::optional<QByteArray> &value)
{
    json edited = json::parse(document.toStdString());
    const std::optional<json> parsed =
        value ? std::optional(json::parse(value->toStdString())) : std::nullopt;
    if (!edit(edited, key, parsed) && parsed) {
        edited[key] = *parsed;
    }
    return QByteArray::fromStdString(edited.dump());
}

QByteArray historyPage(int page, int pageSize)
{
    return R"({"history":[)" + historyEntry + R"(],"pagination":{"page":)" +
           QByteArray::number(page) + R"(,"page_size":)" + QByteArray::number(pageSize) +
           R"(,"total_count":1,"total_pages":1}})";
}

template<typename Record>
Result<Record> decode(const QByteArray &bytes)
{
    auto document = JsonFields::parse(bytes);
    if (!document) {
        return document.error();
    }
    return Record::fromJson(document.value());
}

using Decoder = bool (*)(const QByteArray &);

template<typename Record>
bool decodes(const QByteArray &bytes)
{
    return decode<Record>(bytes).isOk();
}

// Calls `method` with `arguments` and keeps only whether and how it failed.
template<auto method, typename... Arguments>
std::function<QCoro::Task<Outcome>(APIClient &)> call(Arguments... arguments)
{
    return [=](APIClient &client) -> QCoro::Task<Outcome> {
        const auto result = co_await (client.*method)(arguments..., CancellationToken());
        co_return result ? Outcome() : Outcome(result.error());
    };
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
    std::function<QCoro::Task<Outcome>(APIClient &)> run;
};

const QMap<QString, Operation> &operations()
{
    static const QMap<QString, Operation> table{
        {"fetchBilling",
         {"GET", "/api/billing", "", true, 200, billing, ErrorFamily::Billing,
          call<&APIClient::fetchBilling>(token)}},
        {"createCheckout",
         {"POST", "/api/billing/checkout", R"({"plan":"annual"})", true, 200,
          "{\"checkout_url\":\"https://pay.example.org/c/1\"}", ErrorFamily::Billing,
          call<&APIClient::createCheckout>(BillingPlanID::Annual, token)}},
        {"createPortal",
         {"POST", "/api/billing/portal", "", true, 200,
          "{\"portal_url\":\"https://pay.example.org/p/1\"}", ErrorFamily::Billing,
          call<&APIClient::createPortal>(token)}},
        // The search is trimmed and fully percent-encoded: a plus is no space.
        {"fetchHistory",
         {"GET",
          "/api/history?page=2&page_size=20&type=writing"
          "&search=caf%C3%A9%20%2B%26%3D%2541",
          "", true, 200, historyPage(2, 20), ErrorFamily::History,
          call<&APIClient::fetchHistory>(std::optional(HistoryKind::Writing),
                                         QStringLiteral("  café +&=%41\n"), qint64(2), token)}},
        {"fetchHistory of every kind",
         {"GET", "/api/history?page=1&page_size=20", "", true, 200, historyPage(1, 20),
          ErrorFamily::History,
          call<&APIClient::fetchHistory>(std::optional<HistoryKind>(), QStringLiteral(" \n"),
                                         qint64(1), token)}},
        {"fetchHistoryEntry",
         {"GET", "/api/history/9007199254740993", "", true, 200,
          "{\"history\":" + historyEntry + "}", ErrorFamily::History,
          call<&APIClient::fetchHistoryEntry>(Q_INT64_C(9007199254740993), token)}},
        {"deleteHistoryEntry",
         {"DELETE", "/api/history/9223372036854775807", "", true, 204, "", ErrorFamily::History,
          call<&APIClient::deleteHistoryEntry>(std::numeric_limits<qint64>::max(), token)}},
        {"clearHistory",
         {"DELETE", "/api/history", "", true, 204, "", ErrorFamily::History,
          call<&APIClient::clearHistory>(token)}},
        {"requestOTP",
         {"POST", "/api/auth/otp/request", R"({"email":"ada@example.org"})", false, 202,
          R"({"status":"code_sent"})", ErrorFamily::Auth,
          call<&APIClient::requestOTP>(QStringLiteral("ada@example.org"))}},
        {"verifyOTP",
         {"POST", "/api/auth/otp/verify", R"({"code":"123 456","email":"ada@example.org"})", false,
          200, tokenPair, ErrorFamily::Auth,
          call<&APIClient::verifyOTP>(QStringLiteral("ada@example.org"),
                                      QStringLiteral("123 456"))}},
        {"refresh",
         {"POST", "/api/auth/refresh", R"({"refresh_token":"r-1"})", false, 200, tokenPair,
          ErrorFamily::Auth, call<&APIClient::refresh>(QStringLiteral("r-1"))}},
        {"revoke",
         {"DELETE", "/api/auth/session", R"({"refresh_token":"r-1"})", false, 204, "",
          ErrorFamily::Auth, call<&APIClient::revoke>(QStringLiteral("r-1"))}},
        {"fetchLanguages",
         {"GET", "/api/languages", "", true, 200,
          R"({"languages":[{"code":"en","name":"English"}]})", ErrorFamily::Languages,
          call<&APIClient::fetchLanguages>(token)}},
        {"translate",
         {"POST", "/api/translate",
          R"({"source_language":"en","target_language":"es","text":"Hi \"you\"\n"})", true, 200,
          R"({"translation":" Hola "})", ErrorFamily::Translation,
          call<&APIClient::translate>(TranslationRequest{"Hi \"you\"\n", "en", "es"}, token)}},
        {"improve",
         {"POST", "/api/improve", R"({"text":"teh cat"})", true, 200,
          R"({"improved_text":"The cat"})", ErrorFamily::Writing,
          call<&APIClient::improve>(QStringLiteral("teh cat"), token)}},
    };
    return table;
}

// The base URL has a path of its own, which every request keeps.
Outcome run(ScriptedHttpServer &server, const QString &operation)
{
    APIClient client(server.baseURL().resolved(QUrl("v1")));
    return Test::awaitTask(operations()[operation].run(client));
}

QString price(const char *locale, const char *currency, qint64 amountMinor)
{
    BillingPlan plan;
    plan.currency = QString::fromLatin1(currency);
    plan.amountMinor = amountMinor;
    return plan.formattedPrice(QLocale(QString::fromLatin1(locale)));
}

} // namespace

class ServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decoding_data()
    {
        QTest::addColumn<Decoder>("decoder");
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<bool>("decodes");
        const auto entry = [](const char *name, const QByteArray &document, bool decodes) {
            QTest::newRow(name) << Decoder(::decodes<HistoryEntry>) << document << decodes;
        };
        const auto entryWith = [](const std::string &key, const std::optional<QByteArray> &value) {
            return withField(historyEntry, key, value);
        };
        entry("null optional", entryWith("source_language", "null"), true);
        entry("missing required", entryWith("inserted_at", std::nullopt), false);
        entry("id beyond 64 bits", entryWith("id", "9223372036854775808"), false);
        entry("unknown kind", entryWith("type", R"("Translation")"), false);

        QTest::newRow("one bad entry fails its page")
            << Decoder(decodes<HistoryListResponse>)
            << withField(historyPage(1, 20), "history",
                         '[' + historyEntry + ',' +
                             withField(historyEntry, "inserted_at", std::nullopt) + ']')
            << false;
        QTest::newRow("billing: unknown plan")
            << Decoder(decodes<BillingResponse>) << withField(billing, "plan", R"("weekly")")
            << false;
        const QByteArray subscribe =
            R"({"error":{"code":"subscription_required","detail":"Subscribe"},"billing_url":0})";
        QTest::newRow("billing link: not a URL")
            << Decoder(decodes<BillingErrorEnvelope>)
            << withField(subscribe, "billing_url", "\"http://exa mple.com\"") << false;
        const Decoder session = [](const QByteArray &bytes) {
            return AuthSession::decode(bytes).isOk();
        };
        QTest::newRow("session: date out of range")
            << session << withField(persistedSession, "accessExpiresAt", "1e300") << false;
    }

    void decoding()
    {
        QFETCH(Decoder, decoder);
        QFETCH(QByteArray, document);
        QFETCH(bool, decodes);
        QCOMPARE(decoder(document), decodes);
    }

    void decodedRecordsKeepEveryValue()
    {
        const HistoryEntry entry{
            .id = Q_INT64_C(9007199254740993),
            .type = HistoryKind::Translation,
            .source = "Hello",
            .result = "Hola",
            .sourceLanguage = "en",
            .targetLanguage = "es",
            .insertedAt = QDateTime(QDate(2025, 3, 1), QTime(12, 30, 45, 123), Qt::UTC),
        };
        QCOMPARE(decode<HistoryEntry>(historyEntry).value(), entry);

        const AuthSession session = AuthSession::decode(persistedSession).value();
        QCOMPARE(session.tokens, decode<TokenPair>(tokenPair).value());
        QCOMPARE(session.accessExpiresAt, QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC));
        QCOMPARE(session.refreshExpiresAt,
                 QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 250), Qt::UTC));

        const auto undecodable = decode<TokenPair>(withField(tokenPair, "expires_in", "\"900\""));
        QVERIFY(undecodable.error().text().contains(QLatin1String("expires_in")));
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");

        const QDateTime noon(QDate(2025, 3, 1), QTime(12, 30, 45), Qt::UTC);
        QTest::newRow("long fraction") << "2025-03-01T12:30:45.123456Z" << noon.addMSecs(123);
        QTest::newRow("negative offset") << "2025-03-01T07:00:45-05:30" << noon;
        QTest::newRow("no zone") << "2025-03-01T12:30:45" << QDateTime();
        QTest::newRow("offset without colon") << "2025-03-01T12:30:45+0200" << QDateTime();
        QTest::newRow("past year 9999 in UTC") << "9999-12-31T23:30:00-01:00" << QDateTime();
        QTest::newRow("trailing text") << "2025-03-01T12:30:45Zx" << QDateTime();
    }

    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(ServiceDateParsing::parse(text).value_or(QDateTime()), expected);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("expected");

        QTest::newRow("transport passes Qt's text")
            << ServiceError::transport(QNetworkReply::ConnectionRefusedError, "Refused").text()
            << "Refused";
        // What each family says of an answer it cannot use.
        for (const auto &[family, text] : QList<std::pair<ErrorFamily, const char *>>{
                 {ErrorFamily::Auth, "The server returned an unexpected response."},
                 {ErrorFamily::Translation,
                  "The translation service returned an invalid response."},
                 {ErrorFamily::Writing, "The writing service returned an invalid response."},
                 {ErrorFamily::Languages, "The language service returned no usable languages."},
                 {ErrorFamily::History, "The history service returned an invalid response."},
                 {ErrorFamily::Billing, "The billing service returned an invalid response."},
             }) {
            QTest::newRow(text) << ServiceError::invalidResponse(family).text()
                                << QString::fromLatin1(text) + " Please try again.";
        }
        QTest::newRow("unsafe URL")
            << ServiceError::unsafeURL().text()
            << "The billing service returned an unsafe link. Please try again.";

        // The keyring's own words, its status, and advice for that status.
        const auto keyring = [](int status, const QString &message) {
            return ServiceError::keychain(status, message).text();
        };
        QTest::newRow("keyring prompt dismissed")
            << keyring(-128, "Cancelled.")
            << "Your saved session could not be accessed. Cancelled. (Keyring -128). Retry and "
               "allow Tolvan to access its saved credentials when your desktop asks.";
        QTest::newRow("unnamed keyring failure")
            << keyring(42, QString())
            << "Your saved session could not be accessed. Unknown keyring error (Keyring 42). "
               "Please retry.";

        // The currency decides the minor unit, the locale the rest.
        QTest::newRow("JPY has no minor unit") << price("en_US", "JPY", 500) << "¥500";
        QTest::newRow("EUR de_DE") << price("de_DE", "EUR", 123456) << "1.234,56\u00A0€";
        QTest::newRow("unusable currency") << price("en_US", "US", 1999) << "US 1999";
    }

    void texts()
    {
        QFETCH(QString, shown);
        QFETCH(QString, expected);
        QCOMPARE(shown, expected);
    }

    void baseURL_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("https anywhere") << "https://staging.example.org/v2" << true;
        QTest::newRow("http 127.8.9.10") << "http://127.8.9.10/" << true;
        QTest::newRow("http localhost lookalike") << "http://localhost.example.org/" << false;
        QTest::newRow("no host") << "https:///path" << false;
    }

    void baseURL()
    {
        QFETCH(QString, configured);
        QFETCH(bool, accepted);
        QString error;
        QCOMPARE(ServiceBaseURL::resolve(configured, &error).isValid(), accepted);
        QCOMPARE(error.contains(QLatin1String("TOLVAN_BASE_URL")), !accepted);
    }

    void sendsTheRequest_data()
    {
        QTest::addColumn<QString>("operation");
        for (const QString &name : operations().keys()) {
            QTest::newRow(name.toUtf8()) << name;
        }
    }

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
        QCOMPARE(request.target, "/v1" + op.target);
        QCOMPARE(request.body, op.body);
        QCOMPARE(request.header("Content-Type"), "application/json");
        QCOMPARE(request.header("Accept"), "application/json");
        QCOMPARE(request.header("Authorization"), op.authorised ? "Bearer " + token : QByteArray());
    }

    void failures_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<ServiceError>("expected");
        const auto row = [](const QByteArray &name, const QString &operation, int status,
                            const QByteArray &body, const ServiceError &expected) {
            QTest::newRow(name) << operation << status << body << expected;
        };
        // A success status with a body the operation does not accept.
        const auto invalid = [&row](const QByteArray &name, const QString &operation,
                                    const QByteArray &body) {
            const Operation &op = operations()[operation];
            row(name, operation, op.successStatus, body, ServiceError::invalidResponse(op.family));
        };

        // Every operation reads the failure statuses alike, by its family.
        const QByteArray subscriptionBody =
            R"({"error":{"code":"subscription_required","detail":"Subscribe first."},)"
            "\"billing_url\":\"https://tolvan.app/billing\"}";
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
            const auto response = [family](int status, const QString &text) {
                return ServiceError::response(family, status, text);
            };
            const bool hasRejectedText =
                family != ErrorFamily::Auth && family != ErrorFamily::Languages;
            // Only the text operations read a 402 as an offer to subscribe.
            const bool readsSubscription =
                family == ErrorFamily::Translation || family == ErrorFamily::Writing;
            row(name + " 503 without body", it.key(), 503, "",
                response(503, prefixes[family] + "503). Please try again."));
            row(name + " 401 without detail", it.key(), 401, R"({"error":{"code":"x"}})",
                response(401, hasRejectedText ? "Your session was rejected. Please sign out and "
                                                "sign in again."
                                              : prefixes[family] + "401). Please try again."));
            row(name + " 402", it.key(), 402, subscriptionBody,
                readsSubscription
                    ? ServiceError::subscriptionRequired(family, "Subscribe first.",
                                                         QUrl("https://tolvan.app/billing"))
                    : response(402, "Subscribe first."));
        }

        const auto translation = [](int status, const QString &text) {
            return ServiceError::response(ErrorFamily::Translation, status, text);
        };
        const auto subscriptionWith = [&subscriptionBody](const QByteArray &url) {
            return withField(subscriptionBody, "billing_url", "\"" + url + "\"");
        };
        row("empty detail stays empty", "translate", 400, R"({"error":{"code":"x","detail":""}})",
            translation(400, ""));
        row("402 with HTTPS in capitals", "translate", 402,
            subscriptionWith("HTTPS://tolvan.app/billing"),
            ServiceError::subscriptionRequired(ErrorFamily::Translation, "Subscribe first.",
                                               QUrl("HTTPS://tolvan.app/billing")));
        row("402 with a plain http link", "translate", 402,
            subscriptionWith("http://tolvan.app/billing"), translation(402, "Subscribe first."));
        row("requestOTP answered 200", "requestOTP", 200, R"({"status":"code_sent"})",
            ServiceError::response(ErrorFamily::Auth, 200,
                                   "Authentication failed (HTTP 200). Please try again."));

        const auto plans = [](const QByteArray &list) {
            return withField(billing, "plans", '[' + list + ']');
        };
        invalid("billing: no plans", "fetchBilling", plans(""));
        invalid("billing: duplicate plan ids", "fetchBilling",
                plans(plan + ',' + withField(plan, "name", "\"Other\"")));
        invalid("billing: date without time", "fetchBilling",
                withField(billing, "trial_end", "\"2025-03-08\""));
        row("checkout: plain http", "createCheckout", 200,
            "{\"checkout_url\":\"http://pay.example.org/c\"}", ServiceError::unsafeURL());
        invalid("history: another page", "fetchHistory", historyPage(1, 20));
        invalid("history entry: another id", "fetchHistoryEntry",
                "{\"history\":" + withField(historyEntry, "id", "9007199254740992") + '}');
        invalid("otp: other status", "requestOTP", R"({"status":"queued"})");
        invalid("token: lower-case bearer", "verifyOTP",
                withField(tokenPair, "token_type", "\"bearer\""));
        const QByteArray undecodable = withField(tokenPair, "expires_in", "\"900\"");
        row("token: undecodable passes the decoder's error", "verifyOTP", 200, undecodable,
            decode<TokenPair>(undecodable).error());
        invalid("translate: blank", "translate", R"({"translation":" \n\t "})");
    }

    void failures()
    {
        QFETCH(QString, operation);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(ServiceError, expected);
        ScriptedHttpServer server;
        server.enqueue({.status = status, .body = body});

        const Outcome outcome = run(server, operation);
        QVERIFY(outcome);
        QCOMPARE(*outcome, expected);
        if (expected.kind() == ServiceError::Kind::SubscriptionRequired) {
            // The link to subscribe is the one the server sent.
            const json sent = json::parse(body.toStdString())["billing_url"];
            QCOMPARE(outcome->billingURL(), QUrl(QString::fromStdString(sent.get<std::string>())));
        }
    }

    void transportFailuresAreNotCancellations()
    {
        ScriptedHttpServer server;
        // Qt sends a request again once when its connection closes unanswered.
        server.enqueue({.drop = true});
        server.enqueue({.drop = true});
        server.enqueue({.hold = true});
        APIClient client(server.baseURL(), 100ms);

        const ServiceError dropped = Test::awaitTask(client.improve("text", token)).error();
        QCOMPARE(dropped.kind(), ServiceError::Kind::Transport);
        QVERIFY(!dropped.isCancellation());
        QVERIFY(!dropped.text().isEmpty());

        const ServiceError timedOut = Test::awaitTask(client.fetchBilling(token)).error();
        QCOMPARE(timedOut, ServiceError::transport(QNetworkReply::TimeoutError,
                                                   QStringLiteral("The request timed out.")));
        QVERIFY(!timedOut.isCancellation());
    }

    void cancellingStopsTheTransfer()
    {
        ScriptedHttpServer server;
        server.enqueue({.hold = true});
        APIClient client(server.baseURL());
        CancellationToken cancel;
        QObject::connect(&server, &ScriptedHttpServer::requestReceived, &server,
                         [cancel] { cancel.cancel(); });
        QVERIFY(Test::awaitTask(client.improve("text", token, cancel)).error().isCancellation());
        // Once cancelled, nothing more goes out.
        QVERIFY(Test::awaitTask(client.revoke("r", cancel)).error().isCancellation());
        QCOMPARE(server.requests().size(), 1);
    }

    void invalidBaseURLSendsNothing()
    {
        APIClient client{QUrl()};
        const auto result = Test::awaitTask(client.fetchHistoryEntry(1, token));
        QCOMPARE(result.error(), ServiceError::invalidResponse(ErrorFamily::History));
    }

    void cancellingWakesEvenAMonthLongSleep()
    {
        SystemClock clock;
        CancellationToken cancel;
        QTimer::singleShot(0, [cancel] { cancel.cancel(); });
        QVERIFY(!Test::awaitTask(clock.sleep(std::chrono::hours(24 * 30), cancel)));
        // Already cancelled, it does not sleep at all.
        QVERIFY(!Test::awaitTask(clock.sleep(std::chrono::hours(1), cancel)));
    }

    void cancellingResumesAtOnce()
    {
        SystemClock clock;
        CancellationToken cancel;
        bool resumed = false;
        auto sleeper = [&]() -> QCoro::Task<> {
            co_await clock.sleep(std::chrono::hours(1), cancel);
            resumed = true;
        };
        auto sleeping = sleeper();
        cancel.cancel();
        // No turn of the event loop: the owner may be going away right now.
        QVERIFY(resumed);
    }
};

QTEST_GUILESS_MAIN(ServiceTest)
#include "tst_service.moc"
