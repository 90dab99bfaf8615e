#include "textimprover.h"

#include "spellingcorrector.h"

#include <QRegularExpression>
#include <QSet>

namespace Tolvan {

namespace {

const QRegularExpression &wordPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\p{L}+(?:['’]\\p{L}+)*"));
    return pattern;
}

bool startsSentence(const QString &text, qsizetype position)
{
    const QString before = text.left(position).trimmed();
    return before.isEmpty() || before.endsWith(QLatin1Char('.')) ||
           before.endsWith(QLatin1Char('!')) || before.endsWith(QLatin1Char('?'));
}

// Capitals inside a word mark an acronym or a brand; a capital away from a
// sentence start marks a name. Neither is the dictionary's business.
bool looksLikeName(const QString &text, const QString &word, qsizetype position)
{
    for (qsizetype i = 1; i < word.size(); ++i) {
        if (word[i].isUpper()) {
            return true;
        }
    }
    return word[0].isUpper() && !startsSentence(text, position);
}

bool isAbbreviation(const QString &word)
{
    static const QSet<QString> abbreviations{
        QStringLiteral("e.g"), QStringLiteral("i.e"), QStringLiteral("etc"),
        QStringLiteral("vs"),  QStringLiteral("cf"),  QStringLiteral("approx"),
    };
    return abbreviations.contains(word.toLower());
}

} // namespace

TextImprover::TextImprover(const SpellingCorrector *speller)
    : m_speller(speller)
{
}

QString TextImprover::improve(const QString &text) const
{
    return capitaliseSentences(tidySpacing(correctSpelling(text)));
}

QString TextImprover::correctSpelling(const QString &text) const
{
    if (!m_speller) {
        return text;
    }
    QList<QRegularExpressionMatch> words;
    QStringList texts;
    auto matches = wordPattern().globalMatch(text);
    while (matches.hasNext()) {
        words.append(matches.next());
        texts.append(words.last().captured());
    }
    if (!m_speller->readsAsItsLanguage(texts)) {
        return text;
    }
    QString corrected = text;
    // From the end, so that earlier positions stay valid.
    for (auto word = words.crbegin(); word != words.crend(); ++word) {
        const QString original = word->captured();
        const qsizetype position = word->capturedStart();
        if (m_speller->knows(original) || looksLikeName(text, original, position)) {
            continue;
        }
        if (const auto fix = m_speller->correction(original)) {
            corrected.replace(position, original.size(), *fix);
        }
    }
    return corrected;
}

QString TextImprover::tidySpacing(const QString &text)
{
    static const QRegularExpression spaceRuns(QStringLiteral("(?<=\\S)[ \\t]{2,}(?=\\S)"));
    static const QRegularExpression spaceBeforePunctuation(
        QStringLiteral("(?<=[\\p{L}\\p{N}])[ \\t]+(?=[,.;:!?](?:\\s|$))"));
    static const QRegularExpression lineEndSpaces(QStringLiteral("[ \\t]+$"),
                                                  QRegularExpression::MultilineOption);
    QString tidy = text;
    tidy.replace(spaceRuns, QStringLiteral(" "));
    tidy.replace(spaceBeforePunctuation, QString());
    tidy.replace(lineEndSpaces, QString());
    return tidy.trimmed();
}

QString TextImprover::capitaliseSentences(const QString &text)
{
    // A sentence starts the text or a paragraph, or follows ". ", "! " or "? ".
    static const QRegularExpression sentenceStart(
        QStringLiteral("(?:^|\\n\\s*\\n|(?<=[.!?])[\"'”’)\\]]?\\s+)[\"'“‘(\\[]*(\\p{Ll})"));
    static const QRegularExpression wordBeforeStop(QStringLiteral("([\\p{L}.]+)[.]\\s+$"));
    QString capitalised = text;
    auto matches = sentenceStart.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        const qsizetype letter = match.capturedStart(1);
        const auto previous = wordBeforeStop.match(text.left(letter));
        if (previous.hasMatch() && isAbbreviation(previous.captured(1))) {
            continue;
        }
        capitalised[letter] = capitalised[letter].toUpper();
    }
    return capitalised;
}

} // namespace Tolvan
