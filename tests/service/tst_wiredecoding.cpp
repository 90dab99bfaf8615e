#include "authsession.h"
#include "billingerrorenvelope.h"
#include "billingresponse.h"
#include "historylistresponse.h"
#include "servicedateparsing.h"
#include "tokenpair.h"

#include <QTest>

using namespace Tolvan;

namespace {

const char historyEntry[] = R"({"id":9007199254740993,"type":"translation","source":"Hello",
    "result":"Hola","source_language":"en","target_language":"es",
    "inserted_at":"2025-03-01T12:30:45.123Z"})";

const char billing[] = R"({"subscription":{"status":"trialing","plan":"annual",
    "recurring_interval":"year","current_period_end":"2025-04-01T00:00:00Z",
    "trial_end":"2025-03-08T00:00:00+01:00","cancel_at_period_end":false,"last_synced_at":null,
    "entitled":true},
    "plans":[{"id":"monthly","name":"Monthly","amount_minor":999,"currency":"USD",
    "recurring_interval":"month","trial_interval":"day","trial_interval_count":7}]})";

// Where the value of `key` starts and ends in a flat or nested document.
std::pair<qsizetype, qsizetype> valueSpan(const QByteArray &document, const QByteArray &key)
{
    const QByteArray marker = '"' + key + "\":";
    const qsizetype start = document.indexOf(marker) + marker.size();
    Q_ASSERT(start >= marker.size());
    qsizetype end = start;
    for (int depth = 0; end < document.size(); ++end) {
        const char c = document[end];
        if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']' || c == ',') && depth == 0) {
            break;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return {start, end};
}

QByteArray withField(QByteArray document, const QByteArray &key, const QByteArray &value)
{
    const auto [start, end] = valueSpan(document, key);
    return document.replace(start, end - start, value);
}

QByteArray withoutField(QByteArray document, const QByteArray &key)
{
    auto [start, end] = valueSpan(document, key);
    start -= key.size() + 3;
    // Take the separating comma on one side with the field.
    if (document[end] == ',') {
        ++end;
    } else {
        --start;
    }
    return document.remove(start, end - start);
}

template<typename Record>
Result<Record> decode(const QByteArray &bytes)
{
    auto document = JsonFields::parse(bytes);
    if (!document) {
        return document.error();
    }
    return Record::fromJson(document.value());
}

} // namespace

class WireDecodingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void historyEntryDecodesEveryField()
    {
        const auto entry = decode<HistoryEntry>(historyEntry);
        QVERIFY(entry);
        // Above 2^53: a double would have made this ...992.
        QCOMPARE(entry.value().id, Q_INT64_C(9007199254740993));
        QCOMPARE(entry.value().type, HistoryKind::Translation);
        QCOMPARE(entry.value().sourceLanguage, std::optional<QString>(QStringLiteral("en")));
        QCOMPARE(entry.value().insertedAt,
                 QDateTime(QDate(2025, 3, 1), QTime(12, 30, 45, 123), Qt::UTC));
    }

    void historyEntryFields_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<bool>("decodes");

        const QByteArray entry(historyEntry);
        QTest::newRow("null optional") << withField(entry, "source_language", "null") << true;
        QTest::newRow("missing optional") << withoutField(entry, "target_language") << true;
        QTest::newRow("unknown key ignored")
            << withField(entry, "result", R"("Hola","x":[1])") << true;
        QTest::newRow("missing required date") << withoutField(entry, "inserted_at") << false;
        QTest::newRow("optional of wrong type")
            << withField(entry, "source_language", "3") << false;
        QTest::newRow("id as float") << withField(entry, "id", "1.5") << false;
        QTest::newRow("id as whole float") << withField(entry, "id", "1.0") << false;
        QTest::newRow("id as string") << withField(entry, "id", R"("1")") << false;
        QTest::newRow("id beyond 64 bits")
            << withField(entry, "id", "9223372036854775808") << false;
        QTest::newRow("negative id") << withField(entry, "id", "-4") << true;
        QTest::newRow("unknown kind") << withField(entry, "type", R"("Translation")") << false;
        QTest::newRow("null required") << withField(entry, "source", "null") << false;
        QTest::newRow("date without zone")
            << withField(entry, "inserted_at", R"("2025-03-01T12:30:45")") << false;
        QTest::newRow("not an object") << QByteArray("[1]") << false;
    }

    void historyEntryFields()
    {
        QFETCH(QByteArray, document);
        QFETCH(bool, decodes);
        QCOMPARE(decode<HistoryEntry>(document).isOk(), decodes);
    }

    void historyPageFailsWithOneBadEntry()
    {
        const QByteArray good(historyEntry);
        const QByteArray bad = withoutField(good, "inserted_at");
        const QByteArray pagination =
            R"("pagination":{"page":1,"page_size":20,"total_count":2,"total_pages":1})";
        QVERIFY(decode<HistoryListResponse>("{\"history\":[" + good + "]," + pagination + "}"));
        QVERIFY(!decode<HistoryListResponse>("{\"history\":[" + good + "," + bad + "]," +
                                             pagination + "}"));
    }

    void billingResponse_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<bool>("decodes");

        const QByteArray response(billing);
        QTest::newRow("complete") << response << true;
        QTest::newRow("null plan") << withField(response, "plan", "null") << true;
        QTest::newRow("unknown plan") << withField(response, "plan", R"("weekly")") << false;
        QTest::newRow("entitled missing") << withoutField(response, "entitled") << false;
        QTest::newRow("entitled as number") << withField(response, "entitled", "1") << false;
        QTest::newRow("bad optional date")
            << withField(response, "trial_end", R"("2025-03-08")") << false;
        QTest::newRow("amount as float") << withField(response, "amount_minor", "9.99") << false;
    }

    void billingResponse()
    {
        QFETCH(QByteArray, document);
        QFETCH(bool, decodes);
        QCOMPARE(decode<BillingResponse>(document).isOk(), decodes);
    }

    void billingErrorEnvelopeNeedsAParsableURL_data()
    {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("https") << QByteArray("\"https://tolvan.app/billing\"") << true;
        QTest::newRow("not a URL") << QByteArray("\"http://exa mple.com\"") << false;
        QTest::newRow("empty") << QByteArray(R"("")") << false;
        QTest::newRow("number") << QByteArray("7") << false;
    }

    void billingErrorEnvelopeNeedsAParsableURL()
    {
        QFETCH(QByteArray, url);
        QFETCH(bool, decodes);
        const QByteArray body = R"({"error":{"code":"subscription_required","detail":"Subscribe"},)"
                                R"("billing_url":)" +
                                url + "}";
        QCOMPARE(decode<BillingErrorEnvelope>(body).isOk(), decodes);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");

        const QDateTime noon(QDate(2025, 3, 1), QTime(12, 30, 45), Qt::UTC);
        QTest::newRow("Z") << "2025-03-01T12:30:45Z" << noon;
        QTest::newRow("fraction") << "2025-03-01T12:30:45.5Z" << noon.addMSecs(500);
        QTest::newRow("long fraction") << "2025-03-01T12:30:45.123456Z" << noon.addMSecs(123);
        QTest::newRow("offset") << "2025-03-01T14:30:45+02:00" << noon;
        QTest::newRow("negative offset") << "2025-03-01T07:00:45-05:30" << noon;
        QTest::newRow("space for T") << "2025-03-01 12:30:45" << QDateTime();
        QTest::newRow("no zone") << "2025-03-01T12:30:45" << QDateTime();
        QTest::newRow("bare date") << "2025-03-01" << QDateTime();
        QTest::newRow("empty fraction") << "2025-03-01T12:30:45.Z" << QDateTime();
        QTest::newRow("offset without colon") << "2025-03-01T12:30:45+0200" << QDateTime();
        QTest::newRow("lower-case z") << "2025-03-01T12:30:45z" << QDateTime();
        QTest::newRow("February 30") << "2025-02-30T12:30:45Z" << QDateTime();
        QTest::newRow("hour 24") << "2025-03-01T24:00:00Z" << QDateTime();
        QTest::newRow("past year 9999 in UTC") << "9999-12-31T23:30:00-01:00" << QDateTime();
        QTest::newRow("before year 1 in UTC") << "0001-01-01T00:30:00+01:00" << QDateTime();
        QTest::newRow("year 0") << "0000-06-01T00:00:00Z" << QDateTime();
        QTest::newRow("trailing text") << "2025-03-01T12:30:45Zx" << QDateTime();
        QTest::newRow("non-ASCII digit")
            << QString::fromUtf8("2025-03-01T12:30:4٥Z") << QDateTime();
    }

    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto parsed = ServiceDateParsing::parse(text);
        QCOMPARE(parsed.has_value(), expected.isValid());
        if (parsed) {
            QCOMPARE(*parsed, expected);
        }
    }

    void persistedSessionReadsBackExactly()
    {
        const AuthSession session{
            .tokens = {.accessToken = QStringLiteral("a\"ccess"),
                       .refreshToken = QStringLiteral("refresh"),
                       .tokenType = QStringLiteral("Bearer"),
                       .expiresIn = 900,
                       .refreshExpiresIn = 2592000,
                       .user = {.id = Q_INT64_C(9223372036854775807), .email = "ada@example.org"}},
            .accessExpiresAt = QDateTime::fromMSecsSinceEpoch(1740832245123, Qt::UTC),
            .refreshExpiresAt = QDateTime::fromMSecsSinceEpoch(1743424245999, Qt::UTC),
        };
        const QByteArray bytes = session.encode();
        QVERIFY(!bytes.contains(' '));
        QVERIFY(bytes.contains("\"access_token\":\"a\\\"ccess\""));
        const auto decoded = AuthSession::decode(bytes);
        QVERIFY(decoded);
        QCOMPARE(decoded.value(), session);
    }

    void persistedDatesCountFrom2001()
    {
        const auto decoded = AuthSession::decode(
            R"({"tokens":{"access_token":"a","refresh_token":"r","token_type":"Bearer",)"
            R"("expires_in":1,"refresh_expires_in":1,"user":{"id":1,"email":"e"}},)"
            R"("accessExpiresAt":0,"refreshExpiresAt":86400.25})");
        QVERIFY(decoded);
        QCOMPARE(decoded.value().accessExpiresAt,
                 QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC));
        QCOMPARE(decoded.value().refreshExpiresAt,
                 QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 250), Qt::UTC));
    }

    void undecodablePersistedSession_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not JSON") << QByteArray("{\"tokens\":");
        QTest::newRow("date as text") << QByteArray(
            R"({"tokens":{"access_token":"a","refresh_token":"r","token_type":"Bearer",)"
            R"("expires_in":1,"refresh_expires_in":1,"user":{"id":1,"email":"e"}},)"
            R"("accessExpiresAt":"2025-03-01T12:30:45Z","refreshExpiresAt":0})");
        QTest::newRow("date out of range") << QByteArray(
            R"({"tokens":{"access_token":"a","refresh_token":"r","token_type":"Bearer",)"
            R"("expires_in":1,"refresh_expires_in":1,"user":{"id":1,"email":"e"}},)"
            R"("accessExpiresAt":1e300,"refreshExpiresAt":0})");
        QTest::newRow("user missing") << QByteArray(
            R"({"tokens":{"access_token":"a","refresh_token":"r","token_type":"Bearer",)"
            R"("expires_in":1,"refresh_expires_in":1},"accessExpiresAt":0,"refreshExpiresAt":0})");
    }

    void undecodablePersistedSession()
    {
        QFETCH(QByteArray, bytes);
        const auto decoded = AuthSession::decode(bytes);
        QVERIFY(!decoded);
        QCOMPARE(decoded.error().kind(), ServiceError::Kind::Decoding);
        QVERIFY(!decoded.error().text().isEmpty());
    }

    void tokenPairDecodingErrorNamesTheField()
    {
        const auto pair = decode<TokenPair>(
            R"({"access_token":"a","refresh_token":"r","token_type":"Bearer",)"
            R"("expires_in":"900","refresh_expires_in":1,"user":{"id":1,"email":"e"}})");
        QVERIFY(!pair);
        QVERIFY(pair.error().text().contains(QLatin1String("expires_in")));
    }
};

QTEST_GUILESS_MAIN(WireDecodingTest)
#include "tst_wiredecoding.moc"
