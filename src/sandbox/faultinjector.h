#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <optional>

namespace Tolvan {

// Faults set up for the next requests of a path: an answer of their own, a
// delay, or a dropped connection. The oldest fault that matches is used first.
class FaultInjector {
public:
    struct Fault {
        // Empty for any method.
        QByteArray method;
        // Without the leading slash: "api/translate".
        QString path;
        // Answer with this status and `body` instead of the normal answer.
        std::optional<int> status;
        QByteArray body;
        std::chrono::milliseconds delay{0};
        bool drop = false;
        int count = 1;
    };

    void add(Fault fault);
    void clear();
    // The fault for this request, counted as used; none when no fault matches.
    std::optional<Fault> take(const QByteArray &method, const QString &path);

private:
    QList<Fault> m_faults;
};

} // namespace Tolvan
