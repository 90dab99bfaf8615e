#pragma once

#include "billingplan.h"
#include "billingsubscription.h"
#include "clock.h"

#include <QSqlDatabase>

#include <optional>

namespace Tolvan {

// The plans on offer and each account's subscription. An account without a
// subscription reads as status "none", not entitled.
class BillingLedger {
public:
    struct Prices {
        qint64 monthlyMinor = 999;
        qint64 annualMinor = 9999;
        QString currency = QStringLiteral("USD");
    };
    static constexpr int trialDays = 7;

    BillingLedger(QSqlDatabase database, const Clock &clock, Prices prices);

    QList<BillingPlan> plans() const;
    BillingSubscription subscription(qint64 account) const;

    // Sets the state as the payment provider would report it, with the period
    // and trial dates that go with it.
    void set(qint64 account, const QString &status, std::optional<BillingPlanID> plan,
             bool entitled, bool cancelAtPeriodEnd);
    void startTrial(qint64 account, BillingPlanID plan);
    void activate(qint64 account, BillingPlanID plan);
    void cancelAtPeriodEnd(qint64 account);
    // Ends the subscription now.
    void end(qint64 account);

private:
    void store(qint64 account, const BillingSubscription &subscription);

    QSqlDatabase m_database;
    const Clock &m_clock;
    Prices m_prices;
};

} // namespace Tolvan
