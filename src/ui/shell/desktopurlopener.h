#pragma once

#include "urlopener.h"

namespace Tolvan {

// Opens billing pages in the user's default browser.
class DesktopURLOpener : public URLOpener {
public:
    bool openURL(const QUrl &url) override;
};

} // namespace Tolvan
