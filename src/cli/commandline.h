#pragma once

#include "exitstatus.h"
#include "invocation.h"

#include <QString>
#include <QStringList>

#include <variant>

namespace Tolvan {

// Reads the command line of tolvan-cli into an Invocation, or says what to
// print instead when there is nothing to run: the help of the tool or of a
// command, the version, or why the command line is wrong.
class CommandLine {
public:
    struct Finished {
        ExitStatus status = ExitStatus::Success;
        // For standard output: a help text or the version.
        QString output;
        // For standard error: what is wrong, and the usage that follows it.
        QString error;
        QString usage;
    };

    // `arguments` as the process received them, the program's name first.
    static std::variant<Invocation, Finished> parse(const QStringList &arguments);
};

} // namespace Tolvan
