#include "commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <algorithm>
#include <optional>

namespace Tolvan {

namespace {

const QString globalSynopsis = QStringLiteral("tolvan-cli [--base-url URL] [--json]");

// The words of TEXT..., or none when standard input is to be read.
std::optional<QString> textOf(const QStringList &words)
{
    if (words.isEmpty() || words == QStringList{QStringLiteral("-")}) {
        return std::nullopt;
    }
    return words.join(QLatin1Char(' '));
}

// Fills the fields of `invocation` that the command reads; the usage error, if any.
class CommandReader {
public:
    CommandReader(const QCommandLineParser &parser, Invocation &invocation)
        : m_parser(parser)
        , m_words(parser.positionalArguments())
        , m_invocation(invocation)
    {
    }

    template<Command command>
    std::optional<QString> plain()
    {
        m_invocation.command = command;
        return atMost(0);
    }

    std::optional<QString> login()
    {
        m_invocation.command = Command::Login;
        if (!m_words.isEmpty()) {
            m_invocation.address = m_words.first();
        }
        m_invocation.code = value(QStringLiteral("code"));
        return atMost(1);
    }

    std::optional<QString> translate()
    {
        m_invocation.command = Command::Translate;
        m_invocation.from = value(QStringLiteral("from"));
        const auto to = value(QStringLiteral("to"));
        if (!to) {
            return QStringLiteral("The option --to is required.");
        }
        m_invocation.to = *to;
        m_invocation.text = textOf(m_words);
        return std::nullopt;
    }

    std::optional<QString> improve()
    {
        m_invocation.command = Command::Improve;
        m_invocation.text = textOf(m_words);
        return std::nullopt;
    }

    std::optional<QString> history()
    {
        const QString action = m_words.value(0);
        const bool listing = action.isEmpty();
        const bool filtering = m_parser.isSet(QStringLiteral("type")) ||
                               m_parser.isSet(QStringLiteral("search")) ||
                               m_parser.isSet(QStringLiteral("page"));
        if (!listing && filtering) {
            return QStringLiteral("--type, --search and --page apply only to the list.");
        }
        const bool confirmed = m_parser.isSet(QStringLiteral("yes"));
        if (action != QLatin1String("clear") && confirmed) {
            return QStringLiteral("--yes applies only to history clear.");
        }
        if (listing) {
            return historyList();
        }
        if (action == QLatin1String("show") || action == QLatin1String("delete")) {
            m_invocation.command =
                action == QLatin1String("show") ? Command::HistoryShow : Command::HistoryDelete;
            bool isNumber = false;
            m_invocation.entryID = m_words.value(1).toLongLong(&isNumber);
            if (m_words.size() < 2 || !isNumber) {
                return QStringLiteral("history %1 needs the ID of an entry, a whole number.")
                    .arg(action);
            }
            return atMost(2);
        }
        if (action == QLatin1String("clear")) {
            m_invocation.command = Command::HistoryClear;
            if (!confirmed) {
                return QStringLiteral("This permanently deletes all translation and writing "
                                      "history from your account. Add --yes to confirm.");
            }
            return atMost(1);
        }
        return QStringLiteral("Unknown history action '%1'.").arg(action);
    }

    std::optional<QString> historyList()
    {
        m_invocation.command = Command::History;
        if (const auto type = value(QStringLiteral("type"))) {
            m_invocation.type = fromRawValue<HistoryKind>(*type);
            if (!m_invocation.type) {
                return QStringLiteral("--type is translation or writing (it is \"%1\").")
                    .arg(*type);
            }
        }
        m_invocation.search = value(QStringLiteral("search"));
        if (const auto page = value(QStringLiteral("page"))) {
            bool isNumber = false;
            m_invocation.page = page->toLongLong(&isNumber);
            if (!isNumber || m_invocation.page < 1) {
                return QStringLiteral("--page is a whole number from 1 (it is \"%1\").").arg(*page);
            }
        }
        return std::nullopt;
    }

    std::optional<QString> checkout()
    {
        m_invocation.command = Command::Checkout;
        m_invocation.open = m_parser.isSet(QStringLiteral("open"));
        if (!m_words.isEmpty()) {
            m_invocation.plan = fromRawValue<BillingPlanID>(m_words.first());
            if (!m_invocation.plan) {
                return QStringLiteral("The plan is monthly or annual (it is \"%1\").")
                    .arg(m_words.first());
            }
        }
        return atMost(1);
    }

    std::optional<QString> portal()
    {
        m_invocation.command = Command::Portal;
        m_invocation.open = m_parser.isSet(QStringLiteral("open"));
        return atMost(0);
    }

    std::optional<QString> value(const QString &option) const
    {
        if (!m_parser.isSet(option)) {
            return std::nullopt;
        }
        return m_parser.value(option);
    }

    std::optional<QString> atMost(qsizetype count) const
    {
        if (m_words.size() > count) {
            return QStringLiteral("Unexpected argument '%1'.").arg(m_words.at(count));
        }
        return std::nullopt;
    }

private:
    const QCommandLineParser &m_parser;
    const QStringList m_words;
    Invocation &m_invocation;
};

struct CommandEntry {
    QString name;
    // The usage lines after the command's name; history has several.
    QStringList forms;
    QString summary;
    QString description;
    QList<QCommandLineOption> options;
    // Reads the command's arguments.
    std::optional<QString> (CommandReader::*read)();
};

QCommandLineOption helpOption()
{
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("Show this help."));
}

QCommandLineOption openOption()
{
    return QCommandLineOption(QStringLiteral("open"),
                              QStringLiteral("Also open the link in the web browser."));
}

const QList<CommandEntry> &commandEntries()
{
    static const QList<CommandEntry> specs{
        {QStringLiteral("login"),
         {QStringLiteral("[ADDRESS] [--code CODE]")},
         QStringLiteral("Sign in with a code that the service mails to ADDRESS."),
         QStringLiteral(
             "Asks the service to mail a sign-in code to ADDRESS (asked for when absent), then\n"
             "reads the code from --code, or else from one line of standard input, signs in\n"
             "and prints the signed-in address. The session is kept where the desktop app\n"
             "keeps it, so signing in once serves both."),
         {QCommandLineOption(QStringLiteral("code"), QStringLiteral("The code from the e-mail."),
                             QStringLiteral("CODE"))},
         &CommandReader::login},
        {QStringLiteral("logout"),
         {QString()},
         QStringLiteral("Sign out here and revoke the session on the server."),
         QStringLiteral("Signs out on this machine, then waits for the server to revoke the "
                        "session."),
         {},
         &CommandReader::plain<Command::Logout>},
        {QStringLiteral("status"),
         {QString()},
         QStringLiteral("Print the signed-in address and the subscription state."),
         QStringLiteral("Prints the signed-in address, or \"Not signed in\", then the plan and\n"
                        "the state of the subscription."),
         {},
         &CommandReader::plain<Command::Status>},
        {QStringLiteral("languages"),
         {QString()},
         QStringLiteral("Print the languages on offer."),
         QStringLiteral("Prints the languages that the service translates, in its order, one\n"
                        "line each: the code, a tab, the name."),
         {},
         &CommandReader::plain<Command::Languages>},
        {QStringLiteral("translate"),
         {QStringLiteral("[--from CODE] --to CODE [TEXT...]")},
         QStringLiteral("Translate TEXT, or standard input, into the language CODE."),
         QStringLiteral(
             "Translates TEXT, its words joined by single spaces, or all of standard input as\n"
             "it is when no TEXT (or \"-\") is given, and prints the translation. Without\n"
             "--from, the source language is the one chosen last, or else English, or else\n"
             "the first on offer."),
         {QCommandLineOption(QStringLiteral("from"), QStringLiteral("The language of the text."),
                             QStringLiteral("CODE")),
          QCommandLineOption(QStringLiteral("to"),
                             QStringLiteral("The language to translate into (required)."),
                             QStringLiteral("CODE"))},
         &CommandReader::translate},
        {QStringLiteral("improve"),
         {QStringLiteral("[TEXT...]")},
         QStringLiteral("Improve the writing of TEXT, or of standard input."),
         QStringLiteral(
             "Improves TEXT, its words joined by single spaces, or all of standard input as it\n"
             "is when no TEXT (or \"-\") is given, and prints the improved text."),
         {},
         &CommandReader::improve},
        {QStringLiteral("history"),
         {QStringLiteral("[--type translation|writing] [--search TEXT] [--page N]"),
          QStringLiteral("show ID"), QStringLiteral("delete ID"), QStringLiteral("clear --yes")},
         QStringLiteral("List, show, delete or clear the history."),
         QStringLiteral(
             "Lists the past translations and improvements, newest day first, 20 entries a\n"
             "page: each entry's ID, kind, languages, time and text. \"history show ID\" prints\n"
             "one entry in full, \"history delete ID\" deletes it, and \"history clear --yes\"\n"
             "deletes the whole history."),
         {QCommandLineOption(QStringLiteral("type"),
                             QStringLiteral("Only translations or only writing."),
                             QStringLiteral("KIND")),
          QCommandLineOption(QStringLiteral("search"),
                             QStringLiteral("Only the entries that contain TEXT."),
                             QStringLiteral("TEXT")),
          QCommandLineOption(QStringLiteral("page"), QStringLiteral("The page to list (1 first)."),
                             QStringLiteral("N")),
          QCommandLineOption(QStringLiteral("yes"),
                             QStringLiteral("Confirm that history clear deletes everything."))},
         &CommandReader::history},
        {QStringLiteral("plans"),
         {QString()},
         QStringLiteral("Print the plans on offer."),
         QStringLiteral("Prints each plan on offer, one line each: its name, its price and its\n"
                        "free trial, separated by tabs."),
         {},
         &CommandReader::plain<Command::Plans>},
        {QStringLiteral("checkout"),
         {QStringLiteral("[monthly|annual] [--open]")},
         QStringLiteral("Print the checkout link for a plan."),
         QStringLiteral("Prints the link to the checkout page of the monthly or the annual plan\n"
                        "(without one, of the plan that the app selects). The free trial starts\n"
                        "on that page."),
         {openOption()},
         &CommandReader::checkout},
        {QStringLiteral("portal"),
         {QStringLiteral("[--open]")},
         QStringLiteral("Print the link that manages the subscription."),
         QStringLiteral("Prints the link to the page where the subscription is managed."),
         {openOption()},
         &CommandReader::portal},
    };
    return specs;
}

const CommandEntry *findEntry(const QString &name)
{
    const auto &specs = commandEntries();
    const auto found =
        std::find_if(specs.cbegin(), specs.cend(),
                     [&name](const CommandEntry &entry) { return entry.name == name; });
    return found == specs.cend() ? nullptr : &*found;
}

QString formOf(const CommandEntry &entry, const QString &form)
{
    return form.isEmpty() ? entry.name : entry.name + QLatin1Char(' ') + form;
}

QString usageOf(const CommandEntry &entry)
{
    QStringList lines;
    for (const QString &form : entry.forms) {
        lines.append((lines.isEmpty() ? QStringLiteral("Usage: ") : QStringLiteral("       ")) +
                     globalSynopsis + QLatin1Char(' ') + formOf(entry, form));
    }
    return lines.join(QLatin1Char('\n'));
}

QString overviewUsage()
{
    return QStringLiteral("Usage: ") + globalSynopsis + QStringLiteral(" COMMAND [ARGS]");
}

// Two columns: each option's names and value, then its description.
QString optionTable(const QList<QCommandLineOption> &options)
{
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption &option : options) {
        QStringList names;
        for (const QString &name : option.names()) {
            names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        }
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty()) {
            left += QLatin1Char(' ') + option.valueName();
        }
        rows.append({left, option.description()});
    }
    qsizetype width = 0;
    for (const auto &row : rows) {
        width = std::max(width, row.first.size());
    }
    QStringList lines;
    for (const auto &[left, description] : rows) {
        lines.append(QStringLiteral("  ") + left.leftJustified(width + 2) + description);
    }
    return lines.join(QLatin1Char('\n'));
}

QString overview(const QList<QCommandLineOption> &globalOptions)
{
    QString text =
        overviewUsage() + QStringLiteral("\n\nTranslate and improve text with the Tolvan service "
                                         "from a terminal or a script.\n"
                                         "Signs in and remembers choices the way the desktop app "
                                         "does.\n\nCommands:\n");
    for (const CommandEntry &entry : commandEntries()) {
        for (const QString &form : entry.forms) {
            text += QStringLiteral("  ") + formOf(entry, form) + QLatin1Char('\n');
        }
        text += QStringLiteral("      ") + entry.summary + QLatin1Char('\n');
    }
    text +=
        QStringLiteral("\nOptions:\n") + optionTable(globalOptions) +
        QStringLiteral("\n\nRun \"tolvan-cli COMMAND --help\" for a command's own options.\n\n"
                       "Exit status: 0 success; 1 the request or the input failed; 2 usage error;\n"
                       "3 not signed in, session expired or rejected (HTTP 401); 4 subscription "
                       "required.");
    return text;
}

QString commandHelp(const CommandEntry &entry)
{
    QList<QCommandLineOption> options = entry.options;
    options.append(helpOption());
    return usageOf(entry) + QStringLiteral("\n\n") + entry.description +
           QStringLiteral("\n\nOptions:\n") + optionTable(options);
}

CommandLine::Finished usageError(const QString &error, const QString &usage)
{
    return {.status = ExitStatus::Usage, .error = error, .usage = usage};
}

} // namespace

std::variant<Invocation, CommandLine::Finished> CommandLine::parse(const QStringList &arguments)
{
    const QCommandLineOption baseURL(
        QStringLiteral("base-url"),
        QStringLiteral("The service's address; overrides TOLVAN_BASE_URL."), QStringLiteral("URL"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON document instead of text."));
    const QCommandLineOption help = helpOption();
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    const QList<QCommandLineOption> globalOptions{baseURL, json, help, version};
    const QString overviewHint =
        overviewUsage() + QStringLiteral("\nRun \"tolvan-cli --help\" for the commands.");

    QCommandLineParser parser;
    // Everything from the command's name on belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addOptions(globalOptions);
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText(), overviewHint);
    }
    if (parser.isSet(help)) {
        return Finished{.output = overview(globalOptions)};
    }
    if (parser.isSet(version)) {
        return Finished{.output =
                            QStringLiteral("tolvan-cli %1").arg(QStringLiteral(TOLVAN_VERSION))};
    }
    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        return usageError(QStringLiteral("No command given."), overviewHint);
    }
    const QString name = rest.takeFirst();
    const CommandEntry *entry = findEntry(name);
    if (!entry) {
        return usageError(QStringLiteral("Unknown command '%1'.").arg(name), overviewHint);
    }

    QCommandLineParser commandParser;
    commandParser.addOptions(entry->options);
    commandParser.addOption(help);
    if (!commandParser.parse(QStringList{arguments.value(0)} + rest)) {
        return usageError(commandParser.errorText(), usageOf(*entry));
    }
    if (commandParser.isSet(help)) {
        return Finished{.output = commandHelp(*entry)};
    }
    Invocation invocation;
    invocation.json = parser.isSet(json);
    if (parser.isSet(baseURL)) {
        invocation.baseURL = parser.value(baseURL);
    }
    CommandReader reader(commandParser, invocation);
    if (const auto error = (reader.*entry->read)()) {
        return usageError(*error, usageOf(*entry));
    }
    return invocation;
}

} // namespace Tolvan
