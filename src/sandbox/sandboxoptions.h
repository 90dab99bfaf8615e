#pragma once

#include "billingledger.h"

#include <QCoreApplication>
#include <QString>

#include <chrono>

namespace Tolvan {

// How the sandbox is set up: where it listens, where it keeps its state, the
// token lifetimes and the prices of its plans.
struct SandboxOptions {
    quint16 port = 8765;
    // SQLite file, or ":memory:".
    QString databasePath;
    // Holds the default database and the pages' certificate.
    QString dataFolder;
    std::chrono::seconds accessLifetime{900};
    std::chrono::seconds refreshLifetime{std::chrono::days(30)};
    // New accounts start with an active subscription.
    bool entitledByDefault = false;
    BillingLedger::Prices prices;

    static QString defaultDataFolder();
    // The options of the application's command line; prints the problem and
    // exits when it cannot be read.
    static SandboxOptions fromCommandLine(const QCoreApplication &application);
};

} // namespace Tolvan
