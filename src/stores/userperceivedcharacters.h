#pragma once

#include <QString>

namespace Tolvan {

// The number of characters a reader sees in `text`: extended grapheme
// clusters, so that an emoji made of several code points or a letter with a
// combining accent counts once. White space counts like any other character.
qsizetype countUserPerceivedCharacters(const QString &text);

} // namespace Tolvan
