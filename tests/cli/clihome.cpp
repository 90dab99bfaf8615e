#include "clihome.h"

#include "sandboxcontrol.h"

#include <QProcess>
#include <QTest>

namespace Tolvan::Test {

namespace {

constexpr int runLimitMs = 60'000;
constexpr int codeLimitMs = 10'000;

CliRun finish(QProcess &process)
{
    if (!process.waitForFinished(runLimitMs)) {
        process.kill();
        process.waitForFinished();
        return {.error = QString::fromUtf8(process.readAllStandardError())};
    }
    return {.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            .output = QString::fromUtf8(process.readAllStandardOutput()),
            .error = QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

CliHome::CliHome(QUrl baseURL)
    : m_baseURL(std::move(baseURL))
{
}

QString CliHome::sessionPath() const
{
    return m_folder.filePath(QStringLiteral("session.json"));
}

QString CliHome::settingsPath() const
{
    return m_folder.filePath(QStringLiteral("config/tolvan/tolvan.conf"));
}

QProcessEnvironment CliHome::environment(const QStringList &changes) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_folder.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("TOLVAN_CREDENTIAL_STORE"),
                       QStringLiteral("file:") + sessionPath());
    environment.insert(QStringLiteral("TOLVAN_BASE_URL"), m_baseURL.toString());
    for (const QString &change : changes) {
        const qsizetype equals = change.indexOf(QLatin1Char('='));
        if (equals < 0) {
            environment.remove(change);
        } else {
            environment.insert(change.left(equals), change.mid(equals + 1));
        }
    }
    return environment;
}

CliRun CliHome::run(const QStringList &arguments, const QByteArray &input,
                    const QStringList &environment, bool onTerminal) const
{
    QProcess process;
    process.setProcessEnvironment(this->environment(environment));
    if (onTerminal) {
        QStringList command{QStringLiteral(TOLVAN_CLI_EXECUTABLE)};
        for (const QString &argument : arguments) {
            command.append(QLatin1Char('\'') + argument + QLatin1Char('\''));
        }
        process.start(QStringLiteral("script"),
                      {QStringLiteral("--quiet"), QStringLiteral("--return"),
                       QStringLiteral("--command"), command.join(QLatin1Char(' ')),
                       QStringLiteral("/dev/null")});
    } else {
        process.start(QStringLiteral(TOLVAN_CLI_EXECUTABLE), arguments);
    }
    process.write(input);
    process.closeWriteChannel();
    return finish(process);
}

CliRun CliHome::signIn(SandboxControl &sandbox, const QString &email) const
{
    QProcess process;
    process.setProcessEnvironment(environment({}));
    // Only a code mailed after the start will do: an earlier one is used up.
    const QString earlier = sandbox.outboxCode(email);
    process.start(QStringLiteral(TOLVAN_CLI_EXECUTABLE), {QStringLiteral("login"), email});
    QString code;
    const bool mailed = QTest::qWaitFor(
        [&] {
            code = sandbox.outboxCode(email);
            return !code.isEmpty() && code != earlier;
        },
        codeLimitMs);
    process.write(mailed ? code.toUtf8() + '\n' : QByteArray());
    process.closeWriteChannel();
    return finish(process);
}

} // namespace Tolvan::Test
