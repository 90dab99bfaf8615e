#include "billingstore.h"

#include "apiclient.h"
#include "billingsummary.h"
#include "propertyassignment.h"
#include "requestaccess.h"
#include "systemclock.h"

#include <QPointer>

#include <algorithm>

namespace Tolvan {

namespace {

const QString signInText = QStringLiteral("Please sign in again to manage billing.");
const QString openFailedText =
    QStringLiteral("The billing page could not be opened. Please try again.");

} // namespace

BillingStore::BillingStore(AuthStore *auth, std::shared_ptr<URLOpener> urlOpener,
                           std::shared_ptr<APIClientProtocol> client, std::shared_ptr<Clock> clock,
                           QObject *parent)
    : QObject(parent)
    , m_auth(auth)
    , m_urlOpener(std::move(urlOpener))
    , m_client(client ? std::move(client) : std::make_shared<APIClient>())
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
{
    updateDerived();
    connect(m_auth, &AuthStore::phaseChanged, this, &BillingStore::updateDerived);
    m_auth->addAccountChangeObserver([self = QPointer<BillingStore>(this)] {
        if (self) {
            self->handleAccountChange();
        }
    });
}

BillingStore::~BillingStore()
{
    // Stops the transfers and the polling sleep; their coroutines then find the store gone.
    if (m_loadTask) {
        m_loadTask->cancel();
    }
    if (m_actionTask) {
        m_actionTask->cancel();
    }
    stopPolling();
}

BillingSubscription BillingStore::subscription() const
{
    return m_response ? m_response->subscription : BillingSubscription();
}

QList<BillingPlan> BillingStore::plans() const
{
    return m_response ? m_response->plans : QList<BillingPlan>();
}

bool BillingStore::isEntitled() const
{
    return m_response && m_response->subscription.entitled;
}

bool BillingStore::hasSubscribedPlan() const
{
    return m_response && m_response->subscription.plan.has_value();
}

std::optional<BillingPlan> BillingStore::plan(BillingPlanID id) const
{
    if (!m_response) {
        return std::nullopt;
    }
    const auto &plans = m_response->plans;
    const auto found = std::find_if(plans.cbegin(), plans.cend(),
                                    [id](const BillingPlan &plan) { return plan.id == id; });
    if (found == plans.cend()) {
        return std::nullopt;
    }
    return *found;
}

QString BillingStore::priceLine(const BillingPlan &plan) const
{
    return BillingSummary::priceLine(plan);
}

QCoro::Task<> BillingStore::load(bool force)
{
    if (m_loadTask) {
        const auto flight = m_loadTask;
        co_await flight->wait();
        co_return;
    }
    if (!isSignedIn()) {
        co_return;
    }
    if (!force && m_response) {
        co_return;
    }
    setIsLoading(true);
    setMessage(std::nullopt);
    const auto flight = std::make_shared<SharedFlight>();
    m_loadTask = flight;
    runLoad(m_generation, flight);
    co_await flight->wait();
}

QCoro::Task<> BillingStore::runLoad(QUuid generation, std::shared_ptr<SharedFlight> flight)
{
    QPointer<BillingStore> self(this);
    const CancellationToken cancel = flight->cancellation();
    co_await fetchAndApply(generation, cancel);
    if (self && m_generation == generation) {
        setIsLoading(false);
        m_loadTask.reset();
    }
    // Every caller waiting for this load resumes, whatever became of the store.
    flight->finish();
}

QCoro::Task<> BillingStore::fetchAndApply(QUuid generation, CancellationToken cancel)
{
    QPointer<BillingStore> self(this);
    const auto client = m_client;
    const auto isCurrent = [&] { return m_generation == generation && !cancel.isCancelled(); };
    const QCoro::Task<RequestAccess> pendingAccess = RequestAccess::obtain(m_auth, this, isCurrent);
    const RequestAccess access = co_await pendingAccess;
    if (!access.isGranted()) {
        co_return;
    }
    const auto answer = co_await client->fetchBilling(access.accessToken(), cancel);
    if (!self || !isCurrent()) {
        co_return;
    }
    if (answer) {
        applyResponse(answer.value());
    } else {
        setMessage(answer.error().text());
    }
}

void BillingStore::applyResponse(const BillingResponse &response)
{
    setResponse(response);
    reconcileSelectedPlan();
    if (isEntitled()) {
        setIsPresentingPlans(false);
    }
}

void BillingStore::reconcileSelectedPlan()
{
    if (plan(m_selectedPlan)) {
        return;
    }
    const QList<BillingPlan> offered = plans();
    if (!plan(BillingPlanID::Annual) && !offered.isEmpty()) {
        setSelectedPlan(offered.first().id);
    } else {
        setSelectedPlan(BillingPlanID::Annual);
    }
}

QCoro::Task<> BillingStore::refresh()
{
    if (!isSignedIn()) {
        co_return;
    }
    co_await load(m_response.has_value());
}

void BillingStore::presentPlans(const QUrl &billingURL)
{
    setFallbackBillingURL(APIClient::isSafeBillingURL(billingURL) ? std::optional(billingURL)
                                                                  : std::nullopt);
    setMessage(std::nullopt);
    reconcileSelectedPlan();
    setIsPresentingPlans(true);
    if (!m_response) {
        load(false);
    }
}

void BillingStore::dismissPlans()
{
    setIsPresentingPlans(false);
    setFallbackBillingURL(std::nullopt);
    setMessage(std::nullopt);
}

QCoro::Task<> BillingStore::pollWhilePresentingPlans(CancellationToken cancel)
{
    QPointer<BillingStore> self(this);
    const auto clock = m_clock;
    co_await load(false);
    if (!self) {
        co_return;
    }
    while (m_isPresentingPlans && !isEntitled() && !cancel.isCancelled()) {
        const bool slept = co_await clock->sleep(pollInterval, cancel);
        if (!self || !slept) {
            co_return;
        }
        co_await load(true);
        if (!self) {
            co_return;
        }
    }
}

void BillingStore::startCheckout()
{
    if (m_activeAction || !plan(m_selectedPlan)) {
        return;
    }
    const auto client = m_client;
    // The plan is read when the request is made, after the wait for the token.
    const PageRequest request = [this, client](QString accessToken, CancellationToken cancel) {
        return client->createCheckout(m_selectedPlan, accessToken, cancel);
    };
    runBillingAction(Action::Checkout, request);
}

void BillingStore::openPortal()
{
    if (m_activeAction) {
        return;
    }
    const auto client = m_client;
    const PageRequest request = [client](QString accessToken, CancellationToken cancel) {
        return client->createPortal(accessToken, cancel);
    };
    runBillingAction(Action::Portal, request);
}

QCoro::Task<> BillingStore::runBillingAction(Action action, PageRequest request)
{
    QPointer<BillingStore> self(this);
    const QUuid generation = m_generation;
    const CancellationToken cancel;
    m_actionTask = cancel;
    setActiveAction(action);
    setMessage(std::nullopt);
    // A page asked for by an account that has since gone is neither opened
    // nor reported.
    const auto isCurrent = [&] { return m_generation == generation; };
    const QCoro::Task<RequestAccess> pendingAccess = RequestAccess::obtain(m_auth, this, isCurrent);
    const RequestAccess access = co_await pendingAccess;
    if (access.requesterGone() || access.outcome() == RequestAccess::Outcome::Stale) {
        co_return;
    }
    if (access.isSignedOut()) {
        setMessage(signInText);
    } else {
        // Awaited as a named task: no temporary lives across the suspension.
        const QCoro::Task<Result<QUrl>> pending = request(access.accessToken(), cancel);
        const auto page = co_await pending;
        if (!self || !isCurrent()) {
            co_return;
        }
        if (page) {
            openPage(page.value());
        } else {
            setMessage(page.error().text());
        }
    }
    setActiveAction(std::nullopt);
    m_actionTask.reset();
}

void BillingStore::openBillingWebsite()
{
    if (m_fallbackBillingURL) {
        openPage(*m_fallbackBillingURL);
    }
}

void BillingStore::openPage(const QUrl &url)
{
    if (!m_urlOpener->openURL(url)) {
        setMessage(openFailedText);
    }
}

void BillingStore::startLoad(bool force)
{
    load(force);
}

void BillingStore::startRefresh()
{
    refresh();
}

void BillingStore::startPolling()
{
    stopPolling();
    const CancellationToken cancel;
    m_pollTask = cancel;
    pollWhilePresentingPlans(cancel);
}

void BillingStore::stopPolling()
{
    if (m_pollTask) {
        m_pollTask->cancel();
        m_pollTask.reset();
    }
}

bool BillingStore::isSignedIn() const
{
    return m_auth->phase() == AuthStore::Phase::Authenticated;
}

void BillingStore::handleAccountChange()
{
    m_generation = QUuid::createUuid();
    if (m_loadTask) {
        m_loadTask->cancel();
        m_loadTask.reset();
    }
    if (m_actionTask) {
        m_actionTask->cancel();
        m_actionTask.reset();
    }
    setResponse(std::nullopt);
    setIsLoading(false);
    setActiveAction(std::nullopt);
    setMessage(std::nullopt);
    setIsPresentingPlans(false);
    setFallbackBillingURL(std::nullopt);
    setSelectedPlan(BillingPlanID::Annual);
}

void BillingStore::setResponse(const std::optional<BillingResponse> &response)
{
    if (assignProperty(this, m_response, response, &BillingStore::responseChanged)) {
        updateDerived();
    }
}

void BillingStore::setIsLoading(bool isLoading)
{
    if (assignProperty(this, m_isLoading, isLoading, &BillingStore::isLoadingChanged)) {
        updateDerived();
    }
}

void BillingStore::setActiveAction(std::optional<Action> activeAction)
{
    if (assignProperty(this, m_activeAction, activeAction, &BillingStore::activeActionChanged)) {
        updateDerived();
    }
}

void BillingStore::setMessage(const std::optional<QString> &message)
{
    assignProperty(this, m_message, message, &BillingStore::messageChanged);
}

void BillingStore::setIsPresentingPlans(bool isPresentingPlans)
{
    assignProperty(this, m_isPresentingPlans, isPresentingPlans,
                   &BillingStore::isPresentingPlansChanged);
}

void BillingStore::setSelectedPlan(BillingPlanID selectedPlan)
{
    if (assignProperty(this, m_selectedPlan, selectedPlan, &BillingStore::selectedPlanChanged)) {
        updateDerived();
    }
}

void BillingStore::setFallbackBillingURL(const std::optional<QUrl> &fallbackBillingURL)
{
    assignProperty(this, m_fallbackBillingURL, fallbackBillingURL,
                   &BillingStore::fallbackBillingURLChanged);
}

QString BillingStore::statusText() const
{
    if (!m_statusText) {
        m_statusText = BillingSummary::statusText(isSignedIn(), m_response, m_isLoading);
    }
    return *m_statusText;
}

QString BillingStore::checkoutNote() const
{
    if (!m_checkoutNote) {
        m_checkoutNote = BillingSummary::checkoutNote(plan(m_selectedPlan));
    }
    return *m_checkoutNote;
}

void BillingStore::updateDerived()
{
    const bool signedIn = isSignedIn();
    assignProperty(this, m_planTitle, BillingSummary::planTitle(signedIn, m_response),
                   &BillingStore::planTitleChanged);
    if (m_statusText) {
        assignProperty(this, *m_statusText,
                       BillingSummary::statusText(signedIn, m_response, m_isLoading),
                       &BillingStore::statusTextChanged);
    }
    SettingsControl control = SettingsControl::Manage;
    if (!signedIn) {
        control = SettingsControl::Nothing;
    } else if (!m_response) {
        control = m_isLoading ? SettingsControl::Progress : SettingsControl::Retry;
    } else if (!isEntitled() && !hasSubscribedPlan()) {
        control = SettingsControl::ViewPlans;
    }
    assignProperty(this, m_settingsControl, control, &BillingStore::settingsControlChanged);
    const auto selected = plan(m_selectedPlan);
    if (m_checkoutNote) {
        assignProperty(this, *m_checkoutNote, BillingSummary::checkoutNote(selected),
                       &BillingStore::checkoutNoteChanged);
    }
    assignProperty(
        this, m_checkoutButtonTitle,
        BillingSummary::checkoutButtonTitle(m_activeAction == Action::Checkout, selected),
        &BillingStore::checkoutButtonTitleChanged);
    assignProperty(this, m_canStartCheckout, !m_activeAction && selected.has_value(),
                   &BillingStore::canStartCheckoutChanged);
    assignProperty(this, m_manageButtonTitle,
                   BillingSummary::manageButtonTitle(m_activeAction == Action::Portal),
                   &BillingStore::manageButtonTitleChanged);
    PlanSheetBody body = PlanSheetBody::PlansUnavailable;
    if (m_response && !m_response->plans.isEmpty()) {
        body = PlanSheetBody::PlanList;
    } else if (m_isLoading && !m_response) {
        body = PlanSheetBody::LoadingPlans;
    }
    assignProperty(this, m_planSheetBody, body, &BillingStore::planSheetBodyChanged);
}

} // namespace Tolvan
