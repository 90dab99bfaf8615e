#include "accountcommands.h"

#include "jsonrecords.h"

namespace Tolvan {

AccountCommands::AccountCommands(CommandContext &context, const Invocation &invocation)
    : m_context(context)
    , m_invocation(invocation)
{
}

QCoro::Task<ExitStatus> AccountCommands::login()
{
    AuthStore &auth = m_context.stores().auth();
    Console &console = m_context.console();
    co_await auth.handleWindowActivation();
    if (auth.phase() == AuthStore::Phase::Authenticated) {
        console.printError(QStringLiteral("Already signed in as %1. Sign out first with "
                                          "\"tolvan-cli logout\".")
                               .arg(auth.email()));
        co_return ExitStatus::Failure;
    }
    if (auth.phase() != AuthStore::Phase::SignedOut) {
        co_return m_context.recoveryFailure();
    }
    // The prompts are the sign-in card's own placeholders.
    const QString address =
        m_invocation.address
            ? *m_invocation.address
            : console.readLine(QStringLiteral("Email address: ")).value_or(QString());
    QCoro::Task<> requesting = auth.requestCode(address);
    co_await std::move(requesting);
    if (!auth.codeSent()) {
        co_return refused();
    }
    const QString code =
        m_invocation.code
            ? *m_invocation.code
            : console
                  .readLine(QStringLiteral("Enter the sign-in code sent to %1.\nSign-in code: ")
                                .arg(auth.codeEmail()))
                  .value_or(QString());
    QCoro::Task<> verifying = auth.verifyCode(code);
    co_await std::move(verifying);
    if (auth.phase() != AuthStore::Phase::Authenticated) {
        co_return refused();
    }
    m_context.print({auth.email()}, {{"email", JsonRecords::text(auth.email())}});
    co_return ExitStatus::Success;
}

ExitStatus AccountCommands::refused()
{
    const AuthStore &auth = m_context.stores().auth();
    m_context.console().printError(auth.messageText());
    return m_context.stores().sawRejection() ? ExitStatus::SignedOut : ExitStatus::Failure;
}

QCoro::Task<ExitStatus> AccountCommands::logout()
{
    AuthStore &auth = m_context.stores().auth();
    // The saved session is read first, so that its revocation can be asked for.
    co_await auth.handleWindowActivation();
    co_await auth.signOut();
    // The revocation runs on after the sign-out; its failure is a message.
    co_await m_context.stores().work().idle();
    if (auth.message()) {
        m_context.console().printError(*auth.message());
        co_return ExitStatus::Failure;
    }
    m_context.print({}, {{"signed_in", false}});
    co_return ExitStatus::Success;
}

QCoro::Task<ExitStatus> AccountCommands::status()
{
    AuthStore &auth = m_context.stores().auth();
    Console &console = m_context.console();
    co_await auth.handleWindowActivation();
    if (auth.phase() == AuthStore::Phase::SignedOut) {
        if (auth.message()) {
            console.printError(*auth.message());
        }
        m_context.print({QStringLiteral("Not signed in")}, {{"signed_in", false}});
        co_return ExitStatus::SignedOut;
    }
    if (auth.phase() != AuthStore::Phase::Authenticated) {
        co_return m_context.recoveryFailure();
    }
    BillingStore &billing = m_context.stores().billing();
    co_await billing.load(false);
    nlohmann::json document{
        {"signed_in", true},
        {"email", JsonRecords::text(auth.email())},
        {"plan", JsonRecords::text(billing.planTitle())},
        {"status", JsonRecords::text(billing.statusText())},
        {"subscription", billing.hasResponse() ? JsonRecords::subscription(billing.subscription())
                                               : nlohmann::json(nullptr)},
    };
    m_context.print({auth.email(), billing.planTitle(), billing.statusText()}, document);
    if (billing.message()) {
        co_return m_context.fail(*billing.message());
    }
    co_return ExitStatus::Success;
}

} // namespace Tolvan
