#include "instancerequest.h"
#include "palette.h"
#include "pastetextview.h"
#include "popoverplacement.h"
#include "portalcolorscheme.h"
#include "windowgeometry.h"
#include "x11windowactivator.h"

#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;

class UIRulesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void popoverPlacement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("expected");
        // Available area: x 0..1000, y 40..800 (a panel on top).
        QTest::newRow("below, left-aligned")
            << QRect(100, 100, 80, 30) << QSize(300, 200) << QPoint(100, 134);
        QTest::newRow("near the right edge: pushed left")
            << QRect(900, 100, 80, 30) << QSize(300, 200) << QPoint(700, 134);
        QTest::newRow("wider than the area: its left edge")
            << QRect(900, 100, 80, 30) << QSize(1200, 200) << QPoint(0, 134);
        QTest::newRow("fits exactly at the bottom")
            << QRect(100, 566, 80, 30) << QSize(300, 200) << QPoint(100, 600);
        QTest::newRow("no room below: above, 4 from it")
            << QRect(100, 700, 80, 30) << QSize(300, 200) << QPoint(100, 496);
        QTest::newRow("no room either way: kept under the area's top")
            << QRect(100, 100, 80, 30) << QSize(300, 900) << QPoint(100, 40);
    }

    void popoverPlacement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QSize, size);
        QFETCH(QPoint, expected);
        QCOMPARE(PopoverPlacement::topLeft(anchor, size, QRect(0, 40, 1000, 760)), expected);
    }

    void paletteGivesEachTokenItsOwnValuePerAppearance()
    {
        const QMetaEnum tokens = QMetaEnum::fromType<ColorToken>();
        QCOMPARE(tokens.keyCount(), 12);
        for (int index = 0; index < tokens.keyCount(); ++index) {
            const auto token = ColorToken(tokens.value(index));
            QVERIFY(Palette::color(token, false).isValid());
            QVERIFY(Palette::color(token, true).isValid());
            QCOMPARE(Palette::tokenNamed(Palette::assetName(token)), token);
        }
        QCOMPARE(Palette::assetName(ColorToken::TextPrimary), QStringLiteral("TextPrimary"));
        QCOMPARE(Palette::tokenNamed(QStringLiteral("textPrimary")), std::nullopt);
        QVERIFY(Palette::color(ColorToken::Canvas, false).lightness() >
                Palette::color(ColorToken::Canvas, true).lightness());
        QVERIFY(Palette::color(ColorToken::TextPrimary, false).lightness() <
                Palette::color(ColorToken::TextPrimary, true).lightness());
    }

    void portalColorScheme_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<std::optional<bool>>("expected");
        const auto wrapped = [](const QVariant &value) {
            return QVariant::fromValue(QDBusVariant(value));
        };
        QTest::newRow("dark, as Read answers") << wrapped(wrapped(1u)) << std::optional(true);
        QTest::newRow("light, as SettingChanged says") << wrapped(2u) << std::optional(false);
        QTest::newRow("no preference") << wrapped(0u) << std::optional<bool>();
        QTest::newRow("a value the portal does not define") << wrapped(7u) << std::optional<bool>();
        QTest::newRow("not a number") << wrapped(QStringLiteral("dark")) << std::optional<bool>();
    }

    void portalColorScheme()
    {
        QFETCH(QVariant, value);
        QFETCH(std::optional<bool>, expected);
        QCOMPARE(PortalColorScheme::prefersDark(value), expected);
    }

    void pasteFiresOnceAndOnlyWhenTheTextChanged()
    {
        PasteTextView view;
        QSignalSpy pasted(&view, &PasteTextView::pasted);

        view.beginPaste();
        view.endPaste();
        QCOMPARE(pasted.count(), 0);

        // The platform runs a paste inside the paste: one report, at the end.
        view.beginPaste();
        view.beginPaste();
        view.noteEdit();
        view.endPaste();
        QCOMPARE(pasted.count(), 0);
        view.noteEdit();
        view.endPaste();
        QCOMPARE(pasted.count(), 1);
        QCOMPARE(view.pasteDepth(), 0);

        view.noteEdit();
        view.endPaste();
        QCOMPARE(pasted.count(), 1);
    }

    void instanceRequestsCrossTheSocketIntact()
    {
        using Action = InstanceRequest::Action;
        for (const Action action :
             {Action::Open, Action::OpenInBackground, Action::OpenSettings, Action::Quit,
              Action::TranslateClipboard, Action::ImproveClipboard}) {
            const InstanceRequest request{action, QStringLiteral("token_TIME123")};
            const QByteArray line = request.encoded();
            QVERIFY(line.endsWith('\n'));
            QCOMPARE(line.count('\n'), 1);
            QCOMPARE(InstanceRequest::decode(line), request);
        }
        for (const QByteArray &line : {QByteArray("open\n"), QByteArray(R"({"action":"reboot"})"),
                                       QByteArray(R"({"action":7})"),
                                       QByteArray(R"({"action":"open","activationToken":1})")}) {
            QCOMPARE(InstanceRequest::decode(line), std::nullopt);
        }
    }

    void startupIDTime()
    {
        QCOMPARE(X11WindowActivator::timeOfStartupID(QStringLiteral("openbox-12-host_TIME4567")),
                 4567u);
        QCOMPARE(X11WindowActivator::timeOfStartupID(QStringLiteral("wayland-token")), 0u);
        QCOMPARE(X11WindowActivator::timeOfStartupID(QStringLiteral("x_TIME99999999999")), 0u);
    }

    void windowGeometryFitsTheScreen_data()
    {
        QTest::addColumn<std::optional<QRect>>("remembered");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("nothing remembered: 960 × 600, centred")
            << std::optional<QRect>() << QRect(320, 220, 960, 600);
        QTest::newRow("remembered and inside")
            << std::optional(QRect(10, 20, 800, 500)) << QRect(10, 20, 800, 500);
        QTest::newRow("larger than the screen")
            << std::optional(QRect(0, 0, 3000, 2000)) << QRect(0, 0, 1600, 1040);
        QTest::newRow("off the screen: moved back")
            << std::optional(QRect(1500, 900, 800, 500)) << QRect(800, 540, 800, 500);
        QTest::newRow("below the minimum")
            << std::optional(QRect(10, 20, 300, 200)) << QRect(10, 20, 720, 440);
    }

    void windowGeometryFitsTheScreen()
    {
        QFETCH(std::optional<QRect>, remembered);
        QFETCH(QRect, expected);
        QCOMPARE(WindowGeometry::fitted(remembered, QRect(0, 0, 1600, 1040), QSize(720, 440)),
                 expected);
    }
};

QTEST_GUILESS_MAIN(UIRulesTest)
#include "tst_uirules.moc"
