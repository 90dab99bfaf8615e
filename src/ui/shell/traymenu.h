#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

namespace Tolvan {

// The always-available way in: the tray icon and its menu. Where the desktop
// has no tray, running tolvan again takes its place.
class TrayMenu : public QObject {
    Q_OBJECT

public:
    explicit TrayMenu(QObject *parent = nullptr);
    ~TrayMenu() override;

    // Builds the icon and its menu on the first call.
    void show();

Q_SIGNALS:
    void openRequested();
    void settingsRequested();
    void quitRequested();

private:
    // The menu outlives the icon that shows it.
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace Tolvan
