#include "sandbox.h"
#include "sandboxoptions.h"
#include "stopsignals.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Tolvan;

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tolvan-sandbox"));
    const SandboxOptions options = SandboxOptions::fromCommandLine(application);

    Sandbox sandbox(options);
    // The outbox: whoever started the sandbox reads the codes from its output.
    QObject::connect(&sandbox, &Sandbox::codeMailed, [](const QString &email, const QString &code) {
        std::printf("sign-in code for %s: %s\n", qPrintable(email), qPrintable(code));
        std::fflush(stdout);
    });
    QString error;
    if (!sandbox.start(&error)) {
        std::fprintf(stderr, "tolvan-sandbox: %s\n", qPrintable(error));
        return 1;
    }
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &application,
                     &QCoreApplication::quit);

    std::printf("listening on %s\n", qPrintable(sandbox.baseURL().toString()));
    std::fflush(stdout);
    std::fprintf(stderr, "billing pages on %s (self-signed certificate in %s)\n",
                 qPrintable(sandbox.pagesURL().toString()), qPrintable(options.dataFolder));
    return application.exec();
}
