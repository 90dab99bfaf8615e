#include "apertiumtranslator.h"

#include <QCoro/QCoroProcess>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace Tolvan {

namespace {

QString twoLetterCode(const QString &apertiumCode)
{
    const QLocale::Language language = QLocale::codeToLanguage(
        apertiumCode, QLocale::ISO639Part1 | QLocale::ISO639Part2 | QLocale::ISO639Part3);
    if (language == QLocale::AnyLanguage) {
        return {};
    }
    return QLocale::languageToCode(language, QLocale::ISO639Part1);
}

} // namespace

ApertiumTranslator::ApertiumTranslator(QList<Pair> pairs, const QString &program)
    : m_pairs(std::move(pairs))
    , m_program(QStandardPaths::findExecutable(program))
{
}

QList<ApertiumTranslator::Pair> ApertiumTranslator::installedPairs(const QString &program)
{
    // Runs once at start-up, before anything is served.
    QProcess process;
    process.start(program, {QStringLiteral("-l")});
    if (!process.waitForFinished(5000) || process.exitCode() != 0) {
        return {};
    }
    const QString listing = QString::fromUtf8(process.readAllStandardOutput());
    return pairsFromModes(listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

QList<ApertiumTranslator::Pair> ApertiumTranslator::pairsFromModes(const QStringList &modes)
{
    QList<Pair> pairs;
    for (const QString &line : modes) {
        const QString mode = line.trimmed();
        const QStringList parts = mode.split(QLatin1Char('-'));
        if (parts.size() != 2) {
            continue;
        }
        const QString source = twoLetterCode(parts[0]);
        const QString target = twoLetterCode(parts[1]);
        const bool known = std::any_of(pairs.cbegin(), pairs.cend(), [&](const Pair &pair) {
            return pair.source == source && pair.target == target;
        });
        if (!source.isEmpty() && !target.isEmpty() && source != target && !known) {
            pairs.append({source, target, mode});
        }
    }
    return pairs;
}

QList<TranslationLanguage> ApertiumTranslator::languages() const
{
    QStringList codes;
    for (const Pair &pair : m_pairs) {
        for (const QString &code : {pair.source, pair.target}) {
            if (!codes.contains(code)) {
                codes.append(code);
            }
        }
    }
    // Drops the language with the most missing routes until every listed
    // pair translates: one isolated language then costs only itself.
    while (true) {
        QList<int> missing(codes.size(), 0);
        for (qsizetype i = 0; i < codes.size(); ++i) {
            for (qsizetype j = 0; j < codes.size(); ++j) {
                if (i != j && !routeFor(codes[i], codes[j])) {
                    ++missing[i];
                    ++missing[j];
                }
            }
        }
        const auto worst = std::max_element(missing.cbegin(), missing.cend());
        if (worst == missing.cend() || *worst == 0) {
            break;
        }
        codes.removeAt(worst - missing.cbegin());
    }
    QList<TranslationLanguage> languages;
    for (const QString &code : std::as_const(codes)) {
        languages.append({code, QLocale::languageToString(QLocale::codeToLanguage(code))});
    }
    std::sort(
        languages.begin(), languages.end(),
        [](const TranslationLanguage &a, const TranslationLanguage &b) { return a.name < b.name; });
    return languages;
}

std::optional<QString> ApertiumTranslator::modeFor(const QString &source,
                                                   const QString &target) const
{
    for (const Pair &pair : m_pairs) {
        if (pair.source == source && pair.target == target) {
            return pair.mode;
        }
    }
    return std::nullopt;
}

std::optional<QStringList> ApertiumTranslator::routeFor(const QString &source,
                                                        const QString &target) const
{
    if (source == target) {
        return std::nullopt;
    }
    if (const auto mode = modeFor(source, target)) {
        return QStringList{*mode};
    }
    for (const Pair &first : m_pairs) {
        if (first.source != source) {
            continue;
        }
        if (const auto second = modeFor(first.target, target)) {
            return QStringList{first.mode, *second};
        }
    }
    return std::nullopt;
}

QCoro::Task<std::optional<QString>> ApertiumTranslator::translate(QString text,
                                                                  QStringList route) const
{
    std::optional<QString> translated = text;
    for (const QString &mode : std::as_const(route)) {
        // Awaited as a named task: no temporary lives across the suspension.
        const QCoro::Task<std::optional<QString>> step = run(*translated, mode);
        translated = co_await step;
        if (!translated) {
            break;
        }
    }
    co_return translated;
}

QCoro::Task<std::optional<QString>> ApertiumTranslator::run(QString text, QString mode) const
{
    // A program that cannot start reports no end to wait for.
    if (m_program.isEmpty()) {
        co_return std::nullopt;
    }
    QProcess process;
    // -u: unknown words pass through without Apertium's "*" mark.
    process.start(m_program, {QStringLiteral("-u"), mode});
    process.write(text.toUtf8());
    process.closeWriteChannel();
    if (!co_await qCoro(process).waitForFinished(timeout)) {
        process.kill();
        co_return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        co_return std::nullopt;
    }
    co_return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace Tolvan
