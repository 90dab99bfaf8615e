#pragma once

#include "translationlanguage.h"

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

namespace Tolvan {

// Translation through the Apertium pairs installed on this machine. Apertium
// names its modes after the languages' ISO 639 codes ("eng-spa", "fr-es");
// the service speaks two-letter codes, so each mode is mapped to its pair.
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

    // Every language that some pair translates from or into, by English name.
    QList<TranslationLanguage> languages() const;
    std::optional<QString> modeFor(const QString &source, const QString &target) const;
    // The translation, or none when Apertium failed.
    QCoro::Task<std::optional<QString>> translate(QString text, QString mode) const;

private:
    QList<Pair> m_pairs;
    // Empty when the program is not installed.
    QString m_program;
};

} // namespace Tolvan
