#pragma once

#include "authuser.h"
#include "clock.h"

#include <QSqlDatabase>

#include <optional>

namespace Tolvan {

// The accounts, one per address, created on their first sign-in. Addresses
// are compared without regard to case or surrounding spaces.
class Accounts {
public:
    struct SignIn {
        AuthUser user;
        bool isNew = false;
    };

    Accounts(QSqlDatabase database, const Clock &clock);

    static QString normalisedAddress(const QString &email);

    SignIn findOrCreate(const QString &email);
    std::optional<AuthUser> find(const QString &email) const;

private:
    QSqlDatabase m_database;
    const Clock &m_clock;
};

} // namespace Tolvan
