#pragma once

#include <QObject>
#include <QString>

namespace Tolvan {

// The one-line status a workspace shows under its editors: what it says, how
// it is drawn, and what a screen reader announces.
struct StatusLine {
    Q_GADGET
    Q_PROPERTY(Tolvan::StatusLine::Kind kind MEMBER kind CONSTANT)
    Q_PROPERTY(QString text MEMBER text CONSTANT)
    Q_PROPERTY(QString accessibilityLabel MEMBER accessibilityLabel CONSTANT)
public:
    enum class Kind {
        // Nothing is shown.
        None,
        // The text alone.
        Text,
        // A small progress indicator before the text.
        Progress,
        // A success mark before the text.
        Success,
        // A warning mark before the text.
        Failure,
    };
    Q_ENUM(Kind)

    Kind kind = Kind::None;
    QString text;
    QString accessibilityLabel;

    static StatusLine none() { return {}; }
    static StatusLine of(Kind kind, const QString &text) { return {kind, text, text}; }

    bool operator==(const StatusLine &) const = default;
};

} // namespace Tolvan
