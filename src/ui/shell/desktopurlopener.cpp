#include "desktopurlopener.h"

#include <QDesktopServices>

namespace Tolvan {

bool DesktopURLOpener::openURL(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace Tolvan
