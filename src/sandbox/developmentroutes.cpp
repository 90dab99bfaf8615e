#include "developmentroutes.h"

#include "requestbody.h"
#include "wireencoder.h"

#include <algorithm>

namespace Tolvan {

namespace {

constexpr qint64 longestDelayMs = 120'000;

} // namespace

DevelopmentRoutes::DevelopmentRoutes(Dependencies dependencies)
    : m_use(dependencies)
{
}

void DevelopmentRoutes::install(Router &router)
{
    using Access = Router::Access;
    router.add("GET", QStringLiteral("/sandbox/outbox"), Access::Public,
               [this](const HttpRequest &request) { return outbox(request); });
    router.add("POST", QStringLiteral("/sandbox/subscription"), Access::Public,
               [this](const HttpRequest &request) { return setSubscription(request); });
    router.add("POST", QStringLiteral("/sandbox/faults"), Access::Public,
               [this](const HttpRequest &request) { return addFault(request); });
    router.add("DELETE", QStringLiteral("/sandbox/faults"), Access::Public,
               [this](const HttpRequest &request) { return clearFaults(request); });
}

HttpReply DevelopmentRoutes::outbox(const HttpRequest &request) const
{
    const QString email = Accounts::normalisedAddress(request.queryValue(QStringLiteral("email")));
    if (email.isEmpty()) {
        return HttpReply::error(400, "invalid_request", QStringLiteral("Give an email."));
    }
    const auto code = m_use.codes.latest(email);
    if (!code) {
        return HttpReply::error(404, "not_found",
                                QStringLiteral("No code was sent to %1.").arg(email));
    }
    return HttpReply::json(200, {{"email", email.toStdString()}, {"code", code->toStdString()}});
}

HttpReply DevelopmentRoutes::setSubscription(const HttpRequest &request)
{
    RequestBody body(request.body, {{"cancel_at_period_end", false}});
    JsonFields &fields = body.fields();
    const QString email = fields.string("email");
    const QString status = fields.string("status");
    const auto plan = fields.optionalEnumeration<BillingPlanID>("plan");
    const bool cancelAtPeriodEnd = fields.boolean("cancel_at_period_end");
    const bool running = status == QLatin1String("trialing") || status == QLatin1String("active");
    const bool entitled = body.has("entitled") ? fields.boolean("entitled") : running;
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    const auto account = m_use.accounts.find(email);
    if (!account) {
        return HttpReply::error(404, "not_found", QStringLiteral("No account for %1.").arg(email));
    }
    m_use.ledger.set(account->id, status, plan, entitled, cancelAtPeriodEnd);
    return HttpReply::json(
        200, {{"subscription", WireEncoder::subscription(m_use.ledger.subscription(account->id))}});
}

HttpReply DevelopmentRoutes::addFault(const HttpRequest &request)
{
    RequestBody body(
        request.body,
        {{"method", ""}, {"status", 0}, {"delay_ms", 0}, {"drop", false}, {"count", 1}});
    JsonFields &fields = body.fields();
    FaultInjector::Fault fault{
        .method = fields.string("method").toLatin1(),
        .path = fields.string("path"),
        .delay = std::chrono::milliseconds(fields.integer("delay_ms")),
        .drop = fields.boolean("drop"),
        .count = int(std::clamp<qint64>(fields.integer("count"), 0, 1'000'000)),
    };
    const qint64 status = fields.integer("status");
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    const bool validStatus = status == 0 || (status >= 100 && status <= 599);
    const bool validDelay = fault.delay.count() >= 0 && fault.delay.count() <= longestDelayMs;
    if (!validStatus || !validDelay || fault.count < 1 || fault.path.isEmpty()) {
        return HttpReply::error(
            422, "invalid_fault",
            QStringLiteral("A fault needs a path, a status from 100 to 599, a delay_ms from 0 to "
                           "%1 and a count of 1 or more.")
                .arg(longestDelayMs));
    }
    if (status == 0 && !fault.drop && fault.delay.count() == 0) {
        return HttpReply::error(422, "invalid_fault",
                                QStringLiteral("A fault needs a status, a delay or drop."));
    }
    if (status != 0) {
        fault.status = int(status);
    }
    if (body.has("body")) {
        const nlohmann::json &content = body.document()["body"];
        fault.body = QByteArray::fromStdString(content.is_string() ? content.get<std::string>()
                                                                   : content.dump());
    }
    m_use.faults.add(std::move(fault));
    return HttpReply::empty(204);
}

HttpReply DevelopmentRoutes::clearFaults(const HttpRequest &)
{
    m_use.faults.clear();
    return HttpReply::empty(204);
}

} // namespace Tolvan
