#include "sessiontokens.h"

#include "randomvalues.h"

#include <QSqlQuery>

namespace Tolvan {

SessionTokens::SessionTokens(QSqlDatabase database, const Clock &clock, Lifetimes lifetimes)
    : m_database(std::move(database))
    , m_clock(clock)
    , m_lifetimes(lifetimes)
{
}

TokenPair SessionTokens::freshPair(const AuthUser &user) const
{
    return {
        .accessToken = RandomValues::token(),
        .refreshToken = RandomValues::token(),
        .tokenType = QStringLiteral("Bearer"),
        .expiresIn = m_lifetimes.access.count(),
        .refreshExpiresIn = m_lifetimes.refresh.count(),
        .user = user,
    };
}

TokenPair SessionTokens::open(const AuthUser &user)
{
    const TokenPair pair = freshPair(user);
    const QDateTime now = m_clock.now();
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral(
        "INSERT INTO sessions (account_id, access_token, access_expires_at, refresh_token,"
        " refresh_expires_at) VALUES (?, ?, ?, ?, ?)"));
    query.addBindValue(user.id);
    query.addBindValue(pair.accessToken);
    query.addBindValue(now.addDuration(m_lifetimes.access).toMSecsSinceEpoch());
    query.addBindValue(pair.refreshToken);
    query.addBindValue(now.addDuration(m_lifetimes.refresh).toMSecsSinceEpoch());
    query.exec();
    return pair;
}

std::optional<TokenPair> SessionTokens::rotate(const QString &refreshToken)
{
    const QDateTime now = m_clock.now();
    QSqlQuery query(m_database);
    query.prepare(
        QStringLiteral("SELECT accounts.id, accounts.email FROM sessions"
                       " JOIN accounts ON accounts.id = sessions.account_id"
                       " WHERE sessions.refresh_token = ? AND sessions.refresh_expires_at > ?"));
    query.addBindValue(refreshToken);
    query.addBindValue(now.toMSecsSinceEpoch());
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    const TokenPair pair =
        freshPair(AuthUser{.id = query.value(0).toLongLong(), .email = query.value(1).toString()});
    QSqlQuery update(m_database);
    update.prepare(QStringLiteral(
        "UPDATE sessions SET access_token = ?, access_expires_at = ?, refresh_token = ?,"
        " refresh_expires_at = ? WHERE refresh_token = ?"));
    update.addBindValue(pair.accessToken);
    update.addBindValue(now.addDuration(m_lifetimes.access).toMSecsSinceEpoch());
    update.addBindValue(pair.refreshToken);
    update.addBindValue(now.addDuration(m_lifetimes.refresh).toMSecsSinceEpoch());
    update.addBindValue(refreshToken);
    update.exec();
    return pair;
}

void SessionTokens::revoke(const QString &refreshToken)
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("DELETE FROM sessions WHERE refresh_token = ?"));
    query.addBindValue(refreshToken);
    query.exec();
}

SessionTokens::Authentication SessionTokens::authenticate(const QString &accessToken) const
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral(
        "SELECT account_id, access_expires_at FROM sessions WHERE access_token = ?"));
    query.addBindValue(accessToken);
    if (!query.exec() || !query.next()) {
        return {Verdict::Unknown};
    }
    if (m_clock.now().toMSecsSinceEpoch() >= query.value(1).toLongLong()) {
        return {Verdict::Expired};
    }
    return {Verdict::Valid, query.value(0).toLongLong()};
}

} // namespace Tolvan
