#include "apertiumtranslator.h"
#include "apiclient.h"
#include "awaittask.h"
#include "sandboxcontrol.h"
#include "sandboxprocess.h"

#include <QTest>

using namespace Tolvan;
using Test::awaitTask;
using Kind = ServiceError::Kind;

namespace {

// The operations that faults are tried on.
enum class Operation { Languages, Translate, Improve, Billing, History };

// The error's text for a failed check; QVERIFY2 evaluates it even on success.
template<typename T>
QByteArray failure(const Result<T> &result)
{
    return result ? QByteArray() : result.error().text().toUtf8();
}

} // namespace

// APIClient against tolvan-sandbox running as a child process.
class SandboxIntegrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_client = std::make_unique<APIClient>(m_sandbox.baseURL());
        m_control = std::make_unique<Test::SandboxControl>(m_sandbox.baseURL(),
                                                           m_sandbox.certificatePath());
        m_hasEnglishToSpanish = ApertiumTranslator(ApertiumTranslator::installedPairs())
                                    .routeFor("en", "es")
                                    .has_value();
    }

    void cleanup() { m_control->clearFaults(); }

    void cleanupTestCase() { QCOMPARE(m_sandbox.stop(), 0); }

    void signInThroughTheOutbox()
    {
        const QString email = QStringLiteral("outbox@example.com");
        QVERIFY(awaitTask(m_client->requestOTP(email)).isOk());
        const QString code = m_sandbox.awaitCode(email);
        QCOMPARE(code.size(), 6);

        const QString wrong = code == QLatin1String("000000") ? "000001" : "000000";
        const auto refused = awaitTask(m_client->verifyOTP(email, wrong));
        QVERIFY(!refused);
        QCOMPARE(refused.error().status(), 401);
        QCOMPARE(refused.error().text(), QStringLiteral("The sign-in code is wrong."));

        const auto pair = awaitTask(m_client->verifyOTP(email, code));
        QVERIFY(pair);
        QCOMPARE(pair.value().user.email, email);
        QVERIFY(pair.value().user.id > (qint64(1) << 53));
        QCOMPARE(pair.value().expiresIn, 900);
        QCOMPARE(pair.value().refreshExpiresIn, 30 * 24 * 3600);

        const auto again = awaitTask(m_client->verifyOTP(email, code));
        QCOMPARE(again.error().status(), 401);
    }

    void refreshRotatesAndRevokeEnds()
    {
        const TokenPair first = m_control->signIn(QStringLiteral("rotate@example.com"));
        const auto second = awaitTask(m_client->refresh(first.refreshToken));
        QVERIFY(second);
        QCOMPARE(second.value().user, first.user);
        QVERIFY(awaitTask(m_client->fetchLanguages(second.value().accessToken)));

        const auto stale = awaitTask(m_client->refresh(first.refreshToken));
        QCOMPARE(stale.error().status(), 401);
        QCOMPARE(stale.error().text(), QStringLiteral("The session has ended. Sign in again."));
        QCOMPARE(awaitTask(m_client->fetchLanguages(first.accessToken)).error().status(), 401);

        QVERIFY(awaitTask(m_client->revoke(second.value().refreshToken)).isOk());
        const auto revoked =
            awaitTask(m_client->fetchHistory({}, {}, 1, second.value().accessToken));
        QCOMPARE(revoked.error().status(), 401);
        QCOMPARE(awaitTask(m_client->refresh(second.value().refreshToken)).error().status(), 401);
    }

    void translatesWithApertium()
    {
        if (!m_hasEnglishToSpanish) {
            QSKIP("The Apertium English-Spanish pair is not installed.");
        }
        const QString token = signInEntitled(QStringLiteral("translate@example.com"));
        const auto languages = awaitTask(m_client->fetchLanguages(token));
        QVERIFY(languages);
        QVERIFY(languages.value().contains(TranslationLanguage{"es", "Spanish"}));

        const auto translation = awaitTask(m_client->translate(
            {QStringLiteral("I would like a cup of coffee."), "en", "es"}, token));
        QVERIFY2(translation, failure(translation).constData());
        QVERIFY2(translation.value().contains(QStringLiteral("taza de café")),
                 qPrintable(translation.value()));

        const auto unsupported = awaitTask(m_client->translate({"Hi", "en", "xx"}, token));
        QCOMPARE(unsupported.error().status(), 422);
        QCOMPARE(unsupported.error().text(),
                 QStringLiteral("The language pair en to xx is not installed."));
    }

    void subscriptionRequiredUntilTheTrialStarts()
    {
        const TokenPair pair = m_control->signIn(QStringLiteral("trial@example.com"));
        const QString token = pair.accessToken;
        const auto refused = awaitTask(m_client->improve(QStringLiteral("a draft"), token));
        QCOMPARE(refused.error().kind(), Kind::SubscriptionRequired);
        QCOMPARE(refused.error().text(),
                 QStringLiteral("A subscription is required to improve text."));
        QCOMPARE(awaitTask(m_client->translate({"Hello", "en", "es"}, token)).error().kind(),
                 Kind::SubscriptionRequired);

        const auto before = awaitTask(m_client->fetchBilling(token));
        QVERIFY(before);
        QCOMPARE(before.value().subscription.status, QStringLiteral("none"));
        QVERIFY(!before.value().subscription.entitled);
        QCOMPARE(before.value().plans.size(), 2);

        const auto checkout = awaitTask(m_client->createCheckout(BillingPlanID::Annual, token));
        QVERIFY(checkout);
        QCOMPARE(checkout.value().scheme(), QStringLiteral("https"));
        // The page the 402 links to offers every plan; this one only the annual plan.
        QVERIFY(!m_control->startTrial(checkout.value(), QStringLiteral("monthly")));
        QVERIFY(m_control->startTrial(refused.error().billingURL(), QStringLiteral("monthly")));

        const auto after = awaitTask(m_client->fetchBilling(token));
        QVERIFY(after);
        const BillingSubscription &subscription = after.value().subscription;
        QVERIFY(subscription.isTrialing());
        QVERIFY(subscription.entitled);
        QCOMPARE(subscription.plan, BillingPlanID::Monthly);
        const qint64 trialDays = QDateTime::currentDateTimeUtc().daysTo(*subscription.trialEnd);
        QVERIFY(trialDays >= 6 && trialDays <= 7);

        const auto improved =
            awaitTask(m_client->improve(QStringLiteral("teh  draft is ready ."), token));
        QVERIFY2(improved, failure(improved).constData());
        QCOMPARE(improved.value(), QStringLiteral("The draft is ready."));
    }

    void historyPagesFiltersSearchesAndDeletes()
    {
        if (!m_hasEnglishToSpanish) {
            QSKIP("The Apertium English-Spanish pair is not installed.");
        }
        const QString token = signInEntitled(QStringLiteral("history@example.com"));
        QVERIFY(awaitTask(m_client->translate({"Good morning", "en", "es"}, token)));
        for (int i = 0; i < 23; ++i) {
            QVERIFY(awaitTask(m_client->improve(QStringLiteral("draft %1").arg(i), token)));
        }
        QVERIFY(awaitTask(m_client->translate({"Thank you", "en", "es"}, token)));

        const auto first = awaitTask(m_client->fetchHistory({}, {}, 1, token));
        QVERIFY(first);
        QCOMPARE(first.value().history.size(), 20);
        QCOMPARE(first.value().pagination.totalCount, 25);
        QCOMPARE(first.value().pagination.totalPages, 2);
        QCOMPARE(first.value().history.first().source, QStringLiteral("Thank you"));
        QCOMPARE(first.value().history.first().sourceLanguage, QStringLiteral("en"));
        QCOMPARE(first.value().history[1].source, QStringLiteral("draft 22"));
        QCOMPARE(first.value().history[1].result, QStringLiteral("Draft 22"));
        QCOMPARE(awaitTask(m_client->fetchHistory({}, {}, 2, token)).value().history.size(), 5);

        const auto count = [&](std::optional<HistoryKind> type, const QString &search) {
            return awaitTask(m_client->fetchHistory(type, search, 1, token))
                .value()
                .pagination.totalCount;
        };
        QCOMPARE(count(HistoryKind::Writing, {}), 23);
        QCOMPARE(count(HistoryKind::Translation, {}), 2);
        // "draft 1" and "draft 10" to "draft 19", in either case.
        QCOMPARE(count({}, QStringLiteral("DRAFT 1")), 11);
        QCOMPARE(count(HistoryKind::Translation, QStringLiteral("GRACIAS")), 1);

        const HistoryEntry newest = first.value().history.first();
        const auto read = awaitTask(m_client->fetchHistoryEntry(newest.id, token));
        QVERIFY(read);
        QCOMPARE(read.value(), newest);
        QVERIFY(awaitTask(m_client->deleteHistoryEntry(newest.id, token)).isOk());
        QCOMPARE(awaitTask(m_client->fetchHistoryEntry(newest.id, token)).error().status(), 404);
        QCOMPARE(awaitTask(m_client->deleteHistoryEntry(newest.id, token)).error().status(), 404);

        QVERIFY(awaitTask(m_client->clearHistory(token)).isOk());
        const auto cleared = awaitTask(m_client->fetchHistory({}, {}, 1, token));
        QVERIFY(cleared.value().history.isEmpty());
        QCOMPARE(cleared.value().pagination.totalCount, 0);
        QCOMPARE(cleared.value().pagination.totalPages, 0);
    }

    void injectedFaultsReachTheClient_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");

        const auto json = [](const nlohmann::json &value) {
            return QByteArray::fromStdString(value.dump());
        };
        QTest::newRow("status without a body")
            << json({{"path", "api/languages"}, {"status", 500}}) << Operation::Languages
            << Kind::Response << 500
            << QStringLiteral("Unable to load languages (HTTP 500). Please try again.");
        QTest::newRow("status with an error body")
            << json({{"method", "GET"},
                     {"path", "api/history"},
                     {"status", 503},
                     {"body", {{"error", {{"code", "maintenance"}, {"detail", "Back soon."}}}}}})
            << Operation::History << Kind::Response << 503 << QStringLiteral("Back soon.");
        QTest::newRow("subscription required")
            << json({{"path", "api/improve"},
                     {"status", 402},
                     {"body",
                      {{"error", {{"code", "subscription_required"}, {"detail", "Pay first."}}},
                       {"billing_url", "https://billing.example/plans"}}}})
            << Operation::Improve << Kind::SubscriptionRequired << 0
            << QStringLiteral("Pay first.");
        QTest::newRow("body that does not decode")
            << json({{"path", "api/billing"}, {"status", 200}, {"body", "not json"}})
            << Operation::Billing << Kind::InvalidResponse << 0
            << QStringLiteral(
                   "The billing service returned an invalid response. Please try again.");
        // Qt sends a request once more when its connection closes before any
        // answer, so the connection is dropped for more than one request.
        QTest::newRow("dropped connection")
            << json({{"path", "api/translate"}, {"drop", true}, {"count", 3}})
            << Operation::Translate << Kind::Transport << 0 << QString();
        QTest::newRow("delay beyond the transfer time-out")
            << json({{"path", "api/languages"}, {"delay_ms", 3000}}) << Operation::Languages
            << Kind::Transport << 0 << QString();
    }

    void injectedFaultsReachTheClient()
    {
        QFETCH(QByteArray, fault);
        QFETCH(Operation, operation);
        QFETCH(Kind, kind);
        QFETCH(int, status);
        QFETCH(QString, text);

        const QString token = signInEntitled(QStringLiteral("faults@example.com"));
        QCOMPARE(m_control->injectFault(nlohmann::json::parse(fault.toStdString())).status, 204);
        // Short, so that a delayed answer outlasts it.
        APIClient client(m_sandbox.baseURL(), std::chrono::milliseconds(500));
        const auto error = run(client, operation, token);
        QVERIFY(error);
        QCOMPARE(error->kind(), kind);
        if (status != 0) {
            QCOMPARE(error->status(), status);
        }
        if (!text.isEmpty()) {
            QCOMPARE(error->text(), text);
        }
    }

    void faultsRunOutAfterTheirCount()
    {
        const QString token = signInEntitled(QStringLiteral("count@example.com"));
        m_control->injectFault({{"path", "api/improve"}, {"status", 500}, {"count", 2}});
        QCOMPARE(awaitTask(m_client->improve("one", token)).error().status(), 500);
        QCOMPARE(awaitTask(m_client->improve("two", token)).error().status(), 500);
        QVERIFY(awaitTask(m_client->improve("three", token)));
    }

private:
    QString signInEntitled(const QString &email)
    {
        const TokenPair pair = m_control->signIn(email);
        m_control->setSubscription(
            {{"email", email.toStdString()}, {"status", "active"}, {"plan", "monthly"}});
        return pair.accessToken;
    }

    static std::optional<ServiceError> run(APIClient &client, Operation operation,
                                           const QString &token)
    {
        const auto errorOf = [](const auto &result) -> std::optional<ServiceError> {
            return result ? std::nullopt : std::optional(result.error());
        };
        switch (operation) {
        case Operation::Languages:
            return errorOf(awaitTask(client.fetchLanguages(token)));
        case Operation::Translate:
            return errorOf(awaitTask(client.translate({"Hello", "en", "es"}, token)));
        case Operation::Improve:
            return errorOf(awaitTask(client.improve("a draft", token)));
        case Operation::Billing:
            return errorOf(awaitTask(client.fetchBilling(token)));
        case Operation::History:
            return errorOf(awaitTask(client.fetchHistory({}, {}, 1, token)));
        }
        return std::nullopt;
    }

    Test::SandboxProcess m_sandbox;
    std::unique_ptr<APIClient> m_client;
    std::unique_ptr<Test::SandboxControl> m_control;
    bool m_hasEnglishToSpanish = false;
};

QTEST_GUILESS_MAIN(SandboxIntegrationTest)
#include "tst_sandboxintegration.moc"
