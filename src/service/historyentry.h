#pragma once

#include "result.h"
#include "wireenums.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

namespace Tolvan {

struct HistoryEntry {
    Q_GADGET
    Q_PROPERTY(QString id READ idText CONSTANT)
    Q_PROPERTY(Tolvan::HistoryKind type MEMBER type CONSTANT)
    Q_PROPERTY(QString source MEMBER source CONSTANT)
    Q_PROPERTY(QString result MEMBER result CONSTANT)
    Q_PROPERTY(QString sourceLanguage READ sourceLanguageText CONSTANT)
    Q_PROPERTY(QString targetLanguage READ targetLanguageText CONSTANT)
    Q_PROPERTY(QDateTime insertedAt MEMBER insertedAt CONSTANT)
public:
    // Also its identity in lists.
    qint64 id = 0;
    HistoryKind type = HistoryKind::Translation;
    QString source;
    QString result;
    // Present for translations.
    std::optional<QString> sourceLanguage;
    std::optional<QString> targetLanguage;
    QDateTime insertedAt;

    // QML numbers lose precision above 2^53, so the id travels there as text.
    QString idText() const { return QString::number(id); }
    QString sourceLanguageText() const { return sourceLanguage.value_or(QString()); }
    QString targetLanguageText() const { return targetLanguage.value_or(QString()); }

    static Result<HistoryEntry> fromJson(const nlohmann::json &json);

    bool operator==(const HistoryEntry &) const = default;
};

} // namespace Tolvan
