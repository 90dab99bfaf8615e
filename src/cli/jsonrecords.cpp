#include "jsonrecords.h"

#include <QDateTime>

namespace Tolvan {

namespace {

nlohmann::json moment(const std::optional<QDateTime> &moment)
{
    if (!moment) {
        return nullptr;
    }
    return moment->toUTC().toString(Qt::ISODateWithMs).toStdString();
}

} // namespace

nlohmann::json JsonRecords::text(const QString &text)
{
    return text.toStdString();
}

nlohmann::json JsonRecords::text(const std::optional<QString> &text)
{
    return text ? JsonRecords::text(*text) : nlohmann::json(nullptr);
}

nlohmann::json JsonRecords::language(const TranslationLanguage &language)
{
    return {{"code", text(language.code)}, {"name", text(language.name)}};
}

nlohmann::json JsonRecords::entry(const HistoryEntry &entry)
{
    return {
        {"id", entry.id},
        {"type", text(rawValue(entry.type))},
        {"source", text(entry.source)},
        {"result", text(entry.result)},
        {"source_language", text(entry.sourceLanguage)},
        {"target_language", text(entry.targetLanguage)},
        {"inserted_at", moment(entry.insertedAt)},
    };
}

nlohmann::json JsonRecords::plan(const BillingPlan &plan, const QString &priceLine)
{
    return {
        {"id", text(rawValue(plan.id))},
        {"name", text(plan.name)},
        {"price", text(plan.formattedPrice())},
        {"recurring_interval", text(plan.recurringInterval)},
        {"price_line", text(priceLine)},
        {"trial", text(plan.trialDescription())},
    };
}

nlohmann::json JsonRecords::subscription(const BillingSubscription &subscription)
{
    return {
        {"status", text(subscription.status)},
        {"plan", subscription.plan ? text(rawValue(*subscription.plan)) : nlohmann::json(nullptr)},
        {"entitled", subscription.entitled},
        {"cancel_at_period_end", subscription.cancelAtPeriodEnd},
        {"current_period_end", moment(subscription.currentPeriodEnd)},
        {"trial_end", moment(subscription.trialEnd)},
    };
}

} // namespace Tolvan
