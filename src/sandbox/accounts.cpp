#include "accounts.h"

#include "randomvalues.h"

#include <QSqlQuery>

namespace Tolvan {

Accounts::Accounts(QSqlDatabase database, const Clock &clock)
    : m_database(std::move(database))
    , m_clock(clock)
{
}

QString Accounts::normalisedAddress(const QString &email)
{
    return email.trimmed().toLower();
}

std::optional<AuthUser> Accounts::find(const QString &email) const
{
    const QString address = normalisedAddress(email);
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("SELECT id FROM accounts WHERE email = ?"));
    query.addBindValue(address);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return AuthUser{.id = query.value(0).toLongLong(), .email = address};
}

Accounts::SignIn Accounts::findOrCreate(const QString &email)
{
    if (auto existing = find(email)) {
        return {*existing, false};
    }
    AuthUser user{.id = RandomValues::identifier(), .email = normalisedAddress(email)};
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("INSERT INTO accounts (id, email, created_at) VALUES (?, ?, ?)"));
    query.addBindValue(user.id);
    query.addBindValue(user.email);
    query.addBindValue(m_clock.now().toMSecsSinceEpoch());
    query.exec();
    return {user, true};
}

} // namespace Tolvan
