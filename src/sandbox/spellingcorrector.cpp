#include "spellingcorrector.h"

#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QStringList>

#include <hunspell/hunspell.hxx>

#include <algorithm>

namespace Tolvan {

std::unique_ptr<SpellingCorrector> SpellingCorrector::load(const QString &path)
{
    const QString affix = path + QStringLiteral(".aff");
    const QString dictionary = path + QStringLiteral(".dic");
    if (!QFileInfo::exists(affix) || !QFileInfo::exists(dictionary)) {
        return nullptr;
    }
    auto hunspell = std::make_unique<Hunspell>(affix.toLocal8Bit().constData(),
                                               dictionary.toLocal8Bit().constData());
    return std::unique_ptr<SpellingCorrector>(new SpellingCorrector(std::move(hunspell)));
}

std::unique_ptr<SpellingCorrector> SpellingCorrector::loadInstalled()
{
    for (const char *folder : {"/usr/share/hunspell", "/usr/share/myspell"}) {
        if (auto corrector = load(QString::fromLatin1(folder) + QStringLiteral("/en_US"))) {
            return corrector;
        }
    }
    return nullptr;
}

SpellingCorrector::SpellingCorrector(std::unique_ptr<Hunspell> hunspell)
    : m_hunspell(std::move(hunspell))
{
}

SpellingCorrector::~SpellingCorrector() = default;

bool SpellingCorrector::knows(const QString &word) const
{
    return m_hunspell->spell(word.toStdString());
}

bool SpellingCorrector::readsAsItsLanguage(const QStringList &words) const
{
    // Words of English that other Latin-script languages rarely use.
    static const QSet<QString> functionWords{
        QStringLiteral("the"),  QStringLiteral("and"),  QStringLiteral("is"),
        QStringLiteral("are"),  QStringLiteral("was"),  QStringLiteral("were"),
        QStringLiteral("to"),   QStringLiteral("of"),   QStringLiteral("it"),
        QStringLiteral("you"),  QStringLiteral("that"), QStringLiteral("this"),
        QStringLiteral("with"), QStringLiteral("for"),  QStringLiteral("have"),
        QStringLiteral("has"),  QStringLiteral("not"),  QStringLiteral("but"),
        QStringLiteral("what"), QStringLiteral("my"),   QStringLiteral("your"),
        QStringLiteral("they"), QStringLiteral("we"),   QStringLiteral("i"),
    };
    qsizetype known = 0;
    bool hasFunctionWord = false;
    for (const QString &word : words) {
        known += knows(word) ? 1 : 0;
        hasFunctionWord = hasFunctionWord || functionWords.contains(word.toLower());
    }
    return hasFunctionWord && known * 2 >= words.size();
}

std::optional<QString> SpellingCorrector::correction(const QString &word) const
{
    // A capital only at the start is the sentence's, not the word's.
    const bool capitalised =
        word.size() > 1 && word[0].isUpper() && word.mid(1) == word.mid(1).toLower();
    const QString asWritten = capitalised ? word.toLower() : word;
    const QString folded = asWritten.toLower();
    std::optional<QString> best;
    // Lower ranks first: the edit distance, then one for anything but a doubling.
    int bestRank = 0;
    for (const std::string &suggestion : m_hunspell->suggest(asWritten.toStdString())) {
        const QString candidate = QString::fromStdString(suggestion);
        const QString candidateFolded = candidate.toLower();
        const int distance = editDistance(folded, candidateFolded);
        if (distance > 2) {
            continue;
        }
        const int rank = distance * 2 + (differsByDoubling(folded, candidateFolded) ? 0 : 1);
        if (!best || rank < bestRank) {
            best = candidate;
            bestRank = rank;
        }
    }
    if (best && capitalised) {
        (*best)[0] = best->at(0).toUpper();
    }
    return best;
}

bool SpellingCorrector::differsByDoubling(const QString &a, const QString &b)
{
    const QString &shorter = a.size() < b.size() ? a : b;
    const QString &longer = a.size() < b.size() ? b : a;
    if (longer.size() != shorter.size() + 1) {
        return false;
    }
    qsizetype extra = 0;
    while (extra < shorter.size() && shorter[extra] == longer[extra]) {
        ++extra;
    }
    if (QStringView(shorter).mid(extra) != QStringView(longer).mid(extra + 1)) {
        return false;
    }
    // The extra letter repeats a neighbour: "speling" and "spelling".
    return (extra > 0 && longer[extra - 1] == longer[extra]) ||
           (extra + 1 < longer.size() && longer[extra + 1] == longer[extra]);
}

int SpellingCorrector::editDistance(const QString &a, const QString &b)
{
    // Levenshtein distance with adjacent transpositions ("teh" → "the" is one edit).
    const qsizetype rows = a.size() + 1;
    const qsizetype columns = b.size() + 1;
    QList<int> cost(rows * columns);
    const auto at = [columns, &cost](qsizetype i, qsizetype j) -> int & {
        return cost[i * columns + j];
    };
    for (qsizetype i = 0; i < rows; ++i) {
        at(i, 0) = int(i);
    }
    for (qsizetype j = 0; j < columns; ++j) {
        at(0, j) = int(j);
    }
    for (qsizetype i = 1; i < rows; ++i) {
        for (qsizetype j = 1; j < columns; ++j) {
            const int substitution = a[i - 1] == b[j - 1] ? 0 : 1;
            at(i, j) =
                std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + substitution});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
            }
        }
    }
    return at(rows - 1, columns - 1);
}

} // namespace Tolvan
