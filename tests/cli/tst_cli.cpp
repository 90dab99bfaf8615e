#include "sandboxcontrol.h"
#include "sandboxprocess.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

using namespace Tolvan;

namespace {

// What one run of tolvan-cli did; the exit code is -1 when it crashed or hung.
struct CliRun {
    int exitCode = -1;
    QString output;
    QString error;
};

CliRun finish(QProcess &process)
{
    if (!process.waitForFinished(60'000)) {
        process.kill();
        process.waitForFinished();
    }
    return {.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            .output = QString::fromUtf8(process.readAllStandardOutput()),
            .error = QString::fromUtf8(process.readAllStandardError())};
}

// tolvan-cli as a child process with a configuration folder and a session file
// of its own (no keyring), against one service.
class CliHome {
public:
    explicit CliHome(QUrl baseURL)
        : m_baseURL(std::move(baseURL))
    {
    }

    QString folder() const { return m_folder.path(); }
    QString sessionPath() const { return m_folder.filePath("session.json"); }

    // `environment` adds "NAME=VALUE" entries, or removes "NAME". On a terminal
    // (through script(1)), standard output and standard error arrive together
    // in `output`, with the terminal's line ends.
    CliRun run(const QStringList &arguments, const QByteArray &input = {},
               const QStringList &environment = {}, bool onTerminal = false) const
    {
        QProcess process;
        start(process, arguments, environment, onTerminal);
        process.write(input);
        process.closeWriteChannel();
        return finish(process);
    }

    // `login email`, typing the code once the sandbox's outbox shows it.
    CliRun signIn(Test::SandboxControl &sandbox, const QString &email) const
    {
        // Only a code mailed after the start will do: an earlier one is used up.
        const QString earlier = sandbox.outboxCode(email);
        QProcess process;
        start(process, {"login", email});
        QString code;
        const bool mailed = QTest::qWaitFor(
            [&] {
                code = sandbox.outboxCode(email);
                return !code.isEmpty() && code != earlier;
            },
            10'000);
        process.write(mailed ? code.toUtf8() + '\n' : QByteArray());
        process.closeWriteChannel();
        return finish(process);
    }

private:
    void start(QProcess &process, const QStringList &arguments, const QStringList &changes = {},
               bool onTerminal = false) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", m_folder.filePath("config"));
        environment.insert("XDG_DATA_HOME", m_folder.filePath("data"));
        environment.insert("TOLVAN_CREDENTIAL_STORE", "file:" + sessionPath());
        environment.insert("TOLVAN_BASE_URL", m_baseURL.toString());
        for (const QString &change : changes) {
            const qsizetype equals = change.indexOf('=');
            if (equals < 0) {
                environment.remove(change);
            } else {
                environment.insert(change.left(equals), change.mid(equals + 1));
            }
        }
        process.setProcessEnvironment(environment);
        if (!onTerminal) {
            process.start(TOLVAN_CLI_EXECUTABLE, arguments);
            return;
        }
        QStringList command{TOLVAN_CLI_EXECUTABLE};
        for (const QString &argument : arguments) {
            command.append('\'' + argument + '\'');
        }
        process.start("script",
                      {"--quiet", "--return", "--command", command.join(' '), "/dev/null"});
    }

    QTemporaryDir m_folder;
    QUrl m_baseURL;
};

// One run of tolvan-cli and what it should do.
struct Command {
    QStringList arguments;
    QByteArray input;
    // "NAME=VALUE" to set, "NAME" to remove.
    QStringList environment;
    // Injected into the sandbox before the run, when not null.
    nlohmann::json fault;
    // Run as the shared account, which is signed in and subscribed.
    bool signedIn = false;
    bool onTerminal = false;
    int exitCode = 0;
    QString output;
    // Standard error after "tolvan-cli: ", or nothing when empty.
    QString error;
};

nlohmann::json parsed(const QString &output)
{
    return nlohmann::json::parse(output.toStdString(), nullptr, false);
}

QString text(const nlohmann::json &value)
{
    return QString::fromStdString(value.get<std::string>());
}

QStringList lines(const QString &output)
{
    QStringList all = output.split(QLatin1Char('\n'));
    if (all.last().isEmpty()) {
        all.removeLast();
    }
    return all;
}

// The list's entry rows, without the day headings.
QList<QStringList> rows(const QString &output)
{
    QList<QStringList> found;
    for (const QString &line : lines(output)) {
        if (line.contains(QLatin1Char('\t'))) {
            found.append(line.split(QLatin1Char('\t')));
        }
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Command)

// tolvan-cli as a process against tolvan-sandbox: each command, its output,
// its messages and its exit status.
class CliTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_sandbox.start(), qPrintable(m_sandbox.errorString()));
        m_control = std::make_unique<Test::SandboxControl>(m_sandbox.baseURL(),
                                                           m_sandbox.certificatePath());
        // One subscribed account for the cases that do not change its state.
        m_account = std::make_unique<CliHome>(m_sandbox.baseURL());
        QCOMPARE(m_account->signIn(*m_control, accountEmail).exitCode, 0);
        subscribe(accountEmail);
        m_accessToken = m_control->signIn(accountEmail).accessToken;
        QVERIFY(!m_accessToken.isEmpty());
    }

    void cleanup() { m_control->clearFaults(); }

    void cleanupTestCase() { QCOMPARE(m_sandbox.stop(), 0); }

    void commands_data()
    {
        QTest::addColumn<Command>("command");
        const auto row = [](const char *name, const Command &command) {
            QTest::newRow(name) << command;
        };
        row("help", {.arguments = {"--help"},
                     .output = "Usage: tolvan-cli [--base-url URL] [--json] COMMAND [ARGS]\n"});
        row("version", {.arguments = {"--version"}, .output = "tolvan-cli " TOLVAN_VERSION "\n"});

        const auto usage = [&](const char *name, const QStringList &arguments, const char *error,
                               const QStringList &environment = {}) {
            row(name, {.arguments = arguments,
                       .environment = environment,
                       .exitCode = 2,
                       .error = QString::fromUtf8(error)});
        };
        usage("no command", {}, "No command given.");
        usage("unknown command", {"frobnicate"}, "Unknown command 'frobnicate'.");
        usage("global option after the command", {"status", "--json"}, "Unknown option 'json'.");
        usage("translate without a target", {"translate", "Hello"}, "The option --to is required.");
        usage("clear without --yes", {"history", "clear"},
              "This permanently deletes all translation and writing history from "
              "your account. "
              "Add --yes to confirm.");
        usage("entry ID not a number", {"history", "delete", "first"},
              "history delete needs the ID of an entry, a whole number.");
        usage("unknown kind", {"history", "--type", "poems"},
              "--type is translation or writing (it is \"poems\").");
        usage("page zero", {"history", "--page", "0"},
              "--page is a whole number from 1 (it is \"0\").");
        usage("filter on an action", {"history", "show", "1", "--search", "x"},
              "--type, --search and --page apply only to the list.");
        usage("unknown plan", {"checkout", "weekly"},
              "The plan is monthly or annual (it is \"weekly\").");
        // Settings are checked before anything else, each named in its message.
        usage("plain http to another machine", {"--base-url", "http://example.com/", "status"},
              "--base-url may use plain http only for this machine");
        usage("credential store malformed", {"status"}, "TOLVAN_CREDENTIAL_STORE must be",
              {"TOLVAN_CREDENTIAL_STORE=session.json"});

        row("status", {.arguments = {"status"}, .exitCode = 3, .output = "Not signed in\n"});
        row("status as JSON", {.arguments = {"--json", "status"},
                               .exitCode = 3,
                               .output = "{\n  \"signed_in\": false\n}\n"});
        for (const char *command :
             {"languages", "translate --to es Hello", "improve a", "history", "history show 1",
              "history delete 1", "history clear --yes", "plans", "checkout", "portal"}) {
            row(command, {.arguments = QString::fromLatin1(command).split(QLatin1Char(' ')),
                          .exitCode = 3,
                          .error = "Not signed in"});
        }
        // The service turns a wrong code down with 401.
        row("wrong code", {.arguments = {"login", "nobody@example.com", "--code", "0000000"},
                           .exitCode = 3,
                           .error = "The sign-in code is wrong."});

        // On a terminal, standard error comes with standard output, in colour
        // unless NO_COLOR is set; Ctrl+D ends the input.
        const QStringList translate{"translate", "--to", "es", "Hello"};
        const auto terminal = [&](const char *name, const QStringList &arguments,
                                  const QByteArray &input, const QStringList &environment,
                                  int exitCode, const char *output) {
            row(name, {.arguments = arguments,
                       .input = input,
                       .environment = environment,
                       .onTerminal = true,
                       .exitCode = exitCode,
                       .output = QString::fromUtf8(output)});
        };
        terminal("failure in colour", translate, {}, {"TERM=xterm", "NO_COLOR"}, 3,
                 "\x1b[1;31mtolvan-cli:\x1b[0m Not signed in\r\n");
        terminal("NO_COLOR", translate, {}, {"TERM=xterm", "NO_COLOR=1"}, 3,
                 "tolvan-cli: Not signed in\r\n");
        terminal("prompt", {"login"}, "\x04", {"NO_COLOR=1"}, 1,
                 "Email address: \r\ntolvan-cli: Enter a valid email address.\r\n");

        // The shared account: signed in and subscribed. Requests the stores turn
        // down themselves fail with 1; the service's answers decide the rest.
        const auto signedIn = [&](const char *name, const QStringList &arguments,
                                  const QByteArray &input, const nlohmann::json &fault,
                                  int exitCode, const QString &error) {
            row(name, {.arguments = arguments,
                       .input = input,
                       .fault = fault,
                       .signedIn = true,
                       .exitCode = exitCode,
                       .error = error});
        };
        signedIn(
            "already signed in", {"login", "someone-else@example.com"}, {}, nullptr, 1,
            "Already signed in as cli@example.com. Sign out first with \"tolvan-cli logout\".");
        signedIn("blank text", {"translate", "--to", "es"}, " \n\t", nullptr, 1,
                 "Enter text to translate…");
        const QStringList translateHi{"translate", "--from", "en", "--to", "es", "Hi"};
        signedIn("401 answer", translateHi, {}, {{"path", "api/translate"}, {"status", 401}}, 3,
                 "Your session was rejected. Please sign out and sign in again.");
        // The message, then the link to the plans on a line of its own.
        signedIn("translation needs a subscription", translateHi, {},
                 {{"path", "api/translate"},
                  {"status", 402},
                  {"body",
                   {{"error", {{"code", "subscription_required"}, {"detail", "Pay first."}}},
                    {"billing_url", "https://billing.example/plans"}}}},
                 4, "Pay first.\nhttps://billing.example/plans");
    }

    void commands()
    {
        QFETCH(Command, command);

        if (!command.fault.is_null()) {
            QCOMPARE(m_control->injectFault(command.fault).status, 204);
        }
        const CliHome signedOut(m_sandbox.baseURL());
        const CliHome &home = command.signedIn ? *m_account : signedOut;
        const CliRun run =
            home.run(command.arguments, command.input, command.environment, command.onTerminal);
        QCOMPARE(run.exitCode, command.exitCode);
        // Help is long: its start stands for it.
        QVERIFY2(command.exitCode == 0 ? run.output.startsWith(command.output)
                                       : run.output == command.output,
                 qPrintable(run.output));
        if (command.exitCode == 2) {
            // The start of the message stands for it; the usage may follow.
            QVERIFY2(run.error.startsWith("tolvan-cli: " + command.error), qPrintable(run.error));
        } else {
            QCOMPARE(run.error,
                     command.error.isEmpty() ? QString() : "tolvan-cli: " + command.error + '\n');
        }
    }

    void workspaces_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        // The text the service is asked to translate from English to Spanish,
        // or to improve.
        QTest::addColumn<QString>("sent");
        const auto row = [](const char *name, const QStringList &arguments, const char *input,
                            const char *sent) {
            QTest::newRow(name) << arguments << QByteArray(input) << QString::fromUtf8(sent);
        };
        const QStringList translate{"translate", "--from", "en", "--to", "es"};
        row("translate words", translate + QStringList{"Hello", "world."}, "", "Hello world.");
        row("translate standard input as it is", translate, "  Good morning.\nHow are you?\n",
            "  Good morning.\nHow are you?\n");
    }

    void workspaces()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, sent);

        const CliRun run = m_account->run(arguments, input);
        QCOMPARE(run.error, QString());
        QCOMPARE(run.exitCode, 0);
        // Exactly what the service answered, untrimmed, and one newline.
        QCOMPARE(run.output, serviceAnswer(arguments.first(), sent) + QLatin1Char('\n'));
    }

    void translationAsJson()
    {
        const CliRun run =
            m_account->run({"--json", "translate", "--from", "en", "--to", "es", "Good", "night"});
        QCOMPARE(run.exitCode, 0);
        const nlohmann::json document = parsed(run.output);
        QCOMPARE(text(document["text"]), serviceAnswer("translate", "Good night"));
        QCOMPARE(text(document["target_language"]), QStringLiteral("es"));
    }

    void historyListsFiltersSearchesShowsDeletesAndClears()
    {
        const CliHome home(m_sandbox.baseURL());
        const QString email = QStringLiteral("history@example.com");
        QCOMPARE(home.signIn(*m_control, email).exitCode, 0);
        subscribe(email);
        QCOMPARE(home.run({"translate", "--from", "en", "--to", "es", "Good morning"}).exitCode, 0);
        QCOMPARE(home.run({"translate", "--from", "es", "--to", "fr", "Buenas noches"}).exitCode,
                 0);
        // On one line in the list, in full when shown.
        QCOMPARE(home.run({"improve"}, "a draft\tto\nimprove").exitCode, 0);

        CliRun run = home.run({"history"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(lines(run.output).value(0), QStringLiteral("Today"));
        const QList<QStringList> listed = rows(run.output);
        QCOMPARE(listed.size(), 3);
        QCOMPARE(listed[0].value(1), QStringLiteral("writing"));
        QCOMPARE(listed[0].value(4), QStringLiteral("a draft to improve"));
        QCOMPARE(listed[1].value(2), QStringLiteral("es → fr"));

        const QList<QStringList> found =
            rows(home.run({"history", "--type", "translation", "--search", "noches"}).output);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].value(4), QStringLiteral("Buenas noches"));
        run = home.run({"history", "--search", "nothing like it"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QString());
        QCOMPARE(run.error, QStringLiteral("No matching entries\n"));

        const QString writingID = listed[0].value(0);
        run = home.run({"history", "show", writingID});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.contains(QStringLiteral("Source:\na draft\tto\nimprove\nResult:\n")),
                 qPrintable(run.output));

        run = home.run({"history", "delete", writingID});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QString());
        QCOMPARE(rows(home.run({"history"}).output).size(), 2);

        run = home.run({"history", "clear", "--yes"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.error, QString());
        run = home.run({"history"});
        QCOMPARE(run.output, QString());
        QCOMPARE(run.error, QStringLiteral("No history yet\n"));
    }

    void plansCheckoutAndPortal()
    {
        const CliHome home(m_sandbox.baseURL());
        const QString email = QStringLiteral("billing@example.com");
        // Without a terminal nothing is prompted: standard error stays empty.
        CliRun run = home.signIn(*m_control, email);
        QCOMPARE(run.error, QString());
        QCOMPARE(run.output, email + '\n');
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(home.run({"status"}).output,
                 email + "\nTolvan Free\nUpgrade to translate and improve text\n");

        run = home.run({"plans"});
        QCOMPARE(run.exitCode, 0);
        const QList<QStringList> plans = rows(run.output);
        QCOMPARE(plans.size(), 2);
        QCOMPARE(plans[0].value(0), QStringLiteral("Monthly"));
        QCOMPARE(plans[1].value(2), QStringLiteral("7-day free trial"));

        // Without a plan, the store's selection: annual.
        const QString annual = link(home.run({"checkout"}));
        const QString monthly = link(home.run({"checkout", "monthly"}));
        QVERIFY(annual.startsWith("https://") && monthly.startsWith("https://"));
        QVERIFY(monthly != annual);

        QVERIFY(link(home.run({"portal"})).startsWith(QStringLiteral("https://")));

        // --open needs xdg-open; without one, the link is still printed.
        run = home.run({"checkout", "--open"}, {}, {"PATH=" + home.folder()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.output.startsWith(QStringLiteral("https://")));
        QCOMPARE(run.error, QStringLiteral("tolvan-cli: The billing page could not be opened. "
                                           "Please try again.\n"));
    }

    void logoutRevokesTheSession()
    {
        const CliHome home(m_sandbox.baseURL());
        QCOMPARE(home.signIn(*m_control, QStringLiteral("leaving@example.com")).exitCode, 0);
        QFile session(home.sessionPath());
        QVERIFY(session.open(QIODevice::ReadOnly));
        const std::string refreshToken =
            nlohmann::json::parse(session.readAll().toStdString())["tokens"]["refresh_token"];

        const CliRun run = home.run({"logout"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output + run.error, QString());
        QVERIFY(!QFile::exists(home.sessionPath()));
        // The server's session is over: its refresh token no longer works.
        const nlohmann::json refresh{{"refresh_token", refreshToken}};
        QCOMPARE(m_control->send("POST", "api/auth/refresh", refresh.dump().c_str()).status, 401);
    }

private:
    void subscribe(const QString &email)
    {
        QCOMPARE(
            m_control
                ->setSubscription(
                    {{"email", email.toStdString()}, {"status", "active"}, {"plan", "monthly"}})
                .status,
            200);
    }

    // What the service itself answers to the shared account.
    QString serviceAnswer(const QString &operation, const QString &sent)
    {
        nlohmann::json body{{"text", sent.toStdString()}};
        if (operation == QLatin1String("translate")) {
            body["source_language"] = "en";
            body["target_language"] = "es";
        }
        const auto answer = m_control->send("POST", QStringLiteral("api/") + operation,
                                            QByteArray::fromStdString(body.dump()), m_accessToken);
        const nlohmann::json document = answer.json();
        return text(
            document[operation == QLatin1String("translate") ? "translation" : "improved_text"]);
    }

    // The one link that a billing command printed.
    static QString link(const CliRun &run)
    {
        const QStringList printed = lines(run.output);
        return run.exitCode == 0 && printed.size() == 1 ? printed.first() : QString();
    }

    const QString accountEmail = QStringLiteral("cli@example.com");
    Test::SandboxProcess m_sandbox;
    std::unique_ptr<Test::SandboxControl> m_control;
    std::unique_ptr<CliHome> m_account;
    QString m_accessToken;
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
