#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

namespace Tolvan {

// The process's standard streams: results on standard output, messages and
// prompts on standard error, input from standard input. Prompts appear only
// when standard input is a terminal; failures are marked in colour only on a
// terminal and never when NO_COLOR is set.
class Console {
public:
    Console();

    // One result, followed by one newline.
    void printResult(const QString &text);
    void printJson(const nlohmann::json &document);
    // A failure, with the program's name before it.
    void printError(const QString &text);
    // A line that explains or follows a result or a failure.
    void printNote(const QString &text);

    // One line of standard input, without its line break; none at its end.
    // `prompt` is shown first on a terminal.
    std::optional<QString> readLine(const QString &prompt);
    // All of standard input as it is. `prompt` is shown first on a terminal.
    QString readAll(const QString &prompt);

private:
    void showPrompt(const QString &prompt);

    bool m_isInteractive;
    bool m_colours;
};

} // namespace Tolvan
