#include "billingledger.h"

#include <QSqlQuery>

namespace Tolvan {

namespace {

QString intervalOf(BillingPlanID plan)
{
    return plan == BillingPlanID::Annual ? QStringLiteral("year") : QStringLiteral("month");
}

QVariant millisecondsOrNull(const std::optional<QDateTime> &date)
{
    return date ? QVariant(date->toMSecsSinceEpoch()) : QVariant(QMetaType::fromType<qint64>());
}

std::optional<QDateTime> dateOrNone(const QVariant &value)
{
    if (value.isNull()) {
        return std::nullopt;
    }
    return QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC);
}

} // namespace

BillingLedger::BillingLedger(QSqlDatabase database, const Clock &clock, Prices prices)
    : m_database(std::move(database))
    , m_clock(clock)
    , m_prices(std::move(prices))
{
}

QList<BillingPlan> BillingLedger::plans() const
{
    const auto plan = [this](BillingPlanID id, const QString &name, qint64 amount) {
        return BillingPlan{
            .id = id,
            .name = name,
            .amountMinor = amount,
            .currency = m_prices.currency,
            .recurringInterval = intervalOf(id),
            .trialInterval = QStringLiteral("day"),
            .trialIntervalCount = trialDays,
        };
    };
    return {plan(BillingPlanID::Monthly, QStringLiteral("Monthly"), m_prices.monthlyMinor),
            plan(BillingPlanID::Annual, QStringLiteral("Annual"), m_prices.annualMinor)};
}

BillingSubscription BillingLedger::subscription(qint64 account) const
{
    QSqlQuery query(m_database);
    query.prepare(
        QStringLiteral("SELECT status, plan, current_period_end, trial_end, cancel_at_period_end,"
                       " last_synced_at, entitled FROM subscriptions WHERE account_id = ?"));
    query.addBindValue(account);
    if (!query.exec() || !query.next()) {
        return {.status = QStringLiteral("none")};
    }
    const auto plan = fromRawValue<BillingPlanID>(query.value(1).toString());
    return {
        .status = query.value(0).toString(),
        .plan = plan,
        .recurringInterval = plan ? std::optional(intervalOf(*plan)) : std::nullopt,
        .currentPeriodEnd = dateOrNone(query.value(2)),
        .trialEnd = dateOrNone(query.value(3)),
        .cancelAtPeriodEnd = query.value(4).toBool(),
        .lastSyncedAt = dateOrNone(query.value(5)),
        .entitled = query.value(6).toBool(),
    };
}

void BillingLedger::set(qint64 account, const QString &status, std::optional<BillingPlanID> plan,
                        bool entitled, bool cancelAtPeriodEnd)
{
    const QDateTime now = m_clock.now().toUTC();
    const bool trialing = status == QLatin1String("trialing");
    const bool running = trialing || status == QLatin1String("active");
    BillingSubscription subscription{
        .status = status,
        .plan = plan,
        .cancelAtPeriodEnd = cancelAtPeriodEnd,
        .lastSyncedAt = now,
        .entitled = entitled,
    };
    if (trialing) {
        subscription.trialEnd = now.addDays(trialDays);
    }
    if (running && plan) {
        subscription.currentPeriodEnd = trialing                         ? *subscription.trialEnd
                                        : *plan == BillingPlanID::Annual ? now.addYears(1)
                                                                         : now.addMonths(1);
    }
    store(account, subscription);
}

void BillingLedger::startTrial(qint64 account, BillingPlanID plan)
{
    set(account, QStringLiteral("trialing"), plan, true, false);
}

void BillingLedger::activate(qint64 account, BillingPlanID plan)
{
    set(account, QStringLiteral("active"), plan, true, false);
}

void BillingLedger::cancelAtPeriodEnd(qint64 account)
{
    BillingSubscription current = subscription(account);
    current.cancelAtPeriodEnd = true;
    current.lastSyncedAt = m_clock.now().toUTC();
    store(account, current);
}

void BillingLedger::end(qint64 account)
{
    set(account, QStringLiteral("canceled"), subscription(account).plan, false, false);
}

void BillingLedger::store(qint64 account, const BillingSubscription &subscription)
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral(
        "INSERT OR REPLACE INTO subscriptions (account_id, status, plan, current_period_end,"
        " trial_end, cancel_at_period_end, last_synced_at, entitled)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(account);
    query.addBindValue(subscription.status);
    query.addBindValue(subscription.plan ? QVariant(rawValue(*subscription.plan))
                                         : QVariant(QMetaType::fromType<QString>()));
    query.addBindValue(millisecondsOrNull(subscription.currentPeriodEnd));
    query.addBindValue(millisecondsOrNull(subscription.trialEnd));
    query.addBindValue(subscription.cancelAtPeriodEnd);
    query.addBindValue(millisecondsOrNull(subscription.lastSyncedAt));
    query.addBindValue(subscription.entitled);
    query.exec();
}

} // namespace Tolvan
