#include "filecredentialstorage.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Tolvan {

namespace {

// The error's number stands where the keyring's status would.
ServiceError fileError(const QString &action, const QString &path, int error)
{
    return ServiceError::keychain(
        error, QStringLiteral("The file %1 could not be %2: %3.")
                   .arg(path, action, QString::fromLocal8Bit(std::strerror(error))));
}

// Writes all of `data`, resuming after interruptions; errno on failure.
int writeAll(int descriptor, const QByteArray &data)
{
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t count =
            ::write(descriptor, data.constData() + written, size_t(data.size() - written));
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        written += count;
    }
    return 0;
}

// Makes a rename in `folder` durable; a file system that cannot do so is no failure.
void syncFolder(const QByteArray &folder)
{
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

FileCredentialStorage::FileCredentialStorage(QString path)
    : m_path(std::move(path))
{
}

Result<std::optional<AuthSession>> FileCredentialStorage::loadSession()
{
    const QByteArray name = QFile::encodeName(m_path);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ENOENT) {
            return std::optional<AuthSession>();
        }
        return fileError(QStringLiteral("read"), m_path, error);
    }
    QByteArray data;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            const int error = errno;
            ::close(descriptor);
            return fileError(QStringLiteral("read"), m_path, error);
        }
        if (count == 0) {
            break;
        }
        data.append(buffer, count);
    }
    ::close(descriptor);
    auto session = AuthSession::decode(data);
    if (!session) {
        return session.error();
    }
    return std::optional(std::move(session).value());
}

Result<void> FileCredentialStorage::saveSession(const AuthSession &session)
{
    const QByteArray data = session.encode();
    const QFileInfo target(m_path);
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    // mkostemp creates the file with mode 0600 whatever the umask.
    QByteArray temporary =
        QFile::encodeName(target.absolutePath() + QLatin1String("/.") + target.fileName()) +
        ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        return fileError(QStringLiteral("written"), m_path, error);
    }
    int error = writeAll(descriptor, data);
    if (error == 0 && ::fsync(descriptor) != 0) {
        error = errno;
    }
    if (::close(descriptor) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.constData(), QFile::encodeName(m_path).constData()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.constData());
        return fileError(QStringLiteral("written"), m_path, error);
    }
    syncFolder(folder);
    return {};
}

Result<void> FileCredentialStorage::deleteSession()
{
    const QByteArray name = QFile::encodeName(m_path);
    if (::unlink(name.constData()) != 0) {
        const int error = errno;
        if (error != ENOENT) {
            return fileError(QStringLiteral("removed"), m_path, error);
        }
    }
    syncFolder(QFile::encodeName(QFileInfo(m_path).absolutePath()));
    return {};
}

} // namespace Tolvan
