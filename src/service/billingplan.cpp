#include "billingplan.h"

#include "jsonfields.h"

#include <unicode/numfmt.h>
#include <unicode/unistr.h>

#include <cmath>
#include <memory>

namespace Tolvan {

namespace {

std::optional<QString> formatCurrency(qint64 amountMinor, const QString &currency,
                                      const QLocale &locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale icuLocale(locale.name().toUtf8().constData());
    std::unique_ptr<icu::NumberFormat> formatter(
        icu::NumberFormat::createCurrencyInstance(icuLocale, status));
    if (U_FAILURE(status) || !formatter) {
        return std::nullopt;
    }
    const std::u16string code = currency.toStdU16String();
    formatter->setCurrency(code.c_str(), status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    // The currency decides its minor unit: two digits for most, none for yen.
    const int fractionDigits = formatter->getMaximumFractionDigits();
    const double amount = double(amountMinor) / std::pow(10.0, fractionDigits);
    icu::UnicodeString text;
    formatter->format(amount, text);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

} // namespace

QString BillingPlan::formattedPrice(const QLocale &locale) const
{
    if (const auto text = formatCurrency(amountMinor, currency, locale)) {
        return *text;
    }
    return currency + QLatin1Char(' ') + QString::number(amountMinor);
}

QString BillingPlan::trialDescription() const
{
    return QString::number(trialIntervalCount) + QLatin1Char('-') + trialInterval +
           QStringLiteral(" free trial");
}

Result<BillingPlan> BillingPlan::fromJson(const nlohmann::json &json)
{
    JsonFields fields(json);
    BillingPlan plan{
        .id = fields.enumeration<BillingPlanID>("id"),
        .name = fields.string("name"),
        .amountMinor = fields.integer("amount_minor"),
        .currency = fields.string("currency"),
        .recurringInterval = fields.string("recurring_interval"),
        .trialInterval = fields.string("trial_interval"),
        .trialIntervalCount = fields.integer("trial_interval_count"),
    };
    return fields.finish(std::move(plan));
}

} // namespace Tolvan
