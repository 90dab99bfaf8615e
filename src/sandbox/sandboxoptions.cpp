#include "sandboxoptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace Tolvan {

namespace {

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "tolvan-sandbox: %s\n", qPrintable(message));
    std::exit(2);
}

qint64 number(const QCommandLineParser &parser, const QString &name, qint64 fallback, qint64 lowest,
              qint64 highest)
{
    if (!parser.isSet(name)) {
        return fallback;
    }
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < lowest || value > highest) {
        fail(QStringLiteral("--%1 must be a whole number from %2 to %3.")
                 .arg(name)
                 .arg(lowest)
                 .arg(highest));
    }
    return value;
}

} // namespace

QString SandboxOptions::defaultDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("tolvan-sandbox"));
}

SandboxOptions SandboxOptions::fromCommandLine(const QCoreApplication &application)
{
    const auto option = [](const char *name, const char *description, const char *value = "") {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                                  QString::fromLatin1(value));
    };
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A local stand-in for the Tolvan service."));
    parser.addHelpOption();
    parser.addOptions({
        option("port", "Port on 127.0.0.1 (0 picks a free one; default 8765).", "N"),
        option("db", "SQLite database file, or :memory: (default in the data folder).", "PATH"),
        option("access-ttl", "Lifetime of access tokens in seconds (default 900).", "SECONDS"),
        option("refresh-ttl", "Lifetime of refresh tokens in seconds (default 30 days).",
               "SECONDS"),
        option("entitled", "New accounts start with an active subscription."),
        option("monthly-amount", "Monthly price in minor units (default 999).", "AMOUNT"),
        option("annual-amount", "Annual price in minor units (default 9999).", "AMOUNT"),
        option("currency", "Currency of the prices (default USD).", "CODE"),
    });
    parser.process(application);

    constexpr qint64 tenYears = 10LL * 366 * 24 * 3600;
    SandboxOptions options;
    options.dataFolder = defaultDataFolder();
    options.port = quint16(number(parser, QStringLiteral("port"), options.port, 0, 65535));
    options.databasePath =
        parser.isSet(QStringLiteral("db"))
            ? parser.value(QStringLiteral("db"))
            : QDir(options.dataFolder).filePath(QStringLiteral("sandbox.sqlite"));
    options.accessLifetime = std::chrono::seconds(
        number(parser, QStringLiteral("access-ttl"), options.accessLifetime.count(), 1, tenYears));
    options.refreshLifetime = std::chrono::seconds(number(
        parser, QStringLiteral("refresh-ttl"), options.refreshLifetime.count(), 1, tenYears));
    options.entitledByDefault = parser.isSet(QStringLiteral("entitled"));
    options.prices.monthlyMinor = number(parser, QStringLiteral("monthly-amount"),
                                         options.prices.monthlyMinor, 0, 100'000'000);
    options.prices.annualMinor =
        number(parser, QStringLiteral("annual-amount"), options.prices.annualMinor, 0, 100'000'000);
    if (parser.isSet(QStringLiteral("currency"))) {
        options.prices.currency = parser.value(QStringLiteral("currency"));
        if (!QRegularExpression(QStringLiteral("^[A-Z]{3}$"))
                 .match(options.prices.currency)
                 .hasMatch()) {
            fail(QStringLiteral("--currency must be three capital letters, such as USD."));
        }
    }
    return options;
}

} // namespace Tolvan
