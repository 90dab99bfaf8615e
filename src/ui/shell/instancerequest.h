#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Tolvan {

// What a second start of the app asks of the running one, as one line on
// the single-instance socket.
struct InstanceRequest {
    enum class Action {
        Open,
        OpenInBackground,
        OpenSettings,
        Quit,
        TranslateClipboard,
        ImproveClipboard
    };

    Action action = Action::Open;
    // The desktop's permission to take the focus, handed to the process that
    // was started (XDG_ACTIVATION_TOKEN, or DESKTOP_STARTUP_ID on X11).
    QString activationToken;

    QByteArray encoded() const;
    // None for anything that is not a line this version writes.
    static std::optional<InstanceRequest> decode(const QByteArray &line);

    bool operator==(const InstanceRequest &) const = default;
};

} // namespace Tolvan
