#pragma once

#include "result.h"
#include "wireenums.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>

namespace Tolvan {

// Typed readers over one JSON object, for decoders written as a table of
// fields. A field that is missing or of the wrong JSON type marks the whole
// record as failed (the first failure is kept as the message); optional fields
// may be missing or null. Unknown keys are ignored.
class JsonFields {
public:
    explicit JsonFields(const nlohmann::json &object, QString context = {});

    QString string(const char *key);
    std::optional<QString> optionalString(const char *key);
    qint64 integer(const char *key);
    bool boolean(const char *key);
    // A JSON number of any kind, for the persisted dates.
    double number(const char *key);
    QUrl url(const char *key);
    QDateTime date(const char *key);
    std::optional<QDateTime> optionalDate(const char *key);

    template<typename Enum>
    Enum enumeration(const char *key)
    {
        const QString raw = string(key);
        if (!ok()) {
            return {};
        }
        const auto value = fromRawValue<Enum>(raw);
        if (!value) {
            fail(key, "holds an unknown value");
            return {};
        }
        return *value;
    }

    template<typename Enum>
    std::optional<Enum> optionalEnumeration(const char *key)
    {
        if (isAbsent(key)) {
            return std::nullopt;
        }
        return enumeration<Enum>(key);
    }

    // A nested record, decoded by its own `fromJson`.
    template<typename Record>
    Record record(const char *key)
    {
        const nlohmann::json *value = find(key);
        if (!value) {
            return {};
        }
        return adopt(key, Record::fromJson(*value));
    }

    template<typename Record>
    QList<Record> list(const char *key)
    {
        const nlohmann::json *value = find(key);
        if (!value) {
            return {};
        }
        if (!value->is_array()) {
            fail(key, "is not an array");
            return {};
        }
        QList<Record> records;
        records.reserve(qsizetype(value->size()));
        for (const nlohmann::json &element : *value) {
            records.append(adopt(key, Record::fromJson(element)));
            if (!ok()) {
                return {};
            }
        }
        return records;
    }

    bool ok() const { return !m_failure; }

    // The decoded record, or the first failure as a decoding error.
    template<typename Record>
    Result<Record> finish(Record record) const
    {
        if (m_failure) {
            return ServiceError::decoding(*m_failure);
        }
        return record;
    }

    // Parses a response body; anything but well-formed JSON is a decoding error.
    static Result<nlohmann::json> parse(const QByteArray &bytes);

private:
    const nlohmann::json *find(const char *key);
    bool isAbsent(const char *key) const;
    void fail(const char *key, const char *problem);

    template<typename Record>
    Record adopt(const char *key, Result<Record> nested)
    {
        if (!nested) {
            if (ok()) {
                m_failure =
                    QStringLiteral("\"%1\": %2").arg(QString::fromUtf8(key), nested.error().text());
            }
            return {};
        }
        return std::move(nested).value();
    }

    const nlohmann::json &m_object;
    std::optional<QString> m_failure;
};

} // namespace Tolvan
