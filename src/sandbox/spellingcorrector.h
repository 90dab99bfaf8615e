#pragma once

#include <QString>

#include <memory>
#include <optional>

class Hunspell;

namespace Tolvan {

// Spelling through an English hunspell dictionary.
class SpellingCorrector {
public:
    // The dictionary at `path` + ".aff" and ".dic", or none when it is missing.
    static std::unique_ptr<SpellingCorrector> load(const QString &path);
    // The installed American English dictionary, or none.
    static std::unique_ptr<SpellingCorrector> loadInstalled();

    ~SpellingCorrector();

    bool knows(const QString &word) const;
    // Whether `words` read as English: a dictionary "fixes" the correct words
    // of another language into English ones.
    bool readsAsItsLanguage(const QStringList &words) const;
    // The dictionary's suggestion closest to `word`, within two edits, or
    // none: a distant suggestion is more likely a different word than a fix.
    // Among equally close ones, a doubled or undoubled letter wins (the
    // commonest slip), then the dictionary's order.
    std::optional<QString> correction(const QString &word) const;

private:
    explicit SpellingCorrector(std::unique_ptr<Hunspell> hunspell);

    static int editDistance(const QString &a, const QString &b);
    // Whether `a` and `b` differ only by one letter written once or twice.
    static bool differsByDoubling(const QString &a, const QString &b);

    std::unique_ptr<Hunspell> m_hunspell;
};

} // namespace Tolvan
