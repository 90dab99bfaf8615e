#pragma once

#include "urlopener.h"

#include <QUrl>

#include <optional>

namespace Tolvan {

// Takes the billing page that a store would open in the browser: keeps its
// link for the command to print and, when asked to, opens it with xdg-open.
class LinkOpener : public URLOpener {
public:
    explicit LinkOpener(bool opensBrowser);

    // The last link taken, if any.
    std::optional<QUrl> link() const { return m_link; }

    // True when the link is kept, and when asked to, the browser started.
    bool openURL(const QUrl &url) override;

private:
    const bool m_opensBrowser;
    std::optional<QUrl> m_link;
};

} // namespace Tolvan
