#include "billingplan.h"
#include "billingsubscription.h"

#include <QTest>

using namespace Tolvan;

class BillingTextsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formattedPrice_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<qint64>("amountMinor");
        QTest::addColumn<QString>("expected");

        const QString nbsp = QString(QChar(0x00A0));
        QTest::newRow("USD en_US") << "en_US"
                                   << "USD" << qint64(1999) << "$19.99";
        QTest::newRow("EUR en_US") << "en_US"
                                   << "EUR" << qint64(1999) << "€19.99";
        QTest::newRow("JPY en_US has no minor unit") << "en_US"
                                                     << "JPY" << qint64(500) << "¥500";
        QTest::newRow("zero") << "en_US"
                              << "USD" << qint64(0) << "$0.00";
        QTest::newRow("USD de_DE") << "de_DE"
                                   << "USD" << qint64(1999) << "19,99" + nbsp + "$";
        QTest::newRow("EUR de_DE") << "de_DE"
                                   << "EUR" << qint64(123456) << "1.234,56" + nbsp + "€";
        QTest::newRow("JPY de_DE") << "de_DE"
                                   << "JPY" << qint64(500) << "500" + nbsp + "¥";
        QTest::newRow("USD ja_JP") << "ja_JP"
                                   << "USD" << qint64(1999) << "$19.99";
        QTest::newRow("EUR ja_JP") << "ja_JP"
                                   << "EUR" << qint64(1999) << "€19.99";
        QTest::newRow("JPY ja_JP") << "ja_JP"
                                   << "JPY" << qint64(500) << "￥500";
        QTest::newRow("unusable currency") << "en_US"
                                           << "US" << qint64(1999) << "US 1999";
    }

    void formattedPrice()
    {
        QFETCH(QString, locale);
        QFETCH(QString, currency);
        QFETCH(qint64, amountMinor);
        QFETCH(QString, expected);
        BillingPlan plan;
        plan.currency = currency;
        plan.amountMinor = amountMinor;
        QCOMPARE(plan.formattedPrice(QLocale(locale)), expected);
    }

    void trialDescription_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("expected");
        QTest::newRow("7 days") << qint64(7) << "day"
                                << "7-day free trial";
        QTest::newRow("14 days") << qint64(14) << "day"
                                 << "14-day free trial";
    }

    void trialDescription()
    {
        QFETCH(qint64, count);
        QFETCH(QString, interval);
        QFETCH(QString, expected);
        BillingPlan plan;
        plan.trialIntervalCount = count;
        plan.trialInterval = interval;
        QCOMPARE(plan.trialDescription(), expected);
    }

    void isTrialing_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("hasTrialEnd");
        QTest::addColumn<bool>("expected");
        QTest::newRow("trialing with end") << "trialing" << true << true;
        QTest::newRow("capital T") << "Trialing" << true << false;
        QTest::newRow("trialing without end") << "trialing" << false << false;
        QTest::newRow("active with end") << "active" << true << false;
    }

    void isTrialing()
    {
        QFETCH(QString, status);
        QFETCH(bool, hasTrialEnd);
        QFETCH(bool, expected);
        BillingSubscription subscription;
        subscription.status = status;
        if (hasTrialEnd) {
            subscription.trialEnd = QDateTime::currentDateTimeUtc();
        }
        QCOMPARE(subscription.isTrialing(), expected);
    }
};

QTEST_GUILESS_MAIN(BillingTextsTest)
#include "tst_billingtexts.moc"
