#pragma once

#include <QString>

namespace Tolvan {

class SpellingCorrector;

// Modest, honest fixes to a draft: misspelt words (when a dictionary is at
// hand and the draft is in its language), runs of spaces, spaces before
// punctuation, and lower-case sentence starts. Everything else is kept.
class TextImprover {
public:
    explicit TextImprover(const SpellingCorrector *speller = nullptr);

    QString improve(const QString &text) const;

private:
    QString correctSpelling(const QString &text) const;
    static QString tidySpacing(const QString &text);
    static QString capitaliseSentences(const QString &text);

    const SpellingCorrector *m_speller;
};

} // namespace Tolvan
