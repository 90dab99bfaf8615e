#include "randomvalues.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <array>
#include <limits>

namespace Tolvan {

QString RandomValues::token()
{
    std::array<quint32, 8> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char *>(words.data()), sizeof(words));
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

qint64 RandomValues::identifier()
{
    constexpr qint64 lowest = (qint64(1) << 53) + 1;
    return QRandomGenerator::system()->bounded(lowest, std::numeric_limits<qint64>::max());
}

QString RandomValues::signInCode()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1'000'000), 6, 10,
                                    QLatin1Char('0'));
}

} // namespace Tolvan
