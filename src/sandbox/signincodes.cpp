#include "signincodes.h"

#include "accounts.h"
#include "randomvalues.h"

#include <QSqlQuery>

namespace Tolvan {

SignInCodes::SignInCodes(QSqlDatabase database, const Clock &clock)
    : m_database(std::move(database))
    , m_clock(clock)
{
}

QString SignInCodes::issue(const QString &email)
{
    const QString code = RandomValues::signInCode();
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO sign_in_codes"
                                 " (email, code, expires_at, wrong_tries, used)"
                                 " VALUES (?, ?, ?, 0, 0)"));
    query.addBindValue(Accounts::normalisedAddress(email));
    query.addBindValue(code);
    query.addBindValue(m_clock.now().addDuration(lifetime).toMSecsSinceEpoch());
    query.exec();
    return code;
}

SignInCodes::Check SignInCodes::check(const QString &email, const QString &code)
{
    const QString address = Accounts::normalisedAddress(email);
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral(
        "SELECT code, expires_at, wrong_tries, used FROM sign_in_codes WHERE email = ?"));
    query.addBindValue(address);
    if (!query.exec() || !query.next() || query.value(3).toBool()) {
        return Check::NonePending;
    }
    const QString expected = query.value(0).toString();
    const qint64 expiresAt = query.value(1).toLongLong();
    const int wrongTries = query.value(2).toInt();
    if (wrongTries >= maximumWrongTries) {
        return Check::TooManyTries;
    }
    if (m_clock.now().toMSecsSinceEpoch() >= expiresAt) {
        return Check::Expired;
    }
    QSqlQuery update(m_database);
    if (code != expected) {
        update.prepare(QStringLiteral(
            "UPDATE sign_in_codes SET wrong_tries = wrong_tries + 1 WHERE email = ?"));
        update.addBindValue(address);
        update.exec();
        return Check::Wrong;
    }
    update.prepare(QStringLiteral("UPDATE sign_in_codes SET used = 1 WHERE email = ?"));
    update.addBindValue(address);
    update.exec();
    return Check::Accepted;
}

std::optional<QString> SignInCodes::latest(const QString &email) const
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("SELECT code FROM sign_in_codes WHERE email = ?"));
    query.addBindValue(Accounts::normalisedAddress(email));
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toString();
}

} // namespace Tolvan
