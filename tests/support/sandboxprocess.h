#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>

namespace Tolvan::Test {

// Runs tolvan-sandbox as a child process on a free loopback port, with an
// in-memory database and its data folder (the pages' certificate) in a
// temporary folder, and reads its standard output: the "listening on" line
// and the outbox. Stopped with SIGTERM when destroyed.
class SandboxProcess : public QObject {
    Q_OBJECT
public:
    // `arguments` come after "--port 0 --db :memory:", e.g. {"--access-ttl", "2"}.
    explicit SandboxProcess(QStringList arguments = {}, QObject *parent = nullptr);
    ~SandboxProcess() override;

    // Starts the sandbox and waits for its "listening on" line.
    bool start(int limitMs = 10'000);
    // Sends SIGTERM and waits; the exit code, or -1 when it did not stop cleanly.
    int stop(int limitMs = 5'000);

    QUrl baseURL() const { return m_baseURL; }
    // The certificate of the billing pages, for clients that must trust it.
    QString certificatePath() const;
    QString errorString() const { return m_error; }

    // The latest code the outbox printed for `email`, waiting for its line;
    // empty when none comes within `limitMs`.
    QString awaitCode(const QString &email, int limitMs = 5'000);

Q_SIGNALS:
    void lineRead();

private:
    // Runs the event loop until `done` holds or `limitMs` passes; whether it holds.
    bool waitUntil(const std::function<bool()> &done, int limitMs);
    void readLines();
    QString latestCode(const QString &email) const;

    QStringList m_arguments;
    QTemporaryDir m_dataHome;
    QProcess m_process;
    QByteArray m_partialLine;
    QStringList m_lines;
    QUrl m_baseURL;
    QString m_error;
};

} // namespace Tolvan::Test
