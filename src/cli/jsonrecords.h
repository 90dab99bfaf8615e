#pragma once

#include "billingplan.h"
#include "billingsubscription.h"
#include "historyentry.h"
#include "translationlanguage.h"

#include <QString>

#include <nlohmann/json.hpp>

#include <optional>

namespace Tolvan {

// The records that --json prints, with the service's own key names.
class JsonRecords {
public:
    static nlohmann::json text(const QString &text);
    static nlohmann::json text(const std::optional<QString> &text);
    static nlohmann::json language(const TranslationLanguage &language);
    static nlohmann::json entry(const HistoryEntry &entry);
    static nlohmann::json plan(const BillingPlan &plan, const QString &priceLine);
    static nlohmann::json subscription(const BillingSubscription &subscription);
};

} // namespace Tolvan
