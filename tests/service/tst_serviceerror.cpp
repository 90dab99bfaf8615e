#include "servicebaseurl.h"
#include "serviceerror.h"

#include <QTest>

using namespace Tolvan;

class ServiceErrorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void texts_data()
    {
        QTest::addColumn<ServiceError>("error");
        QTest::addColumn<QString>("expected");

        QTest::newRow("response shows its detail")
            << ServiceError::response(ErrorFamily::History, 503, "Maintenance") << "Maintenance";
        QTest::newRow("empty detail stays empty")
            << ServiceError::response(ErrorFamily::Auth, 400, QString()) << QString();
        QTest::newRow("subscription required shows only the detail")
            << ServiceError::subscriptionRequired(ErrorFamily::Translation,
                                                  "Subscribe to translate.",
                                                  QUrl("https://tolvan.app/billing"))
            << "Subscribe to translate.";
        QTest::newRow("auth invalid")
            << ServiceError::invalidResponse(ErrorFamily::Auth)
            << "The server returned an unexpected response. Please try again.";
        QTest::newRow("translation invalid")
            << ServiceError::invalidResponse(ErrorFamily::Translation)
            << "The translation service returned an invalid response. Please try again.";
        QTest::newRow("writing invalid")
            << ServiceError::invalidResponse(ErrorFamily::Writing)
            << "The writing service returned an invalid response. Please try again.";
        QTest::newRow("languages invalid")
            << ServiceError::invalidResponse(ErrorFamily::Languages)
            << "The language service returned no usable languages. Please try again.";
        QTest::newRow("history invalid")
            << ServiceError::invalidResponse(ErrorFamily::History)
            << "The history service returned an invalid response. Please try again.";
        QTest::newRow("billing invalid")
            << ServiceError::invalidResponse(ErrorFamily::Billing)
            << "The billing service returned an invalid response. Please try again.";
        QTest::newRow("unsafe URL")
            << ServiceError::unsafeURL()
            << "The billing service returned an unsafe link. Please try again.";
        QTest::newRow("keyring locked")
            << ServiceError::keychain(-25308, "The keyring is locked.")
            << "Your saved session could not be accessed. The keyring is locked. (Keyring -25308). "
               "Unlock your login keyring, then retry.";
        QTest::newRow("keyring prompt dismissed")
            << ServiceError::keychain(-128, "The unlock request was cancelled.")
            << "Your saved session could not be accessed. The unlock request was cancelled. "
               "(Keyring -128). Retry and allow Tolvan to access its saved credentials when your "
               "desktop asks.";
        QTest::newRow("no keyring service")
            << ServiceError::keychain(-34018, "No Secret Service is available.")
            << "Your saved session could not be accessed. No Secret Service is available. (Keyring "
               "-34018). Start your desktop's keyring service (for example GNOME Keyring or "
               "KWallet), then retry.";
        QTest::newRow("unusable item")
            << ServiceError::keychain(0, "The saved item could not be read.")
            << "Your saved session could not be accessed. The saved item could not be read. "
               "(Keyring 0). Please retry.";
        QTest::newRow("unnamed keyring failure")
            << ServiceError::keychain(42, QString())
            << "Your saved session could not be accessed. Unknown keyring error (Keyring 42). "
               "Please retry.";
        QTest::newRow("transport passes Qt's text")
            << ServiceError::transport(QNetworkReply::ConnectionRefusedError, "Connection refused")
            << "Connection refused";
    }

    void texts()
    {
        QFETCH(ServiceError, error);
        QFETCH(QString, expected);
        QCOMPARE(error.text(), expected);
    }

    void baseURL_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("https anywhere") << "https://staging.example.org/v2" << true;
        QTest::newRow("http localhost") << "http://localhost:8765/" << true;
        QTest::newRow("http 127.0.0.1") << "http://127.0.0.1:8765/" << true;
        QTest::newRow("http 127.8.9.10") << "http://127.8.9.10/" << true;
        QTest::newRow("http ::1") << "http://[::1]:8765/" << true;
        QTest::newRow("http elsewhere") << "http://example.org/" << false;
        QTest::newRow("http private network") << "http://192.168.1.2/" << false;
        QTest::newRow("http localhost lookalike") << "http://localhost.example.org/" << false;
        QTest::newRow("other scheme") << "ftp://example.org/" << false;
        QTest::newRow("no host") << "https:///path" << false;
        QTest::newRow("not a URL") << "tolvan" << false;
    }

    void baseURL()
    {
        QFETCH(QString, configured);
        QFETCH(bool, accepted);
        QString error;
        const QUrl url = ServiceBaseURL::resolve(configured, &error);
        QCOMPARE(url.isValid(), accepted);
        QCOMPARE(error.isEmpty(), accepted);
        if (!accepted) {
            QVERIFY(error.contains(QLatin1String("TOLVAN_BASE_URL")));
        }
    }
};

QTEST_GUILESS_MAIN(ServiceErrorTest)
#include "tst_serviceerror.moc"
