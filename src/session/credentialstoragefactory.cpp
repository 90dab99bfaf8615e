#include "credentialstoragefactory.h"

#include "filecredentialstorage.h"
#include "keychaincredentialstorage.h"
#include "unavailablecredentialstorage.h"

#include <QDir>

namespace Tolvan {

std::shared_ptr<CredentialStorageProtocol> CredentialStorageFactory::fromEnvironment(QString *error)
{
    if (!qEnvironmentVariableIsSet(variableName)) {
        return resolve(std::nullopt, error);
    }
    return resolve(qEnvironmentVariable(variableName), error);
}

std::shared_ptr<CredentialStorageProtocol>
CredentialStorageFactory::resolve(const std::optional<QString> &configured, QString *error)
{
    if (!configured) {
        return std::make_shared<KeychainCredentialStorage>();
    }
    const QLatin1String filePrefix("file:");
    if (configured->startsWith(filePrefix)) {
        const QString path = configured->mid(filePrefix.size());
        if (QDir::isAbsolutePath(path)) {
            return std::make_shared<FileCredentialStorage>(QDir::cleanPath(path));
        }
    }
    const QString message =
        QStringLiteral("%1 must be \"file:\" followed by an absolute path, such as "
                       "file:/home/me/.config/tolvan/session.json (it is \"%2\").")
            .arg(QLatin1String(variableName), *configured);
    if (error) {
        *error = message;
    }
    return std::make_shared<UnavailableCredentialStorage>(ServiceError::keychain(0, message));
}

} // namespace Tolvan
