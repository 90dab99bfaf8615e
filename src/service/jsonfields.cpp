#include "jsonfields.h"

#include "servicedateparsing.h"

#include <limits>

namespace Tolvan {

namespace {

QString toQString(const nlohmann::json &value)
{
    return QString::fromStdString(value.get_ref<const std::string &>());
}

} // namespace

JsonFields::JsonFields(const nlohmann::json &object, QString context)
    : m_object(object)
{
    if (!object.is_object()) {
        m_failure = context.isEmpty() ? QStringLiteral("The data is not a JSON object.")
                                      : context + QStringLiteral(" is not a JSON object.");
    }
}

const nlohmann::json *JsonFields::find(const char *key)
{
    if (!ok()) {
        return nullptr;
    }
    const auto it = m_object.find(key);
    if (it == m_object.end()) {
        fail(key, "is missing");
        return nullptr;
    }
    return &*it;
}

bool JsonFields::isAbsent(const char *key) const
{
    if (!ok()) {
        return true;
    }
    const auto it = m_object.find(key);
    return it == m_object.end() || it->is_null();
}

void JsonFields::fail(const char *key, const char *problem)
{
    if (ok()) {
        m_failure = QStringLiteral("The key \"%1\" %2.")
                        .arg(QString::fromUtf8(key), QString::fromUtf8(problem));
    }
}

QString JsonFields::string(const char *key)
{
    const nlohmann::json *value = find(key);
    if (!value) {
        return {};
    }
    if (!value->is_string()) {
        fail(key, "is not a string");
        return {};
    }
    return toQString(*value);
}

std::optional<QString> JsonFields::optionalString(const char *key)
{
    if (isAbsent(key)) {
        return std::nullopt;
    }
    return string(key);
}

qint64 JsonFields::integer(const char *key)
{
    const nlohmann::json *value = find(key);
    if (!value) {
        return 0;
    }
    // 1.0 is a float on the wire and so not an integer; unsigned values above
    // the signed range do not fit.
    if (value->is_number_unsigned()) {
        const auto unsignedValue = value->get<std::uint64_t>();
        if (unsignedValue > std::uint64_t(std::numeric_limits<qint64>::max())) {
            fail(key, "is out of range");
            return 0;
        }
        return qint64(unsignedValue);
    }
    if (!value->is_number_integer()) {
        fail(key, "is not an integer");
        return 0;
    }
    return value->get<qint64>();
}

bool JsonFields::boolean(const char *key)
{
    const nlohmann::json *value = find(key);
    if (!value) {
        return false;
    }
    if (!value->is_boolean()) {
        fail(key, "is not a boolean");
        return false;
    }
    return value->get<bool>();
}

double JsonFields::number(const char *key)
{
    const nlohmann::json *value = find(key);
    if (!value) {
        return 0;
    }
    if (!value->is_number()) {
        fail(key, "is not a number");
        return 0;
    }
    return value->get<double>();
}

QUrl JsonFields::url(const char *key)
{
    const QString text = string(key);
    if (!ok()) {
        return {};
    }
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        fail(key, "is not a valid URL");
        return {};
    }
    return url;
}

QDateTime JsonFields::date(const char *key)
{
    const QString text = string(key);
    if (!ok()) {
        return {};
    }
    const auto date = ServiceDateParsing::parse(text);
    if (!date) {
        fail(key, "is not an internet date-time");
        return {};
    }
    return *date;
}

std::optional<QDateTime> JsonFields::optionalDate(const char *key)
{
    if (isAbsent(key)) {
        return std::nullopt;
    }
    return date(key);
}

Result<nlohmann::json> JsonFields::parse(const QByteArray &bytes)
{
    nlohmann::json document =
        nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded()) {
        return ServiceError::decoding(QStringLiteral("The data is not valid JSON."));
    }
    return document;
}

} // namespace Tolvan
