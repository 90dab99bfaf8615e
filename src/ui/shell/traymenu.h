#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace Tolvan {

// The always-available way in: the tray icon and its menu. Where the desktop
// has no tray, running tolvan again takes its place.
class TrayMenu : public QObject {
    Q_OBJECT

public:
    explicit TrayMenu(QObject *parent = nullptr);

    void show();

Q_SIGNALS:
    void openRequested();
    void settingsRequested();
    void quitRequested();

private:
    QMenu m_menu;
    QSystemTrayIcon m_icon;
};

} // namespace Tolvan
