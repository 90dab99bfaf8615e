#include "wireencoder.h"

namespace Tolvan {

namespace {

nlohmann::json text(const std::optional<QString> &value)
{
    return value ? nlohmann::json(value->toStdString()) : nlohmann::json(nullptr);
}

} // namespace

nlohmann::json WireEncoder::date(const std::optional<QDateTime> &date)
{
    if (!date) {
        return nullptr;
    }
    return date->toUTC().toString(Qt::ISODateWithMs).toStdString();
}

nlohmann::json WireEncoder::entry(const HistoryEntry &entry)
{
    return {
        {"id", entry.id},
        {"type", rawValue(entry.type).toStdString()},
        {"source", entry.source.toStdString()},
        {"result", entry.result.toStdString()},
        {"source_language", text(entry.sourceLanguage)},
        {"target_language", text(entry.targetLanguage)},
        {"inserted_at", date(entry.insertedAt)},
    };
}

nlohmann::json WireEncoder::pagination(const HistoryPagination &pagination)
{
    return {
        {"page", pagination.page},
        {"page_size", pagination.pageSize},
        {"total_count", pagination.totalCount},
        {"total_pages", pagination.totalPages},
    };
}

nlohmann::json WireEncoder::plan(const BillingPlan &plan)
{
    return {
        {"id", rawValue(plan.id).toStdString()},
        {"name", plan.name.toStdString()},
        {"amount_minor", plan.amountMinor},
        {"currency", plan.currency.toStdString()},
        {"recurring_interval", plan.recurringInterval.toStdString()},
        {"trial_interval", plan.trialInterval.toStdString()},
        {"trial_interval_count", plan.trialIntervalCount},
    };
}

nlohmann::json WireEncoder::subscription(const BillingSubscription &subscription)
{
    return {
        {"status", subscription.status.toStdString()},
        {"plan",
         text(subscription.plan ? std::optional(rawValue(*subscription.plan)) : std::nullopt)},
        {"recurring_interval", text(subscription.recurringInterval)},
        {"current_period_end", date(subscription.currentPeriodEnd)},
        {"trial_end", date(subscription.trialEnd)},
        {"cancel_at_period_end", subscription.cancelAtPeriodEnd},
        {"last_synced_at", date(subscription.lastSyncedAt)},
        {"entitled", subscription.entitled},
    };
}

} // namespace Tolvan
