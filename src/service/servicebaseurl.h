#pragma once

#include <QString>
#include <QUrl>

namespace Tolvan {

// Where the service lives: TOLVAN_BASE_URL when set, else the built-in site.
// Tokens must never cross the network in clear text, so a plain http address
// is accepted for this machine only.
class ServiceBaseURL {
public:
    static QUrl builtIn();

    // The address to use, or an invalid URL and `error` set to a message that
    // names the variable.
    static QUrl fromEnvironment(QString *error = nullptr);
    static QUrl resolve(const QString &configured, QString *error = nullptr);

    static bool isLoopbackHost(const QString &host);
};

} // namespace Tolvan
