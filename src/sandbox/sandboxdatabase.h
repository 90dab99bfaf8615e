#pragma once

#include <QSqlDatabase>
#include <QString>

namespace Tolvan {

// The sandbox's SQLite connection and its tables. Every store shares this one
// connection; ":memory:" keeps everything in memory for a single run.
class SandboxDatabase {
public:
    explicit SandboxDatabase(QString path);
    ~SandboxDatabase();
    SandboxDatabase(const SandboxDatabase &) = delete;
    SandboxDatabase &operator=(const SandboxDatabase &) = delete;

    bool open(QString *error);
    QSqlDatabase connection() const;

private:
    QString m_path;
    QString m_connectionName;
};

} // namespace Tolvan
