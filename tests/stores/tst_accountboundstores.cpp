#include "accountfixture.h"
#include "billingstore.h"
#include "historystore.h"
#include "translationstore.h"
#include "writingstore.h"

#include <QTest>

#include <functional>

using namespace Tolvan;
using namespace Tolvan::Test;
using Op = ClientOperation;

namespace {

// Every store whose requests carry the session's access token, over one fake
// service client, signed in as user 7.
struct Stores {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    std::unique_ptr<TranslationStore> translation =
        std::make_unique<TranslationStore>(&account.auth, client);
    std::unique_ptr<WritingStore> writing = std::make_unique<WritingStore>(&account.auth, client);
    std::unique_ptr<HistoryStore> history =
        std::make_unique<HistoryStore>(&account.auth, client, account.clock);
    std::unique_ptr<BillingStore> billing = std::make_unique<BillingStore>(
        &account.auth, std::make_shared<RecordingURLOpener>(), client, account.clock);

    Stores() { account.signIn(); }

    // Drops every store, the one making the request among them.
    void destroy()
    {
        translation.reset();
        writing.reset();
        history.reset();
        billing.reset();
    }
};

using Step = std::function<void(Stores &)>;

// What the user sees of a request: the store's message and whether it is busy.
using State = std::pair<QString, bool>;

// One request of one store.
struct Request {
    Op operation;
    // What the store says when the session is lost before the request goes out.
    QString signInText;
    // Readies the store while signed in; may be empty.
    Step prepare;
    Step start;
    std::function<State(const Stores &)> state;
    // An edit of the input that makes the request stale; empty where there is none.
    Step edit;
};

QList<std::pair<const char *, Request>> requests()
{
    return {
        {"translation",
         {Op::Translate, QStringLiteral("Please sign in again to translate."),
          [](Stores &s) {
              s.client->answer<Op::FetchLanguages>(
                  QList<TranslationLanguage>{{"en", "English"}, {"fr", "French"}});
              s.translation->loadLanguages(false);
              settle();
              s.translation->setText(QStringLiteral("Hello"));
          },
          [](Stores &s) { s.translation->translate(); },
          [](const Stores &s) {
              return State{s.translation->messageText(), s.translation->isBusy()};
          },
          [](Stores &s) { s.translation->setText(QStringLiteral("Hello!")); }}},
        {"writing",
         {Op::Improve, QStringLiteral("Please sign in again to improve writing."),
          [](Stores &s) { s.writing->setText(QStringLiteral("draft")); },
          [](Stores &s) { s.writing->improve(); },
          [](const Stores &s) {
              return State{s.writing->messageText(), s.writing->isBusy()};
          },
          [](Stores &s) { s.writing->setText(QStringLiteral("draft!")); }}},
        {"history list",
         {Op::FetchHistory,
          QStringLiteral("Please sign in again to load history."),
          {},
          [](Stores &s) { s.history->reload(false, false); },
          [](const Stores &s) {
              return State{s.history->messageText(), s.history->isLoading()};
          }}},
        {"history entry",
         {Op::FetchHistoryEntry, QStringLiteral("Please sign in again to update history."),
          [](Stores &s) {
              s.client->answer<Op::FetchHistory>(HistoryListResponse{
                  .history = {HistoryEntry{.id = 1}},
                  .pagination = {.page = 1, .pageSize = 20, .totalCount = 1, .totalPages = 1}});
              s.history->reload(false, false);
              settle();
          },
          [](Stores &s) { s.history->openEntry(QStringLiteral("1")); },
          [](const Stores &s) {
              return State{s.history->actionMessageText(), s.history->actionID().has_value()};
          }}},
        {"billing page",
         {Op::CreatePortal,
          QStringLiteral("Please sign in again to manage billing."),
          {},
          [](Stores &s) { s.billing->openPortal(); },
          [](const Stores &s) {
              return State{s.billing->messageText(), s.billing->hasActiveAction()};
          }}},
        // Billing loads in the background and never asks to sign in.
        {"billing",
         {Op::FetchBilling,
          QString(),
          {},
          [](Stores &s) { s.billing->startLoad(false); },
          [](const Stores &s) {
              return State{s.billing->messageText(), s.billing->isLoading()};
          }}},
    };
}

enum class Abandon { AccountSwitch, StoreGone, Edit, EditDuringRefresh };

} // namespace

class AccountBoundStoresTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requestWaitsForTheRefresh_data()
    {
        QTest::addColumn<Request>("request");
        QTest::addColumn<bool>("renewed");
        for (const auto &[name, request] : requests()) {
            QTest::addRow("%s, renewed", name) << request << true;
            // A refresh that fails without a rejection keeps the session but not the phase.
            QTest::addRow("%s, refresh failed", name) << request << false;
        }
    }

    void requestWaitsForTheRefresh()
    {
        QFETCH(Request, request);
        QFETCH(bool, renewed);
        Stores s;
        if (request.prepare) {
            request.prepare(s);
        }
        s.account.nearExpiry();
        request.start(s);
        settle();
        QCOMPARE(request.state(s).second, true);
        QVERIFY(s.client->calls(request.operation).isEmpty());

        TokenPair tokens = AccountFixture::tokens(7);
        tokens.accessToken = QStringLiteral("renewed");
        s.account.authClient->answer<Op::Refresh>(
            renewed ? Result<TokenPair>(tokens)
                    : Result<TokenPair>(ServiceError::transport(QNetworkReply::TimeoutError, {})));
        settle();

        const auto sent = s.client->calls(request.operation);
        if (renewed) {
            QCOMPARE(sent.size(), 1);
            QCOMPARE(sent.first().arguments.last(), tokens.accessToken);
        } else {
            QVERIFY(sent.isEmpty());
            QCOMPARE(request.state(s), State(request.signInText, false));
        }
        s.client->cancelPending();
        settle();
    }

    void abandonedRequestChangesNothing_data()
    {
        QTest::addColumn<Request>("request");
        QTest::addColumn<Abandon>("abandon");
        for (const auto &[name, request] : requests()) {
            QTest::addRow("%s, account switched", name) << request << Abandon::AccountSwitch;
            QTest::addRow("%s, store gone", name) << request << Abandon::StoreGone;
            if (request.edit) {
                QTest::addRow("%s, edited", name) << request << Abandon::Edit;
                QTest::addRow("%s, edited during the refresh", name)
                    << request << Abandon::EditDuringRefresh;
            }
        }
    }

    void abandonedRequestChangesNothing()
    {
        QFETCH(Request, request);
        QFETCH(Abandon, abandon);
        Stores s;
        if (request.prepare) {
            request.prepare(s);
        }
        if (abandon == Abandon::EditDuringRefresh) {
            s.account.nearExpiry();
        }
        request.start(s);
        settle();
        if (abandon == Abandon::AccountSwitch) {
            s.account.switchAccount(8);
        } else if (abandon == Abandon::StoreGone) {
            s.destroy();
        } else {
            request.edit(s);
            s.account.authClient->answer<Op::Refresh>(AccountFixture::tokens(7));
        }
        settle();

        const auto calls = s.client->calls();
        if (abandon == Abandon::EditDuringRefresh) {
            QVERIFY(s.client->calls(request.operation).isEmpty());
        } else {
            // The transfer is stopped; its cancellation is no failure to report.
            QVERIFY(s.client->wasCancelled(
                calls.lastIndexOf(s.client->calls(request.operation).last())));
        }
        if (abandon != Abandon::StoreGone) {
            QCOMPARE(request.state(s), State(QString(), false));
        }
    }
};

QTEST_GUILESS_MAIN(AccountBoundStoresTest)
#include "tst_accountboundstores.moc"
