#include "billingcommands.h"

#include "jsonrecords.h"
#include "storewait.h"

namespace Tolvan {

namespace {

// The plan sheet's text when it has no plan to offer.
const QString unavailableText = QStringLiteral("Plans are unavailable. Please try again.");

} // namespace

BillingCommands::BillingCommands(CommandContext &context, const Invocation &invocation)
    : m_context(context)
    , m_invocation(invocation)
{
}

QCoro::Task<std::optional<ExitStatus>> BillingCommands::loadPlans()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return refused;
    }
    BillingStore &store = m_context.stores().billing();
    co_await store.load(false);
    if (store.message()) {
        co_return m_context.fail(*store.message());
    }
    if (store.plans().isEmpty()) {
        co_return m_context.fail(unavailableText);
    }
    co_return std::nullopt;
}

QCoro::Task<ExitStatus> BillingCommands::plans()
{
    if (const auto failed = co_await loadPlans()) {
        co_return *failed;
    }
    const BillingStore &store = m_context.stores().billing();
    QStringList lines;
    nlohmann::json document = nlohmann::json::array();
    for (const BillingPlan &plan : store.plans()) {
        const QString priceLine = store.priceLine(plan);
        lines.append(
            QStringList{plan.name, priceLine, plan.trialDescription()}.join(QLatin1Char('\t')));
        document.push_back(JsonRecords::plan(plan, priceLine));
    }
    m_context.print(lines, document);
    co_return ExitStatus::Success;
}

QCoro::Task<ExitStatus> BillingCommands::checkout()
{
    if (const auto failed = co_await loadPlans()) {
        co_return *failed;
    }
    BillingStore &store = m_context.stores().billing();
    if (m_invocation.plan) {
        store.setSelectedPlan(*m_invocation.plan);
    }
    if (!store.canStartCheckout()) {
        co_return m_context.fail(unavailableText);
    }
    store.startCheckout();
    co_return co_await finishAction();
}

QCoro::Task<ExitStatus> BillingCommands::portal()
{
    if (const auto refused = co_await m_context.requireSession()) {
        co_return *refused;
    }
    m_context.stores().billing().openPortal();
    co_return co_await finishAction();
}

QCoro::Task<ExitStatus> BillingCommands::finishAction()
{
    BillingStore &store = m_context.stores().billing();
    co_await waitFor(&store, &BillingStore::hasActiveAction, &BillingStore::activeActionChanged,
                     false);
    // A link that the browser could not take is still printed, before the message.
    if (const auto link = m_context.stores().links().link()) {
        m_context.print({link->toString()}, {{"url", link->toString().toStdString()}});
    }
    if (store.message()) {
        co_return m_context.fail(*store.message());
    }
    co_return ExitStatus::Success;
}

} // namespace Tolvan
