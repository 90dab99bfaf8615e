#include "sandboxprocess.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <sys/prctl.h>

namespace Tolvan::Test {

namespace {

const QString listeningPrefix = QStringLiteral("listening on ");

} // namespace

SandboxProcess::SandboxProcess(QStringList arguments, QObject *parent)
    : QObject(parent)
    , m_arguments(std::move(arguments))
{
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SandboxProcess::readLines);
    // The sandbox's own diagnostics go to the test's output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Wakes a wait when the process ends early.
    connect(&m_process, &QProcess::finished, this, &SandboxProcess::lineRead);
    // A test that crashes takes its sandbox with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool SandboxProcess::waitUntil(const std::function<bool()> &done, int limitMs)
{
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    connect(this, &SandboxProcess::lineRead, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    loop.exec();
    return done();
}

SandboxProcess::~SandboxProcess()
{
    stop();
}

bool SandboxProcess::start(int limitMs)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome.path());
    m_process.setProcessEnvironment(environment);
    m_process.start(QStringLiteral(TOLVAN_SANDBOX_EXECUTABLE),
                    QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                QStringLiteral("--db"), QStringLiteral(":memory:")} +
                        m_arguments);
    const bool listening = waitUntil(
        [this] { return m_baseURL.isValid() || m_process.state() == QProcess::NotRunning; },
        limitMs);
    if (!listening || !m_baseURL.isValid()) {
        m_error = m_process.state() == QProcess::NotRunning
                      ? QStringLiteral("tolvan-sandbox ended: %1").arg(m_process.errorString())
                      : QStringLiteral("tolvan-sandbox printed no \"listening on\" line.");
        return false;
    }
    return true;
}

int SandboxProcess::stop(int limitMs)
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(limitMs)) {
            m_process.kill();
            m_process.waitForFinished(limitMs);
            return -1;
        }
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString SandboxProcess::certificatePath() const
{
    return QDir(m_dataHome.path())
        .filePath(QStringLiteral("tolvan-sandbox/sandbox-certificate.pem"));
}

QString SandboxProcess::awaitCode(const QString &email, int limitMs)
{
    waitUntil([&] { return !latestCode(email).isEmpty(); }, limitMs);
    return latestCode(email);
}

QString SandboxProcess::latestCode(const QString &email) const
{
    // The sandbox prints addresses as it keeps them: trimmed, in lower case.
    const QString prefix = QStringLiteral("sign-in code for %1: ").arg(email.trimmed().toLower());
    for (auto line = m_lines.crbegin(); line != m_lines.crend(); ++line) {
        if (line->startsWith(prefix)) {
            return line->mid(prefix.size());
        }
    }
    return {};
}

void SandboxProcess::readLines()
{
    m_partialLine += m_process.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = m_partialLine.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_partialLine.left(end));
        m_partialLine.remove(0, end + 1);
        m_lines.append(line);
        if (!m_baseURL.isValid() && line.startsWith(listeningPrefix)) {
            m_baseURL = QUrl(line.mid(listeningPrefix.size()));
        }
    }
    Q_EMIT lineRead();
}

} // namespace Tolvan::Test
