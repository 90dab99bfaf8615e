#include "appoptions.h"
#include "credentialstoragefactory.h"
#include "globalshortcutsportal.h"
#include "servicebaseurl.h"
#include "singleinstance.h"
#include "tolvanapp.h"

#include <QApplication>
#include <QIcon>
#include <QQmlEngineExtensionPlugin>
#include <QQuickWindow>
#include <QTimer>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <memory>

Q_IMPORT_QML_PLUGIN(TolvanPlugin)

using namespace Tolvan;

namespace {

void printError(const QString &text)
{
    std::fprintf(stderr, "tolvan: %s\n", qPrintable(text));
}

// For the start-up benchmark: the moment the first frame is on screen,
// appended to the file TOLVAN_REPORT_FIRST_FRAME names.
void reportFirstFrame()
{
    const QString path = qEnvironmentVariable("TOLVAN_REPORT_FIRST_FRAME");
    if (path.isEmpty()) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (FILE *file = std::fopen(qPrintable(path), "a")) {
        std::fprintf(file, "first-frame %lld\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(file);
    }
}

// Runs `work` once the window this start opened has drawn its first frame,
// or at once when it opened none. A window that never draws (closed at once,
// or never exposed) does not hold it back for long.
void afterFirstFrame(QObject &owner, std::function<void()> work)
{
    QQuickWindow *shown = nullptr;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (auto *quick = qobject_cast<QQuickWindow *>(window); quick && quick->isVisible()) {
            shown = quick;
        }
    }
    if (!shown) {
        work();
        return;
    }
    constexpr int longestWaitMs = 2000;
    auto *pending = new QObject(&owner);
    auto done = std::make_shared<bool>(false);
    const auto finish = [pending, done, work = std::move(work)] {
        if (*done) {
            return;
        }
        *done = true;
        pending->deleteLater();
        work();
    };
    // Emitted on the render thread where there is one: `pending` brings it
    // back to this one.
    QObject::connect(shown, &QQuickWindow::frameSwapped, pending, finish);
    QObject::connect(shown, &QObject::destroyed, pending, finish);
    QTimer::singleShot(longestWaitMs, pending, finish);
}

// Qt Quick draws with its software renderer unless the environment names
// another: these flat screens need no GPU, and without the GL driver the app
// starts in half the time with a third of the memory.
void chooseSceneGraphBackend()
{
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") &&
        qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
}

// The icon font is installed as TTF, WOFF and WOFF2 under one family name,
// and Qt would take the WOFF2, which every start would then decompress. The
// font configuration the app uses leaves the web formats out.
void offerIconFontAsTrueType()
{
    static const FcChar8 rejectWebFormats[] =
        "<?xml version=\"1.0\"?><fontconfig><selectfont><rejectfont>"
        "<glob>*/material-design-icons-iconfont/*.woff</glob>"
        "<glob>*/material-design-icons-iconfont/*.woff2</glob>"
        "</rejectfont></selectfont></fontconfig>";
    FcConfig *config = FcInitLoadConfig();
    if (!config) {
        return;
    }
    if (FcConfigParseAndLoadFromMemory(config, rejectWebFormats, FcTrue) &&
        FcConfigBuildFonts(config)) {
        FcConfigSetCurrent(config);
    }
    FcConfigDestroy(config);
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("tolvan"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tolvan"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVAN_VERSION));
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index) {
        arguments.append(QString::fromLocal8Bit(argv[index]));
    }
    AppOptions options;
    const AppOptions::Outcome outcome = options.parse(arguments);
    const InstanceRequest request = options.request();
    // What needs no window runs without a display: `tolvan --help` and
    // `tolvan --quit` work anywhere. (A core application made before the GUI
    // one would leave the GUI one without its accessibility bridge.)
    if (outcome != AppOptions::Outcome::Run || request.action == InstanceRequest::Action::Quit) {
        QCoreApplication commandLine(argc, argv);
        nameApplication();
        switch (outcome) {
        case AppOptions::Outcome::ShowHelp:
            options.showHelp();
        case AppOptions::Outcome::ShowVersion:
            options.showVersion();
        case AppOptions::Outcome::UsageError:
            printError(options.errorText());
            return 2;
        case AppOptions::Outcome::Run:
            break;
        }
        // Ends the running instance; with none running there is nothing to do.
        SingleInstance::forward(SingleInstance::defaultSocketPath(), request);
        return 0;
    }

    offerIconFontAsTrueType();
    QApplication application(argc, argv);
    nameApplication();
    chooseSceneGraphBackend();
    QApplication::setDesktopFileName(QStringLiteral("app.tolvan.Tolvan"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    QString error;
    switch (instance.claimOrForward(request, &error)) {
    case SingleInstance::Outcome::Forwarded:
        return 0;
    case SingleInstance::Outcome::Failed:
        printError(error);
        return 1;
    case SingleInstance::Outcome::Primary:
        break;
    }

    const QUrl baseURL = ServiceBaseURL::fromEnvironment(&error);
    if (!baseURL.isValid()) {
        printError(error);
        return 1;
    }
    auto storage = CredentialStorageFactory::fromEnvironment(&error);
    if (!error.isEmpty()) {
        printError(error);
        return 1;
    }

    TolvanApp app(baseURL, std::move(storage));
    QObject::connect(&app.scenes(), &WindowScenes::failed, &application, [](const QString &text) {
        printError(text);
        QCoreApplication::exit(1);
    });
    QObject::connect(&instance, &SingleInstance::requestReceived, &app, &TolvanApp::handleRequest);
    GlobalShortcutsPortal desktopShortcuts;
    QObject::connect(&desktopShortcuts, &GlobalShortcutsPortal::requested, &app,
                     &TolvanApp::handleRequest);
    QTimer::singleShot(0, &app, [&app, &desktopShortcuts, request] {
        app.handleRequest(request);
        // What the first frame does not show waits until it is drawn.
        afterFirstFrame(app, [&app, &desktopShortcuts] {
            reportFirstFrame();
            QApplication::setWindowIcon(
                QIcon::fromTheme(QStringLiteral("app.tolvan.Tolvan"),
                                 QIcon(QStringLiteral(":/icons/app.tolvan.Tolvan.svg"))));
            app.showTrayIcon();
            desktopShortcuts.bind();
            // The start's transient allocations (compiling the window, loading
            // fonts) go back to the system: the app sits in the tray all day.
            malloc_trim(0);
        });
    });
    return application.exec();
}
