#include "sandboxdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace Tolvan {

namespace {

// Times are milliseconds since 1970 in UTC; ids are random 64-bit numbers, so
// history keeps a separate sequence for its order of insertion.
const char *const schema[] = {
    "CREATE TABLE IF NOT EXISTS accounts ("
    " id INTEGER PRIMARY KEY, email TEXT NOT NULL UNIQUE, created_at INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS sign_in_codes ("
    " email TEXT PRIMARY KEY, code TEXT NOT NULL, expires_at INTEGER NOT NULL,"
    " wrong_tries INTEGER NOT NULL, used INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS sessions ("
    " account_id INTEGER NOT NULL, access_token TEXT NOT NULL UNIQUE,"
    " access_expires_at INTEGER NOT NULL, refresh_token TEXT NOT NULL UNIQUE,"
    " refresh_expires_at INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS history ("
    " seq INTEGER PRIMARY KEY AUTOINCREMENT, id INTEGER NOT NULL UNIQUE,"
    " account_id INTEGER NOT NULL, type TEXT NOT NULL, source TEXT NOT NULL,"
    " result TEXT NOT NULL, source_language TEXT, target_language TEXT,"
    " inserted_at INTEGER NOT NULL, folded_source TEXT NOT NULL, folded_result TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS history_by_account ON history (account_id, inserted_at)",
    "CREATE TABLE IF NOT EXISTS subscriptions ("
    " account_id INTEGER PRIMARY KEY, status TEXT NOT NULL, plan TEXT,"
    " current_period_end INTEGER, trial_end INTEGER, cancel_at_period_end INTEGER NOT NULL,"
    " last_synced_at INTEGER, entitled INTEGER NOT NULL)",
};

} // namespace

SandboxDatabase::SandboxDatabase(QString path)
    : m_path(std::move(path))
    , m_connectionName(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

SandboxDatabase::~SandboxDatabase()
{
    {
        QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool SandboxDatabase::open(QString *error)
{
    if (m_path != QLatin1String(":memory:")) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
    }
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    database.setDatabaseName(m_path);
    if (!database.open()) {
        *error = database.lastError().text();
        return false;
    }
    QSqlQuery query(database);
    for (const char *statement : schema) {
        if (!query.exec(QString::fromLatin1(statement))) {
            *error = query.lastError().text();
            return false;
        }
    }
    return true;
}

QSqlDatabase SandboxDatabase::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

} // namespace Tolvan
