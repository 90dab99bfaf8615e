#pragma once

#include "translationlanguage.h"

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

namespace Tolvan {

// Translation through the Apertium pairs installed on this machine. Apertium
// names its modes after the languages' ISO 639 codes ("eng-spa", "fr-es");
// the service speaks two-letter codes, so each mode is mapped to its pair.
// A pair without its own mode goes through a language that both reach (Debian
// has English-Spanish and French-Spanish, but no English-French).
class ApertiumTranslator {
public:
    struct Pair {
        QString source;
        QString target;
        QString mode;

        bool operator==(const Pair &) const = default;
    };
    static constexpr std::chrono::seconds timeout{30};

    explicit ApertiumTranslator(QList<Pair> pairs,
                                const QString &program = QStringLiteral("apertium"));

    // The pairs of the modes that `apertium -l` lists; none when Apertium is
    // missing.
    static QList<Pair> installedPairs(const QString &program = QStringLiteral("apertium"));
    // Modes that name one source and one target language; variants such as
    // "spa-eng_US" or chained modes are left out.
    static QList<Pair> pairsFromModes(const QStringList &modes);

    // The languages that translate into and from every other one listed, by
    // English name.
    QList<TranslationLanguage> languages() const;
    // The modes that take `source` to `target`, one after another: the
    // pair's own mode, or two through a third language; none when there is
    // no way, or nothing to translate between.
    std::optional<QStringList> routeFor(const QString &source, const QString &target) const;
    // The text through every mode of `route`, or none when Apertium failed.
    QCoro::Task<std::optional<QString>> translate(QString text, QStringList route) const;

private:
    std::optional<QString> modeFor(const QString &source, const QString &target) const;
    QCoro::Task<std::optional<QString>> run(QString text, QString mode) const;

    QList<Pair> m_pairs;
    // Empty when the program is not installed.
    QString m_program;
};

} // namespace Tolvan
