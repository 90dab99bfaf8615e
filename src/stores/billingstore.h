#pragma once

#include "apiclientprotocol.h"
#include "authstore.h"
#include "billingplan.h"
#include "billingresponse.h"
#include "billingsubscription.h"
#include "cancellationtoken.h"
#include "clock.h"
#include "sharedflight.h"
#include "urlopener.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace Tolvan {

// What the client knows of the signed-in account's subscription and the plans
// on offer; drives the plan sheet and opens the checkout and portal pages in
// the browser. It never takes payment itself.
//
// Confined to the main thread. Loads are shared: whoever asks while one is in
// flight waits for that one. An account change starts a new `generation`, and
// answers of an older one change nothing.
class BillingStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasResponse READ hasResponse NOTIFY responseChanged)
    // Of the response held; a default subscription and no plans without one.
    Q_PROPERTY(Tolvan::BillingSubscription subscription READ subscription NOTIFY responseChanged)
    Q_PROPERTY(QList<Tolvan::BillingPlan> plans READ plans NOTIFY responseChanged)
    Q_PROPERTY(bool isEntitled READ isEntitled NOTIFY responseChanged)
    Q_PROPERTY(bool hasSubscribedPlan READ hasSubscribedPlan NOTIFY responseChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool hasActiveAction READ hasActiveAction NOTIFY activeActionChanged)
    Q_PROPERTY(QString message READ messageText NOTIFY messageChanged)
    Q_PROPERTY(bool hasMessage READ hasMessage NOTIFY messageChanged)
    // Writable so that the sheet can report its own dismissal.
    Q_PROPERTY(bool isPresentingPlans READ isPresentingPlans WRITE setIsPresentingPlans NOTIFY
                   isPresentingPlansChanged)
    Q_PROPERTY(Tolvan::BillingPlanID selectedPlan READ selectedPlan WRITE setSelectedPlan NOTIFY
                   selectedPlanChanged)
    // Empty when none.
    Q_PROPERTY(
        QUrl fallbackBillingURL READ fallbackBillingURLValue NOTIFY fallbackBillingURLChanged)
    Q_PROPERTY(
        bool hasFallbackBillingURL READ hasFallbackBillingURL NOTIFY fallbackBillingURLChanged)
    Q_PROPERTY(QString planTitle READ planTitle NOTIFY planTitleChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(SettingsControl settingsControl READ settingsControl NOTIFY settingsControlChanged)
    Q_PROPERTY(QString checkoutNote READ checkoutNote NOTIFY checkoutNoteChanged)
    Q_PROPERTY(
        QString checkoutButtonTitle READ checkoutButtonTitle NOTIFY checkoutButtonTitleChanged)
    Q_PROPERTY(bool canStartCheckout READ canStartCheckout NOTIFY canStartCheckoutChanged)
    Q_PROPERTY(QString manageButtonTitle READ manageButtonTitle NOTIFY manageButtonTitleChanged)
    Q_PROPERTY(PlanSheetBody planSheetBody READ planSheetBody NOTIFY planSheetBodyChanged)

public:
    enum class Action { Checkout, Portal };
    Q_ENUM(Action)
    // What the subscription block of the settings offers.
    enum class SettingsControl { Nothing, Progress, Retry, ViewPlans, Manage };
    Q_ENUM(SettingsControl)
    // What the plan sheet shows under its header.
    enum class PlanSheetBody { LoadingPlans, PlanList, PlansUnavailable };
    Q_ENUM(PlanSheetBody)

    static constexpr std::chrono::seconds pollInterval{3};

    // `auth` outlives the store; `urlOpener` opens the billing pages. An absent
    // client is an APIClient on the configured service; an absent clock the
    // system's.
    BillingStore(AuthStore *auth, std::shared_ptr<URLOpener> urlOpener,
                 std::shared_ptr<APIClientProtocol> client = {}, std::shared_ptr<Clock> clock = {},
                 QObject *parent = nullptr);
    ~BillingStore() override;

    const std::optional<BillingResponse> &response() const { return m_response; }
    bool hasResponse() const { return m_response.has_value(); }
    BillingSubscription subscription() const;
    QList<BillingPlan> plans() const;
    bool isLoading() const { return m_isLoading; }
    std::optional<Action> activeAction() const { return m_activeAction; }
    bool hasActiveAction() const { return m_activeAction.has_value(); }
    std::optional<QString> message() const { return m_message; }
    QString messageText() const { return m_message.value_or(QString()); }
    bool hasMessage() const { return m_message.has_value(); }
    bool isPresentingPlans() const { return m_isPresentingPlans; }
    void setIsPresentingPlans(bool isPresentingPlans);
    BillingPlanID selectedPlan() const { return m_selectedPlan; }
    void setSelectedPlan(BillingPlanID selectedPlan);
    std::optional<QUrl> fallbackBillingURL() const { return m_fallbackBillingURL; }
    QUrl fallbackBillingURLValue() const { return m_fallbackBillingURL.value_or(QUrl()); }
    bool hasFallbackBillingURL() const { return m_fallbackBillingURL.has_value(); }

    // A response is held and its subscription grants the paid features.
    bool isEntitled() const;
    // A response is held and its subscription names a plan.
    bool hasSubscribedPlan() const;
    // The first plan on offer with `id`.
    std::optional<BillingPlan> plan(BillingPlanID id) const;

    QString planTitle() const { return m_planTitle; }
    QString statusText() const;
    SettingsControl settingsControl() const { return m_settingsControl; }
    QString checkoutNote() const;
    QString checkoutButtonTitle() const { return m_checkoutButtonTitle; }
    bool canStartCheckout() const { return m_canStartCheckout; }
    QString manageButtonTitle() const { return m_manageButtonTitle; }
    PlanSheetBody planSheetBody() const { return m_planSheetBody; }
    // The price line of a plan row.
    Q_INVOKABLE QString priceLine(const Tolvan::BillingPlan &plan) const;

    // Loads the subscription and plans when signed in, unless a response is
    // held and `force` is false. A call while a load runs joins that load.
    QCoro::Task<> load(bool force);
    // Loads again when a response is held, or loads once when none is.
    QCoro::Task<> refresh();
    // Opens the plan sheet; `billingURL` is kept as the fallback link only
    // when it is a safe billing page.
    Q_INVOKABLE void presentPlans(const QUrl &billingURL = QUrl());
    Q_INVOKABLE void dismissPlans();
    // Loads every few seconds while the sheet is open, until the account is
    // entitled or `cancel` fires.
    QCoro::Task<> pollWhilePresentingPlans(CancellationToken cancel);
    // Opens the checkout page for the selected plan, when it is offered.
    Q_INVOKABLE void startCheckout();
    Q_INVOKABLE void openPortal();
    // Opens the fallback billing page, when there is one.
    Q_INVOKABLE void openBillingWebsite();

    // For the screens: start the operation and return at once.
    Q_INVOKABLE void startLoad(bool force);
    Q_INVOKABLE void startRefresh();
    // Polls for the plan sheet until stopPolling() or a newer startPolling().
    Q_INVOKABLE void startPolling();
    Q_INVOKABLE void stopPolling();

Q_SIGNALS:
    void responseChanged();
    void isLoadingChanged();
    void activeActionChanged();
    void messageChanged();
    void isPresentingPlansChanged();
    void selectedPlanChanged();
    void fallbackBillingURLChanged();
    void planTitleChanged();
    void statusTextChanged();
    void settingsControlChanged();
    void checkoutNoteChanged();
    void checkoutButtonTitleChanged();
    void canStartCheckoutChanged();
    void manageButtonTitleChanged();
    void planSheetBodyChanged();

private:
    // Asks for the page to open with an access token.
    using PageRequest =
        std::function<QCoro::Task<Result<QUrl>>(QString accessToken, CancellationToken cancel)>;

    QCoro::Task<> runLoad(QUuid generation, std::shared_ptr<SharedFlight> flight);
    QCoro::Task<> fetchAndApply(QUuid generation, CancellationToken cancel);
    void applyResponse(const BillingResponse &response);
    void reconcileSelectedPlan();
    QCoro::Task<> runBillingAction(Action action, PageRequest request);
    void openPage(const QUrl &url);
    bool isSignedIn() const;
    void handleAccountChange();

    void setResponse(const std::optional<BillingResponse> &response);
    void setIsLoading(bool isLoading);
    void setActiveAction(std::optional<Action> activeAction);
    void setMessage(const std::optional<QString> &message);
    void setFallbackBillingURL(const std::optional<QUrl> &fallbackBillingURL);
    // Recomputes the texts and controls derived from the state above.
    void updateDerived();

    std::optional<BillingResponse> m_response;
    bool m_isLoading = false;
    std::optional<Action> m_activeAction;
    std::optional<QString> m_message;
    bool m_isPresentingPlans = false;
    BillingPlanID m_selectedPlan = BillingPlanID::Annual;
    std::optional<QUrl> m_fallbackBillingURL;

    QString m_planTitle;
    // Formatting these two loads the locale's date and currency data, which
    // nothing on the first screen needs: each is made when first read and
    // kept current from then on.
    mutable std::optional<QString> m_statusText;
    SettingsControl m_settingsControl = SettingsControl::Nothing;
    mutable std::optional<QString> m_checkoutNote;
    QString m_checkoutButtonTitle;
    bool m_canStartCheckout = false;
    QString m_manageButtonTitle;
    PlanSheetBody m_planSheetBody = PlanSheetBody::PlansUnavailable;

    AuthStore *const m_auth;
    const std::shared_ptr<URLOpener> m_urlOpener;
    const std::shared_ptr<APIClientProtocol> m_client;
    const std::shared_ptr<Clock> m_clock;
    QUuid m_generation = QUuid::createUuid();
    std::shared_ptr<SharedFlight> m_loadTask;
    std::optional<CancellationToken> m_actionTask;
    std::optional<CancellationToken> m_pollTask;
};

} // namespace Tolvan
