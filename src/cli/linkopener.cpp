#include "linkopener.h"

#include <QProcess>

namespace Tolvan {

LinkOpener::LinkOpener(bool opensBrowser)
    : m_opensBrowser(opensBrowser)
{
}

bool LinkOpener::openURL(const QUrl &url)
{
    m_link = url;
    if (!m_opensBrowser) {
        return true;
    }
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString()});
}

} // namespace Tolvan
