#include "windowgeometry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace Tolvan {

namespace {

const QSize defaultSize(960, 600);

} // namespace

WindowGeometry::WindowGeometry(QString filePath)
    : m_filePath(std::move(filePath))
{
}

QString WindowGeometry::defaultFilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) {
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    }
    return QDir(state).filePath(QStringLiteral("tolvan/window.conf"));
}

std::optional<QRect> WindowGeometry::load() const
{
    const QSettings settings(m_filePath, QSettings::IniFormat);
    const QRect geometry = settings.value(QStringLiteral("main/geometry")).toRect();
    if (!geometry.isValid()) {
        return std::nullopt;
    }
    return geometry;
}

void WindowGeometry::save(const QRect &geometry) const
{
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.setValue(QStringLiteral("main/geometry"), geometry);
}

QRect WindowGeometry::fitted(std::optional<QRect> remembered, const QRect &available,
                             const QSize &minimum)
{
    QRect geometry = remembered.value_or(QRect(QPoint(), defaultSize));
    geometry.setSize(geometry.size().expandedTo(minimum).boundedTo(available.size()));
    if (!remembered) {
        geometry.moveCenter(available.center());
        return geometry;
    }
    const int x = std::clamp(geometry.x(), available.x(),
                             available.x() + available.width() - geometry.width());
    const int y = std::clamp(geometry.y(), available.y(),
                             available.y() + available.height() - geometry.height());
    geometry.moveTopLeft(QPoint(x, y));
    return geometry;
}

} // namespace Tolvan
