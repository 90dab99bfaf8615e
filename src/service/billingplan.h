#pragma once

#include "result.h"
#include "wireenums.h"

#include <QLocale>
#include <QObject>
#include <QString>

#include <nlohmann/json_fwd.hpp>

namespace Tolvan {

struct BillingPlan {
    Q_GADGET
    Q_PROPERTY(Tolvan::BillingPlanID id MEMBER id CONSTANT)
    Q_PROPERTY(QString name MEMBER name CONSTANT)
    Q_PROPERTY(QString recurringInterval MEMBER recurringInterval CONSTANT)
    Q_PROPERTY(QString formattedPrice READ formattedPrice CONSTANT)
    Q_PROPERTY(QString trialDescription READ trialDescription CONSTANT)
public:
    // Also its identity in lists.
    BillingPlanID id = BillingPlanID::Monthly;
    QString name;
    // In the currency's minor unit.
    qint64 amountMinor = 0;
    // An ISO 4217 code.
    QString currency;
    QString recurringInterval;
    QString trialInterval;
    qint64 trialIntervalCount = 0;

    // The price in the currency's own notation for `locale`, e.g. "$19.99";
    // "USD 1999" when the currency cannot be formatted.
    QString formattedPrice(const QLocale &locale = QLocale()) const;
    // e.g. "7-day free trial".
    QString trialDescription() const;

    static Result<BillingPlan> fromJson(const nlohmann::json &json);

    bool operator==(const BillingPlan &) const = default;
};

} // namespace Tolvan
