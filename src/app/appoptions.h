#pragma once

#include "instancerequest.h"

#include <QCommandLineParser>
#include <QStringList>

namespace Tolvan {

// The desktop app's command line: every option is one request to the
// running instance (this one or the one already running).
class AppOptions {
public:
    AppOptions();

    enum class Outcome { Run, ShowHelp, ShowVersion, UsageError };

    // Needs no application object: the GUI starts only when the request needs it.
    Outcome parse(const QStringList &arguments);
    // Print and end the process, as QCommandLineParser does; they need an
    // application object.
    [[noreturn]] void showHelp() { m_parser.showHelp(0); }
    [[noreturn]] void showVersion() { m_parser.showVersion(); }
    QString errorText() const { return m_error; }
    InstanceRequest request() const { return m_request; }

private:
    QCommandLineParser m_parser;
    QString m_error;
    InstanceRequest m_request;
};

} // namespace Tolvan
