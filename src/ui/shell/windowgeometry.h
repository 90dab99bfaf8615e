#pragma once

#include <QRect>
#include <QString>

#include <optional>

namespace Tolvan {

// Where the main window was, kept between openings and launches in
// $XDG_STATE_HOME/tolvan/window.conf: it is state, not a preference.
class WindowGeometry {
public:
    explicit WindowGeometry(QString filePath = defaultFilePath());
    static QString defaultFilePath();

    std::optional<QRect> load() const;
    void save(const QRect &geometry) const;

    // `remembered` made to fit `available`: never larger than the area and
    // moved inside it; 960 × 600 centred when nothing is remembered.
    static QRect fitted(std::optional<QRect> remembered, const QRect &available,
                        const QSize &minimum);

private:
    QString m_filePath;
};

} // namespace Tolvan
