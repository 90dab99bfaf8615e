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
    // `setting` names where the text came from in the message (the variable
    // when empty), e.g. a command-line option that overrides it.
    static QUrl resolve(const QString &configured, QString *error = nullptr,
                        const QString &setting = QString());

    static bool isLoopbackHost(const QString &host);
};

} // namespace Tolvan
