#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace Tolvan::Test {

class SandboxControl;

// What one run of tolvan-cli did.
struct CliRun {
    // -1 when it crashed or did not finish in time.
    int exitCode = -1;
    QString output;
    QString error;
};

// tolvan-cli as a child process with a configuration folder and a session file
// of its own (no keyring), against one service.
class CliHome {
public:
    explicit CliHome(QUrl baseURL);

    // `environment` adds "NAME=VALUE" entries, or removes "NAME". On a
    // terminal (through script(1)), standard output and standard error arrive
    // together in `output`, with the terminal's line ends.
    CliRun run(const QStringList &arguments, const QByteArray &input = {},
               const QStringList &environment = {}, bool onTerminal = false) const;
    // `login email`, typing the code once the sandbox's outbox shows it.
    CliRun signIn(SandboxControl &sandbox, const QString &email) const;

    QString folder() const { return m_folder.path(); }
    QString sessionPath() const;
    QString settingsPath() const;

private:
    QProcessEnvironment environment(const QStringList &changes) const;

    QTemporaryDir m_folder;
    QUrl m_baseURL;
};

} // namespace Tolvan::Test
