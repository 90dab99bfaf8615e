#include "loginitemservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace Tolvan {

namespace {

const QByteArray entryText = QByteArrayLiteral("[Desktop Entry]\n"
                                               "Type=Application\n"
                                               "Name=Tolvan\n"
                                               "Exec=tolvan --background\n"
                                               "Icon=app.tolvan.Tolvan\n"
                                               "Terminal=false\n"
                                               "X-GNOME-Autostart-enabled=true\n");

// Reads Hidden in the [Desktop Entry] group; a hidden entry is switched off.
bool isHiddenEntry(QFile &file)
{
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || equals < 0) {
            continue;
        }
        if (line.left(equals).trimmed() == "Hidden") {
            return line.mid(equals + 1).trimmed() == "true";
        }
    }
    return false;
}

} // namespace

LoginItemService::LoginItemService()
    : LoginItemService(defaultEntryFilePath())
{
}

LoginItemService::LoginItemService(QString entryFilePath)
    : m_entryFilePath(std::move(entryFilePath))
{
}

QString LoginItemService::defaultEntryFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/app.tolvan.Tolvan.desktop");
}

bool LoginItemService::isEnabled() const
{
    QFile file(m_entryFilePath);
    if (!QFileInfo(m_entryFilePath).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    return !isHiddenEntry(file);
}

std::optional<QString> LoginItemService::registerApplication() const
{
    // A folder that cannot be made shows up as the failure to open the file.
    QDir().mkpath(QFileInfo(m_entryFilePath).absolutePath());
    QSaveFile file(m_entryFilePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText) != entryText.size() ||
        !file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

std::optional<QString> LoginItemService::unregisterApplication() const
{
    QFile file(m_entryFilePath);
    if (!file.exists() || file.remove()) {
        return std::nullopt;
    }
    return file.errorString();
}

} // namespace Tolvan
