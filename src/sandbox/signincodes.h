#pragma once

#include "clock.h"

#include <QSqlDatabase>

#include <chrono>
#include <optional>

namespace Tolvan {

// One-time sign-in codes: one per address, replaced by each new request,
// valid for ten minutes and for at most five wrong tries.
class SignInCodes {
public:
    enum class Check { Accepted, Wrong, Expired, TooManyTries, NonePending };

    static constexpr std::chrono::minutes lifetime{10};
    static constexpr int maximumWrongTries = 5;

    SignInCodes(QSqlDatabase database, const Clock &clock);

    // A fresh code for `email`, replacing any earlier one.
    QString issue(const QString &email);
    // Checks a code; an accepted code is used up.
    Check check(const QString &email, const QString &code);
    // The last code issued for `email`, used or not: what its mailbox shows.
    std::optional<QString> latest(const QString &email) const;

private:
    QSqlDatabase m_database;
    const Clock &m_clock;
};

} // namespace Tolvan
