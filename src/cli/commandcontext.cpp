#include "commandcontext.h"

namespace Tolvan {

CommandContext::CommandContext(StoreSet &stores, Console &console, bool json)
    : m_stores(stores)
    , m_console(console)
    , m_json(json)
{
}

QCoro::Task<std::optional<ExitStatus>> CommandContext::requireSession()
{
    AuthStore &auth = m_stores.auth();
    co_await auth.handleWindowActivation();
    switch (auth.phase()) {
    case AuthStore::Phase::Authenticated:
        co_return std::nullopt;
    case AuthStore::Phase::SignedOut:
        m_console.printError(auth.message().value_or(QStringLiteral("Not signed in")));
        co_return ExitStatus::SignedOut;
    case AuthStore::Phase::Restoring:
    case AuthStore::Phase::Recovery:
        break;
    }
    co_return recoveryFailure();
}

ExitStatus CommandContext::recoveryFailure()
{
    // The recovery panel's text when the session store gives none.
    m_console.printError(m_stores.auth().message().value_or(QStringLiteral("Please try again.")));
    return ExitStatus::Failure;
}

ExitStatus CommandContext::fail(const QString &message, const std::optional<QUrl> &billingURL)
{
    m_console.printError(message);
    if (billingURL) {
        m_console.printNote(billingURL->toString());
        return ExitStatus::SubscriptionRequired;
    }
    const AuthStore &auth = m_stores.auth();
    if (auth.message() && auth.message() != message) {
        m_console.printError(*auth.message());
    }
    if (auth.phase() == AuthStore::Phase::SignedOut || m_stores.sawRejection()) {
        return ExitStatus::SignedOut;
    }
    return ExitStatus::Failure;
}

void CommandContext::print(const QStringList &lines, const nlohmann::json &document)
{
    if (m_json) {
        m_console.printJson(document);
    } else if (!lines.isEmpty()) {
        m_console.printResult(lines.join(QLatin1Char('\n')));
    }
}

} // namespace Tolvan
