#include "sandbox.h"

#include "accounts.h"
#include "apertiumtranslator.h"
#include "authroutes.h"
#include "billingledger.h"
#include "billingpages.h"
#include "billingroutes.h"
#include "developmentroutes.h"
#include "faultinjector.h"
#include "historybook.h"
#include "historyroutes.h"
#include "httpendpoint.h"
#include "router.h"
#include "sandboxdatabase.h"
#include "selfsignedcertificate.h"
#include "sessiontokens.h"
#include "signincodes.h"
#include "spellingcorrector.h"
#include "systemclock.h"
#include "textimprover.h"
#include "textroutes.h"

namespace Tolvan {

// Everything that lives while the sandbox runs, in the order it is built.
struct Sandbox::Parts {
    Parts(Sandbox &sandbox, const SandboxOptions &options, const Clock &clock,
          const QSqlDatabase &connection)
        : accounts(connection, clock)
        , codes(connection, clock)
        , tokens(connection, clock, {options.accessLifetime, options.refreshLifetime})
        , history(connection, clock)
        , ledger(connection, clock, options.prices)
        , translator(ApertiumTranslator::installedPairs())
        , speller(SpellingCorrector::loadInstalled())
        , improver(speller.get())
        , pages(ledger)
        , auth({codes, accounts, tokens, ledger}, options.entitledByDefault,
               [&sandbox](const QString &email, const QString &code) {
                   Q_EMIT sandbox.codeMailed(email, code);
               })
        , text({translator, improver, history, ledger, pages})
        , historyRoutes(history)
        , billing(ledger, pages)
        , development({codes, accounts, ledger, faults})
        , router([this](const HttpRequest &request) { return auth.authorise(request); })
        , api([&sandbox](HttpRequest request) { return sandbox.serve(std::move(request)); })
        , pagesEndpoint(
              [this](HttpRequest request) { return Router::ready(pages.handle(request)); })
    {
        auth.install(router);
        text.install(router);
        historyRoutes.install(router);
        billing.install(router);
        development.install(router);
    }

    Accounts accounts;
    SignInCodes codes;
    SessionTokens tokens;
    HistoryBook history;
    BillingLedger ledger;
    ApertiumTranslator translator;
    std::unique_ptr<SpellingCorrector> speller;
    TextImprover improver;
    FaultInjector faults;
    BillingPages pages;
    AuthRoutes auth;
    TextRoutes text;
    HistoryRoutes historyRoutes;
    BillingRoutes billing;
    DevelopmentRoutes development;
    Router router;
    HttpEndpoint api;
    HttpEndpoint pagesEndpoint;
    quint16 apiPort = 0;
    quint16 pagesPort = 0;
};

Sandbox::Sandbox(SandboxOptions options, std::shared_ptr<Clock> clock, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
    , m_database(std::make_unique<SandboxDatabase>(m_options.databasePath))
{
}

Sandbox::~Sandbox()
{
    // Requests held back by a delay fault end now instead of outliving us.
    m_stopping.cancel();
}

bool Sandbox::start(QString *error)
{
    if (!m_database->open(error)) {
        return false;
    }
    const auto certificate = SelfSignedCertificate::loadOrCreate(m_options.dataFolder, error);
    if (!certificate) {
        return false;
    }
    m_parts = std::make_unique<Parts>(*this, m_options, *m_clock, m_database->connection());
    m_parts->pagesEndpoint.sslSetup(certificate->certificate(), certificate->key());
    m_parts->apiPort = m_parts->api.listenOnLoopback(m_options.port);
    m_parts->pagesPort = m_parts->pagesEndpoint.listenOnLoopback(0);
    if (m_parts->apiPort == 0 || m_parts->pagesPort == 0) {
        *error = QStringLiteral("Cannot listen on 127.0.0.1 port %1.").arg(m_options.port);
        m_parts.reset();
        return false;
    }
    m_parts->pages.setBaseURL(pagesURL());
    return true;
}

QUrl Sandbox::baseURL() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_parts ? m_parts->apiPort : 0));
}

QUrl Sandbox::pagesURL() const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(m_parts ? m_parts->pagesPort : 0));
}

QCoro::Task<HttpReply> Sandbox::serve(HttpRequest request)
{
    if (request.path.startsWith(QLatin1String("/sandbox/"))) {
        if (!request.peer.isLoopback()) {
            co_return HttpReply::error(403, "forbidden",
                                       QStringLiteral("Development routes answer loopback only."));
        }
        co_return co_await m_parts->router.dispatch(std::move(request));
    }
    if (const auto fault = m_parts->faults.take(request.method, request.path)) {
        if (fault->delay.count() > 0) {
            const CancellationToken stopping = m_stopping;
            if (!co_await m_clock->sleep(fault->delay, stopping)) {
                co_return HttpReply::dropped();
            }
        }
        if (fault->drop) {
            co_return HttpReply::dropped();
        }
        if (fault->status) {
            co_return HttpReply::raw(*fault->status, fault->body);
        }
    }
    co_return co_await m_parts->router.dispatch(std::move(request));
}

} // namespace Tolvan
