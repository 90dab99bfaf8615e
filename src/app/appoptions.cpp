#include "appoptions.h"

#include <QCoreApplication>

#include <array>
#include <utility>

namespace Tolvan {

namespace {

using Action = InstanceRequest::Action;

struct Option {
    Action action;
    const char *name;
    const char *description;
};

constexpr std::array<Option, 5> options{{
    {Action::OpenInBackground, "background", "Start in the tray without opening a window."},
    {Action::OpenSettings, "settings", "Open the Settings window."},
    {Action::Quit, "quit", "End the running Tolvan."},
    {Action::TranslateClipboard, "translate-clipboard",
     "Bring Tolvan forward and translate the text on the clipboard."},
    {Action::ImproveClipboard, "improve-clipboard",
     "Bring Tolvan forward and improve the text on the clipboard."},
}};

} // namespace

AppOptions::AppOptions()
{
    m_parser.setApplicationDescription(QCoreApplication::translate(
        "AppOptions", "Translate text and improve drafts. Without an option, opens the main "
                      "window of the running Tolvan, or starts it."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    for (const Option &option : options) {
        m_parser.addOption(
            QCommandLineOption(QString::fromLatin1(option.name),
                               QCoreApplication::translate("AppOptions", option.description)));
    }
}

AppOptions::Outcome AppOptions::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return Outcome::UsageError;
    }
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all"))) {
        return Outcome::ShowHelp;
    }
    if (m_parser.isSet(QStringLiteral("version"))) {
        return Outcome::ShowVersion;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = QCoreApplication::translate("AppOptions", "Unexpected argument: %1")
                      .arg(m_parser.positionalArguments().first());
        return Outcome::UsageError;
    }
    int chosen = 0;
    for (const Option &option : options) {
        if (m_parser.isSet(QString::fromLatin1(option.name))) {
            m_request.action = option.action;
            ++chosen;
        }
    }
    if (chosen > 1) {
        m_error = QCoreApplication::translate("AppOptions", "Choose one option at a time.");
        return Outcome::UsageError;
    }
    // The desktop's permission to take the focus, for the running instance.
    m_request.activationToken = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    if (m_request.activationToken.isEmpty()) {
        m_request.activationToken = qEnvironmentVariable("DESKTOP_STARTUP_ID");
    }
    return Outcome::Run;
}

} // namespace Tolvan
