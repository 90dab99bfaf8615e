#include "traymenu.h"

#include <QTimer>

namespace Tolvan {

TrayMenu::TrayMenu(QObject *parent)
    : QObject(parent)
{
}

TrayMenu::~TrayMenu() = default;

void TrayMenu::show()
{
    if (m_icon) {
        return;
    }
    // Built here rather than at start: the menu brings up the widget style and
    // the icon Qt's SVG engine, neither of which the first frame needs.
    m_menu = std::make_unique<QMenu>();
    QAction *title = m_menu->addAction(tr("Tolvan"));
    title->setEnabled(false);
    m_menu->addSeparator();
    // Each action runs after the menu has closed.
    const auto later = [this](auto signal) {
        return [this, signal] {
            QTimer::singleShot(0, this, [this, signal] { Q_EMIT(this->*signal)(); });
        };
    };
    connect(m_menu->addAction(tr("Open")), &QAction::triggered, this,
            later(&TrayMenu::openRequested));
    QAction *settings = m_menu->addAction(tr("Settings…"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, later(&TrayMenu::settingsRequested));
    m_menu->addSeparator();
    connect(m_menu->addAction(tr("Quit")), &QAction::triggered, this,
            later(&TrayMenu::quitRequested));

    m_icon = std::make_unique<QSystemTrayIcon>(
        QIcon::fromTheme(QStringLiteral("app.tolvan.Tolvan-symbolic"),
                         QIcon(QStringLiteral(":/icons/app.tolvan.Tolvan-symbolic.svg"))));
    m_icon->setToolTip(tr("Tolvan"));
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    Q_EMIT openRequested();
                }
            });
    // Qt shows it once a tray appears, when there is none yet.
    m_icon->show();
}

} // namespace Tolvan
