#include "console.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace Tolvan {

namespace {

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool wantsColours()
{
    // Any non-empty NO_COLOR turns colours off (no-color.org).
    return ::isatty(STDERR_FILENO) && qEnvironmentVariableIsEmpty("NO_COLOR") &&
           qEnvironmentVariable("TERM") != QLatin1String("dumb");
}

} // namespace

Console::Console()
    : m_isInteractive(::isatty(STDIN_FILENO))
    , m_colours(wantsColours())
{
}

void Console::printResult(const QString &text)
{
    write(stdout, text + QLatin1Char('\n'));
}

void Console::printJson(const nlohmann::json &document)
{
    write(stdout, QString::fromStdString(document.dump(2)) + QLatin1Char('\n'));
}

void Console::printError(const QString &text)
{
    const QString name = QStringLiteral("tolvan-cli:");
    const QString marked =
        m_colours ? QStringLiteral("\x1b[1;31m") + name + QStringLiteral("\x1b[0m") : name;
    write(stderr, marked + QLatin1Char(' ') + text + QLatin1Char('\n'));
}

void Console::printNote(const QString &text)
{
    write(stderr, text + QLatin1Char('\n'));
}

std::optional<QString> Console::readLine(const QString &prompt)
{
    showPrompt(prompt);
    std::string line;
    if (!std::getline(std::cin, line)) {
        // The message that follows starts a line of its own after the prompt.
        showPrompt(QStringLiteral("\n"));
        return std::nullopt;
    }
    return QString::fromStdString(line);
}

QString Console::readAll(const QString &prompt)
{
    showPrompt(prompt);
    const std::string text{std::istreambuf_iterator<char>(std::cin),
                           std::istreambuf_iterator<char>()};
    return QString::fromStdString(text);
}

void Console::showPrompt(const QString &prompt)
{
    if (m_isInteractive) {
        write(stderr, prompt);
    }
}

} // namespace Tolvan
