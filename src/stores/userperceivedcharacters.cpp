#include "userperceivedcharacters.h"

#include <QTextBoundaryFinder>

namespace Tolvan {

qsizetype countUserPerceivedCharacters(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

} // namespace Tolvan
