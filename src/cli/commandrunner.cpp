#include "commandrunner.h"

#include "accountcommands.h"
#include "billingcommands.h"
#include "credentialstoragefactory.h"
#include "historycommands.h"
#include "servicebaseurl.h"
#include "translationcommands.h"
#include "writingcommand.h"

#include <QCoreApplication>

namespace Tolvan {

CommandRunner::CommandRunner(Invocation invocation, Console &console)
    : m_invocation(std::move(invocation))
    , m_console(console)
{
}

QCoro::Task<ExitStatus> CommandRunner::run()
{
    QString error;
    const QUrl baseURL =
        m_invocation.baseURL
            ? ServiceBaseURL::resolve(*m_invocation.baseURL, &error, QStringLiteral("--base-url"))
            : ServiceBaseURL::fromEnvironment(&error);
    if (!baseURL.isValid()) {
        m_console.printError(error);
        co_return ExitStatus::Usage;
    }
    auto storage = CredentialStorageFactory::fromEnvironment(&error);
    if (!error.isEmpty()) {
        m_console.printError(error);
        co_return ExitStatus::Usage;
    }
    const auto work = std::make_shared<PendingWork>();
    ExitStatus status = ExitStatus::Success;
    {
        StoreSet stores(baseURL, std::move(storage),
                        std::make_shared<LinkOpener>(m_invocation.open), work);
        CommandContext context(stores, m_console, m_invocation.json);
        status = co_await dispatch(context);
    }
    // The stores are gone: their transfers are aborted and their sleeps wake.
    co_await work->idle();
    co_return status;
}

QCoro::Task<> CommandRunner::runAndQuit()
{
    const ExitStatus status = co_await run();
    QCoreApplication::exit(int(status));
}

QCoro::Task<ExitStatus> CommandRunner::dispatch(CommandContext &context)
{
    AccountCommands account(context, m_invocation);
    TranslationCommands translation(context, m_invocation);
    WritingCommand writing(context, m_invocation);
    HistoryCommands history(context, m_invocation);
    BillingCommands billing(context, m_invocation);
    switch (m_invocation.command) {
    case Command::Login:
        co_return co_await account.login();
    case Command::Logout:
        co_return co_await account.logout();
    case Command::Status:
        co_return co_await account.status();
    case Command::Languages:
        co_return co_await translation.languages();
    case Command::Translate:
        co_return co_await translation.translate();
    case Command::Improve:
        co_return co_await writing.improve();
    case Command::History:
        co_return co_await history.list();
    case Command::HistoryShow:
        co_return co_await history.show();
    case Command::HistoryDelete:
        co_return co_await history.remove();
    case Command::HistoryClear:
        co_return co_await history.clear();
    case Command::Plans:
        co_return co_await billing.plans();
    case Command::Checkout:
        co_return co_await billing.checkout();
    case Command::Portal:
        co_return co_await billing.portal();
    }
    co_return ExitStatus::Usage;
}

} // namespace Tolvan
