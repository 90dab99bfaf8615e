#include "commandline.h"
#include "commandrunner.h"
#include "console.h"

#include <QCoreApplication>
#include <QTimer>

using namespace Tolvan;

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tolvan-cli"));
    Console console;

    const auto parsed = CommandLine::parse(QCoreApplication::arguments());
    if (const auto *finished = std::get_if<CommandLine::Finished>(&parsed)) {
        if (!finished->output.isEmpty()) {
            console.printResult(finished->output);
        }
        if (!finished->error.isEmpty()) {
            console.printError(finished->error);
        }
        if (!finished->usage.isEmpty()) {
            console.printNote(finished->usage);
        }
        return int(finished->status);
    }

    CommandRunner runner(std::get<Invocation>(parsed), console);
    // Inside the event loop, so that the command's end can end the loop.
    QTimer::singleShot(0, &application, [&runner] { runner.runAndQuit(); });
    return application.exec();
}
