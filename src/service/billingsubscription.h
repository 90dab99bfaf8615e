#pragma once

#include "result.h"
#include "wireenums.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

namespace Tolvan {

struct BillingSubscription {
    Q_GADGET
    Q_PROPERTY(QString status MEMBER status CONSTANT)
    Q_PROPERTY(bool cancelAtPeriodEnd MEMBER cancelAtPeriodEnd CONSTANT)
    Q_PROPERTY(bool entitled MEMBER entitled CONSTANT)
    Q_PROPERTY(bool isTrialing READ isTrialing CONSTANT)
public:
    // The state as the server names it; only "trialing" is read here.
    QString status;
    std::optional<BillingPlanID> plan;
    std::optional<QString> recurringInterval;
    std::optional<QDateTime> currentPeriodEnd;
    std::optional<QDateTime> trialEnd;
    bool cancelAtPeriodEnd = false;
    std::optional<QDateTime> lastSyncedAt;
    // Whether the account may use the paid features now.
    bool entitled = false;

    bool isTrialing() const;

    static Result<BillingSubscription> fromJson(const nlohmann::json &json);

    bool operator==(const BillingSubscription &) const = default;
};

} // namespace Tolvan
