#pragma once

#include <QUrl>

namespace Tolvan {

// Opens a web page in the user's default browser. The desktop app opens it
// through the desktop services; tests record the request.
class URLOpener {
public:
    virtual ~URLOpener() = default;

    // True when the browser took the page.
    virtual bool openURL(const QUrl &url) = 0;
};

} // namespace Tolvan
