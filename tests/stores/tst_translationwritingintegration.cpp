#include "apiclient.h"
#include "authstore.h"
#include "awaittask.h"
#include "fakecredentialstorage.h"
#include "sandboxcontrol.h"
#include "sandboxprocess.h"
#include "settle.h"
#include "systemclock.h"
#include "translationstore.h"
#include "userpreferences.h"
#include "writingstore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Tolvan;
using Test::awaitTask;

namespace {

constexpr int answerLimitMs = 10'000;

QCoro::Task<bool> finished(QCoro::Task<> task)
{
    co_await std::move(task);
    co_return true;
}

} // namespace

// The translation and writing stores against tolvan-sandbox, over loopback.
class TranslationWritingIntegrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_control = std::make_unique<Test::SandboxControl>(m_sandbox.baseURL(),
                                                           m_sandbox.certificatePath());
    }

    void init()
    {
        m_client = std::make_shared<APIClient>(m_sandbox.baseURL());
        m_auth =
            std::make_unique<AuthStore>(m_client, std::make_shared<Test::FakeCredentialStorage>(),
                                        std::make_shared<SystemClock>());
    }

    void cleanup()
    {
        m_auth.reset();
        // The cancelled refresh timer ends on a later turn of the event loop.
        Test::settle();
    }

    void cleanupTestCase() { QCOMPARE(m_sandbox.stop(), 0); }

    void translatesWithTheRealCatalogue()
    {
        QTemporaryDir dir;
        UserPreferences preferences(dir.filePath(QStringLiteral("tolvan.conf")));
        TranslationStore store(m_auth.get(), m_client, &preferences);
        const QString email = QStringLiteral("translation-store@example.com");
        signIn(email);

        store.loadLanguages(false);
        QVERIFY(QTest::qWaitFor([&] { return !store.isLoadingLanguages(); }, answerLimitMs));
        QVERIFY2(!store.languageMessage(), qPrintable(store.languageMessageText()));
        QCOMPARE(store.language(QStringLiteral("en")).code, QStringLiteral("en"));
        QVERIFY(!store.language(QStringLiteral("es")).name.isEmpty());
        QCOMPARE(store.source()->code, QStringLiteral("en"));
        store.setTarget(store.language(QStringLiteral("es")));
        QVERIFY(!store.hasUnavailableSelection());

        // A new account has no subscription: the service offers its plans.
        store.setText(QStringLiteral("Hello world."));
        store.translate();
        QVERIFY(QTest::qWaitFor([&] { return !store.isBusy(); }, answerLimitMs));
        QVERIFY(store.message());
        QVERIFY(APIClient::isSafeBillingURL(store.billingURLValue()));

        QCOMPARE(
            m_control
                ->setSubscription(
                    {{"email", email.toStdString()}, {"status", "active"}, {"plan", "monthly"}})
                .status,
            200);
        store.translate();
        QVERIFY(QTest::qWaitFor([&] { return !store.isBusy(); }, answerLimitMs));
        QVERIFY2(!store.message(), qPrintable(store.messageText()));
        QVERIFY2(store.result().startsWith(QStringLiteral("Hola")), qPrintable(store.result()));
        QVERIFY(store.billingURL());
        QCOMPARE(preferences.targetLanguageCode(), QStringLiteral("es"));
    }

    void improvesADraft()
    {
        WritingStore store(m_auth.get(), m_client);
        const QString email = QStringLiteral("writing-store@example.com");
        signIn(email);
        QCOMPARE(m_control
                     ->setSubscription(
                         {{"email", email.toStdString()}, {"status", "active"}, {"plan", "annual"}})
                     .status,
                 200);

        const QString draft = QStringLiteral("this is a  draft with teh mistake");
        store.setText(draft);
        store.improve();
        QVERIFY(QTest::qWaitFor([&] { return !store.isBusy(); }, answerLimitMs));
        QVERIFY2(!store.message(), qPrintable(store.messageText()));
        QVERIFY(!store.result().trimmed().isEmpty());
        QVERIFY(store.result() != draft);
    }

private:
    void signIn(const QString &email)
    {
        awaitTask(finished(m_auth->handleWindowActivation()));
        awaitTask(finished(m_auth->requestCode(email)));
        awaitTask(finished(m_auth->verifyCode(m_sandbox.awaitCode(email))));
        QCOMPARE(m_auth->phase(), AuthStore::Phase::Authenticated);
    }

    Test::SandboxProcess m_sandbox;
    std::unique_ptr<Test::SandboxControl> m_control;
    std::shared_ptr<APIClient> m_client;
    std::unique_ptr<AuthStore> m_auth;
};

QTEST_GUILESS_MAIN(TranslationWritingIntegrationTest)
#include "tst_translationwritingintegration.moc"
