#include "clihome.h"
#include "sandboxcontrol.h"
#include "sandboxprocess.h"
#include "userpreferences.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <nlohmann/json.hpp>

#include <memory>

using namespace Tolvan;
using Test::CliHome;
using Test::CliRun;

namespace {

const QString notSignedInError = QStringLiteral("tolvan-cli: Not signed in\n");

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

nlohmann::json readJson(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    return nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
}

void writeJson(const QString &path, const nlohmann::json &document)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray::fromStdString(document.dump()));
}

} // namespace

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

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<int>("exitCode");
        // The start of standard output, and the first line of standard error.
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");

        const auto row = [](const char *name, QStringList arguments, int exitCode,
                            const QString &output, const QString &error,
                            QStringList environment = {}) {
            QTest::newRow(name) << arguments << environment << exitCode << output << error;
        };
        row("help", {"--help"}, 0, "Usage: tolvan-cli [--base-url URL] [--json] COMMAND [ARGS]\n",
            "");
        row("command help", {"translate", "--help"}, 0,
            "Usage: tolvan-cli [--base-url URL] [--json] translate [--from CODE] --to CODE "
            "[TEXT...]\n",
            "");
        row("history help", {"history", "-h"}, 0,
            "Usage: tolvan-cli [--base-url URL] [--json] history [--type translation|writing] "
            "[--search TEXT] [--page N]\n"
            "       tolvan-cli [--base-url URL] [--json] history show ID\n",
            "");
        row("version", {"--version"}, 0, "tolvan-cli " TOLVAN_VERSION "\n", "");
        row("no command", {}, 2, "", "tolvan-cli: No command given.");
        row("unknown command", {"frobnicate"}, 2, "", "tolvan-cli: Unknown command 'frobnicate'.");
        row("unknown option", {"status", "--colour"}, 2, "",
            "tolvan-cli: Unknown option 'colour'.");
        row("global option after the command", {"status", "--json"}, 2, "",
            "tolvan-cli: Unknown option 'json'.");
        row("extra argument", {"logout", "now"}, 2, "", "tolvan-cli: Unexpected argument 'now'.");
        row("translate without a target", {"translate", "Hello"}, 2, "",
            "tolvan-cli: The option --to is required.");
        row("clear without --yes", {"history", "clear"}, 2, "",
            "tolvan-cli: This permanently deletes all translation and writing history from your "
            "account. Add --yes to confirm.");
        row("entry without an ID", {"history", "show"}, 2, "",
            "tolvan-cli: history show needs the ID of an entry, a whole number.");
        row("entry ID not a number", {"history", "delete", "first"}, 2, "",
            "tolvan-cli: history delete needs the ID of an entry, a whole number.");
        row("unknown kind", {"history", "--type", "poems"}, 2, "",
            "tolvan-cli: --type is translation or writing (it is \"poems\").");
        row("page zero", {"history", "--page", "0"}, 2, "",
            "tolvan-cli: --page is a whole number from 1 (it is \"0\").");
        row("filter on an action", {"history", "show", "1", "--search", "x"}, 2, "",
            "tolvan-cli: --type, --search and --page apply only to the list.");
        row("unknown plan", {"checkout", "weekly"}, 2, "",
            "tolvan-cli: The plan is monthly or annual (it is \"weekly\").");
        row("base URL not http", {"--base-url", "ftp://example.com/", "status"}, 2, "",
            "tolvan-cli: --base-url must be an http or https address, such as "
            "https://tolvan.app/ (it is \"ftp://example.com/\").");
        row("plain http to another machine", {"--base-url", "http://example.com/", "status"}, 2, "",
            "tolvan-cli: --base-url may use plain http only for this machine (localhost, "
            "127.0.0.1 or ::1); use https for example.com.");
        row("environment's base URL refused", {"status"}, 2, "",
            "tolvan-cli: TOLVAN_BASE_URL may use plain http only for this machine (localhost, "
            "127.0.0.1 or ::1); use https for example.com.",
            {"TOLVAN_BASE_URL=http://example.com/"});
        row("credential store malformed", {"status"}, 2, "",
            "tolvan-cli: TOLVAN_CREDENTIAL_STORE must be \"file:\" followed by an absolute path, "
            "such as file:/home/me/.config/tolvan/session.json (it is \"session.json\").",
            {"TOLVAN_CREDENTIAL_STORE=session.json"});
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, error);

        const CliRun run = CliHome(m_sandbox.baseURL()).run(arguments, {}, environment);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(output.isEmpty() ? run.output.isEmpty() : run.output.startsWith(output),
                 qPrintable(run.output));
        QCOMPARE(lines(run.error).value(0), error);
    }

    void notSignedIn_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");

        QTest::newRow("status") << QStringList{"status"} << "Not signed in\n"
                                << "";
        QTest::newRow("status as JSON")
            << QStringList{"--json", "status"} << "{\n  \"signed_in\": false\n}\n"
            << "";
        const QList<QStringList> commands{
            {"languages"},
            {"translate", "--to", "es", "Hello"},
            {"improve", "a"},
            {"history"},
            {"history", "show", "1"},
            {"history", "delete", "1"},
            {"history", "clear", "--yes"},
            {"plans"},
            {"checkout"},
            {"portal"},
        };
        for (const QStringList &command : commands) {
            QTest::newRow(qPrintable(command.join(QLatin1Char(' '))))
                << command << QString() << notSignedInError;
        }
    }

    void notSignedIn()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QString, error);

        const CliRun run = CliHome(m_sandbox.baseURL()).run(arguments);
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(run.output, output);
        QCOMPARE(run.error, error);
    }

    void terminal_data()
    {
        QTest::addColumn<QStringList>("arguments");
        // Typed on the terminal; Ctrl+D ends the input.
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("output");

        QTest::newRow("failure in colour") << QStringList{"translate", "--to", "es", "Hello"}
                                           << QByteArray() << QStringList{"TERM=xterm", "NO_COLOR"}
                                           << "\x1b[1;31mtolvan-cli:\x1b[0m Not signed in\r\n";
        QTest::newRow("NO_COLOR") << QStringList{"translate", "--to", "es", "Hello"} << QByteArray()
                                  << QStringList{"TERM=xterm", "NO_COLOR=1"}
                                  << "tolvan-cli: Not signed in\r\n";
        QTest::newRow("prompt")
            << QStringList{"login"} << QByteArray("\x04") << QStringList{"NO_COLOR=1"}
            << "Email address: \r\ntolvan-cli: Enter a valid email address.\r\n";
    }

    void terminal()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, environment);
        QFETCH(QString, output);

        const CliRun run =
            CliHome(m_sandbox.baseURL()).runOnTerminal(arguments, input, environment);
        QCOMPARE(run.output, output);
        QVERIFY(run.exitCode != 0);
    }

    void signInThroughTheOutbox()
    {
        const CliHome home(m_sandbox.baseURL());
        const QString email = QStringLiteral("outbox@example.com");

        CliRun run = home.run({"login", "not an address"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.error, QStringLiteral("tolvan-cli: Enter a valid email address.\n"));

        // The service turns a wrong code down with 401.
        run = home.run({"login", email, "--code", "0000000"});
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(run.error, QStringLiteral("tolvan-cli: The sign-in code is wrong.\n"));

        // Without a terminal nothing is prompted: standard error stays empty.
        run = home.signIn(*m_control, email);
        QCOMPARE(run.error, QString());
        QCOMPARE(run.output, email + QLatin1Char('\n'));
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFile::exists(home.sessionPath()));

        run = home.run({"status"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output,
                 email + QStringLiteral("\nTolvan Free\nUpgrade to translate and improve text\n"));
        const nlohmann::json status = parsed(home.run({"--json", "status"}).output);
        QVERIFY(status["signed_in"] == true);
        QCOMPARE(text(status["email"]), email);
        QVERIFY(status["subscription"]["entitled"] == false);

        run = home.run({"login", "someone-else@example.com"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.error, QStringLiteral("tolvan-cli: Already signed in as outbox@example.com. "
                                           "Sign out first with \"tolvan-cli logout\".\n"));
    }

    void workspaces_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        // What the service is asked: "translate" or "improve", and the text sent.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("sent");

        QTest::newRow("translate words")
            << QStringList{"translate", "--from", "en", "--to", "es", "Hello", "world."}
            << QByteArray() << "translate"
            << "Hello world.";
        QTest::newRow("translate standard input as it is")
            << QStringList{"translate", "--from", "en", "--to", "es"}
            << QByteArray("  Good morning.\nHow are you?\n") << "translate"
            << "  Good morning.\nHow are you?\n";
        QTest::newRow("translate dash")
            << QStringList{"translate", "--from", "en", "--to", "es", "-"}
            << QByteArray("Thank you") << "translate"
            << "Thank you";
        QTest::newRow("improve words")
            << QStringList{"improve", "this", "is  a", "draft"} << QByteArray() << "improve"
            << "this is  a draft";
        QTest::newRow("improve standard input")
            << QStringList{"improve"} << QByteArray("teh draft has a speling mistake\n")
            << "improve"
            << "teh draft has a speling mistake\n";
    }

    void workspaces()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, operation);
        QFETCH(QString, sent);

        const CliRun run = m_account->run(arguments, input);
        QCOMPARE(run.error, QString());
        QCOMPARE(run.exitCode, 0);
        // Exactly what the service answered, untrimmed, and one newline.
        QCOMPARE(run.output, serviceAnswer(operation, sent) + QLatin1Char('\n'));
    }

    void translationAsJsonAndTheAppsLanguageChoice()
    {
        const CliRun run =
            m_account->run({"--json", "translate", "--from", "en", "--to", "es", "Good", "night"});
        QCOMPARE(run.exitCode, 0);
        const nlohmann::json document = parsed(run.output);
        QCOMPARE(text(document["text"]), serviceAnswer("translate", "Good night"));
        QCOMPARE(text(document["source_language"]), QStringLiteral("en"));
        QCOMPARE(text(document["target_language"]), QStringLiteral("es"));

        // A source language that the desktop app saved is the default one.
        UserPreferences(m_account->settingsPath()).setSourceLanguageCode(QStringLiteral("es"));
        const CliRun fromSaved = m_account->run({"translate", "--to", "en", "Buenas noches"});
        QCOMPARE(fromSaved.exitCode, 0);
        QCOMPARE(fromSaved.output,
                 serviceAnswer("translate", "Buenas noches", "es", "en") + QLatin1Char('\n'));
        const UserPreferences saved(m_account->settingsPath());
        QCOMPARE(saved.sourceLanguageCode(), std::optional(QStringLiteral("es")));
        QCOMPARE(saved.targetLanguageCode(), std::optional(QStringLiteral("en")));

        // The catalogue in the service's order.
        QString catalogue;
        const nlohmann::json offered =
            m_control->send("GET", QStringLiteral("api/languages"), {}, m_accessToken).json();
        for (const nlohmann::json &language : offered["languages"]) {
            catalogue += text(language["code"]) + QLatin1Char('\t') + text(language["name"]) +
                         QLatin1Char('\n');
        }
        const CliRun languages = m_account->run({"languages"});
        QCOMPARE(languages.exitCode, 0);
        QCOMPARE(languages.output, catalogue);
    }

    void refusedInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("error");

        QTest::newRow("same languages")
            << QStringList{"translate", "--from", "en", "--to", "en", "Hello"} << QByteArray()
            << "Choose different source and target languages.";
        QTest::newRow("too long") << QStringList{"translate", "--from", "en", "--to", "es"}
                                  << QByteArray(5001, 'a') << "Use 5,000 characters or fewer.";
        QTest::newRow("language not offered")
            << QStringList{"translate", "--from", "en", "--to", "xx", "Hello"} << QByteArray()
            << "Select available source and target languages to translate again.";
        QTest::newRow("blank text") << QStringList{"translate", "--to", "es"} << QByteArray(" \n\t")
                                    << "Enter text to translate…";
        QTest::newRow("blank draft")
            << QStringList{"improve", " "} << QByteArray() << "Enter a draft to improve…";
    }

    void refusedInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, error);

        const CliRun run = m_account->run(arguments, input);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.output, QString());
        QCOMPARE(run.error, QStringLiteral("tolvan-cli: ") + error + QLatin1Char('\n'));
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
        QCOMPARE(listed[2].value(4), QStringLiteral("Good morning"));

        QCOMPARE(rows(home.run({"history", "--type", "writing"}).output).size(), 1);
        const QList<QStringList> found =
            rows(home.run({"history", "--type", "translation", "--search", "noches"}).output);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].value(4), QStringLiteral("Buenas noches"));
        run = home.run({"history", "--search", "nothing like it"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QString());
        QCOMPARE(run.error, QStringLiteral("No matching entries\n"));

        const nlohmann::json list = parsed(home.run({"--json", "history"}).output);
        QVERIFY(list["page"] == 1 && list["total_pages"] == 1);
        QCOMPARE(list["entries"].size(), size_t(3));
        const nlohmann::json writing = list["entries"][0];
        const QString writingID = QString::number(writing["id"].get<qint64>());
        QCOMPARE(writingID, listed[0].value(0));

        run = home.run({"history", "show", writingID});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.contains(QStringLiteral("Source:\na draft\tto\nimprove\nResult:\n") +
                                     text(writing["result"]) + QLatin1Char('\n')),
                 qPrintable(run.output));
        QVERIFY(parsed(home.run({"--json", "history", "show", writingID}).output) == writing);
        run = home.run({"history", "show", "1"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.error.startsWith(QStringLiteral("tolvan-cli: ")));

        run = home.run({"history", "delete", writingID});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QString());
        QCOMPARE(rows(home.run({"history"}).output).size(), 2);
        // Gone already: the store counts it as deleted.
        QCOMPARE(home.run({"history", "delete", writingID}).exitCode, 0);

        // 22 entries make two pages of 20.
        const QString token = m_control->signIn(email).accessToken;
        for (int i = 0; i < 20; ++i) {
            const nlohmann::json draft{{"text", QStringLiteral("draft %1").arg(i).toStdString()}};
            m_control->send("POST", "api/improve", QByteArray::fromStdString(draft.dump()), token);
        }
        run = home.run({"history", "--page", "2"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(rows(run.output).size(), 2);
        QCOMPARE(run.error, QStringLiteral("Page 2 of 2\n"));

        QCOMPARE(home.run({"history", "clear"}).exitCode, 2);
        QCOMPARE(rows(home.run({"history"}).output).size(), 20);
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
        QCOMPARE(home.signIn(*m_control, email).exitCode, 0);

        CliRun run = home.run({"plans"});
        QCOMPARE(run.exitCode, 0);
        const QList<QStringList> plans = rows(run.output);
        QCOMPARE(plans.size(), 2);
        QCOMPARE(plans[0].value(0), QStringLiteral("Monthly"));
        QVERIFY(plans[0].value(1).endsWith(QStringLiteral(" per month")));
        QCOMPARE(plans[1].value(0), QStringLiteral("Annual"));
        QVERIFY(plans[1].value(1).endsWith(QStringLiteral(" per year")));
        QCOMPARE(plans[1].value(2), QStringLiteral("7-day free trial"));

        // Without a plan, the store's selection: annual.
        const QString annual = link(home.run({"checkout"}));
        QVERIFY(annual.startsWith(QStringLiteral("https://")));
        const QString monthly = link(home.run({"checkout", "monthly"}));
        QVERIFY(monthly.startsWith(QStringLiteral("https://")));
        QVERIFY(monthly != annual);
        run = home.run({"--json", "checkout", "annual"});
        QVERIFY(text(parsed(run.output)["url"]).startsWith(QStringLiteral("https://")));

        // The printed link is the real checkout page: its trial starts the subscription.
        QVERIFY(m_control->startTrial(QUrl(monthly), QStringLiteral("monthly")));
        const QStringList status = lines(home.run({"status"}).output);
        QCOMPARE(status.value(1), QStringLiteral("Monthly"));
        QVERIFY2(status.value(2).startsWith(QStringLiteral("Free trial ends ")),
                 qPrintable(status.value(2)));

        QVERIFY(link(home.run({"portal"})).startsWith(QStringLiteral("https://")));

        // --open hands the link to xdg-open; without one, the store says so.
        QDir bin(home.folder());
        QVERIFY(bin.mkpath(QStringLiteral("bin")) && bin.cd(QStringLiteral("bin")));
        const QString opened = bin.filePath(QStringLiteral("opened"));
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        // Renamed into place, so the file never shows half-written; PATH holds
        // only this folder.
        opener.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + opened.toUtf8() + ".part' && /bin/mv '" +
                     opened.toUtf8() + ".part' '" + opened.toUtf8() + "'\n");
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString portal = link(home.run({"portal", "--open"}, {}, {"PATH=" + bin.path()}));
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(opened); }, 5'000));
        QFile record(opened);
        QVERIFY(record.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(record.readAll()), portal);

        QVERIFY(QFile::remove(opener.fileName()));
        run = home.run({"checkout", "--open"}, {}, {"PATH=" + bin.path()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.output.startsWith(QStringLiteral("https://")));
        QCOMPARE(run.error, QStringLiteral("tolvan-cli: The billing page could not be opened. "
                                           "Please try again.\n"));
    }

    void subscriptionRequired()
    {
        const CliHome home(m_sandbox.baseURL());
        const QString email = QStringLiteral("unsubscribed@example.com");
        QCOMPARE(home.signIn(*m_control, email).exitCode, 0);
        const QString token = m_control->signIn(email).accessToken;

        for (const QString &operation : {QStringLiteral("translate"), QStringLiteral("improve")}) {
            const nlohmann::json refusal =
                m_control
                    ->send("POST", QStringLiteral("api/") + operation,
                           operation == QLatin1String("translate")
                               ? R"({"text":"Hi","source_language":"en","target_language":"es"})"
                               : R"({"text":"Hi"})",
                           token)
                    .json();
            const CliRun run = operation == QLatin1String("translate")
                                   ? home.run({"translate", "--from", "en", "--to", "es", "Hi"})
                                   : home.run({"improve", "Hi"});
            QCOMPARE(run.exitCode, 4);
            QCOMPARE(run.output, QString());
            const QStringList message = lines(run.error);
            QCOMPARE(message.size(), 2);
            QCOMPARE(message[0], QStringLiteral("tolvan-cli: ") + text(refusal["error"]["detail"]));
            QVERIFY2(message[1].startsWith(QStringLiteral("https://")), qPrintable(message[1]));
        }
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");

        QTest::newRow("401 answer")
            << QStringList{"translate", "--from", "en", "--to", "es", "Hi"}
            << QByteArray(R"({"path":"api/translate","status":401})") << 3
            << "Your session was rejected. Please sign out and sign in again.";
        QTest::newRow("401 answer with the service's detail")
            << QStringList{"history"}
            << QByteArray(R"({"path":"api/history","status":401,)"
                          R"("body":{"error":{"code":"unauthorized","detail":"Revoked."}}})")
            << 3 << "Revoked.";
        QTest::newRow("service error")
            << QStringList{"improve", "Hi"} << QByteArray(R"({"path":"api/improve","status":503})")
            << 1 << "Writing improvement failed (HTTP 503). Please try again.";
        QTest::newRow("languages unavailable")
            << QStringList{"languages"} << QByteArray(R"({"path":"api/languages","status":500})")
            << 1 << "Unable to load languages (HTTP 500). Please try again.";
        QTest::newRow("dropped connection")
            << QStringList{"plans"} << QByteArray(R"({"path":"api/billing","drop":true,"count":5})")
            << 1 << "";
        QTest::newRow("unreachable service")
            << QStringList{"--base-url", "http://127.0.0.1:1/", "history"} << QByteArray() << 1
            << "Connection refused";
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, fault);
        QFETCH(int, exitCode);
        QFETCH(QString, error);

        if (!fault.isEmpty()) {
            QCOMPARE(m_control->injectFault(nlohmann::json::parse(fault.toStdString())).status,
                     204);
        }
        const CliRun run = m_account->run(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.output, QString());
        if (error.isEmpty()) {
            // The transport's own text, whatever it is, on one line.
            QCOMPARE(lines(run.error).size(), 1);
            QVERIFY(run.error.size() > QStringLiteral("tolvan-cli: \n").size());
        } else {
            QCOMPARE(run.error, QStringLiteral("tolvan-cli: ") + error + QLatin1Char('\n'));
        }
    }

    void expiredSession()
    {
        const CliHome home(m_sandbox.baseURL());
        QCOMPARE(home.signIn(*m_control, QStringLiteral("expired@example.com")).exitCode, 0);
        nlohmann::json session = readJson(home.sessionPath());
        QVERIFY(session.contains("refreshExpiresAt"));
        session["accessExpiresAt"] = 0;
        session["refreshExpiresAt"] = 0;
        writeJson(home.sessionPath(), session);

        const CliRun run = home.run({"improve", "Hi"});
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(run.error, QStringLiteral("tolvan-cli: Your session expired. Please sign in "
                                           "again.\n"));
        QVERIFY(!QFile::exists(home.sessionPath()));
        QCOMPARE(home.run({"status"}).output, QStringLiteral("Not signed in\n"));
    }

    void logoutRevokesTheSession()
    {
        const CliHome home(m_sandbox.baseURL());
        QCOMPARE(home.signIn(*m_control, QStringLiteral("leaving@example.com")).exitCode, 0);
        const QString refreshToken = text(readJson(home.sessionPath())["tokens"]["refresh_token"]);

        CliRun run = home.run({"logout"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QString());
        QCOMPARE(run.error, QString());
        QVERIFY(!QFile::exists(home.sessionPath()));
        QCOMPARE(home.run({"status"}).exitCode, 3);
        // The server's session is over: its refresh token no longer works.
        const nlohmann::json refresh{{"refresh_token", refreshToken.toStdString()}};
        QCOMPARE(m_control
                     ->send("POST", QStringLiteral("api/auth/refresh"),
                            QByteArray::fromStdString(refresh.dump()))
                     .status,
                 401);
        // Signed out already: nothing to do.
        QCOMPARE(home.run({"logout"}).exitCode, 0);

        QCOMPARE(home.signIn(*m_control, QStringLiteral("staying@example.com")).exitCode, 0);
        m_control->injectFault({{"path", "api/auth/session"}, {"status", 500}});
        run = home.run({"--json", "logout"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.output, QString());
        QCOMPARE(run.error,
                 QStringLiteral("tolvan-cli: Signed out on this device, but server revocation "
                                "failed. The server session may remain active until it "
                                "expires.\n"));
        QVERIFY(!QFile::exists(home.sessionPath()));
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
    QString serviceAnswer(const QString &operation, const QString &sent,
                          const QString &from = QStringLiteral("en"),
                          const QString &to = QStringLiteral("es"))
    {
        nlohmann::json body{{"text", sent.toStdString()}};
        if (operation == QLatin1String("translate")) {
            body["source_language"] = from.toStdString();
            body["target_language"] = to.toStdString();
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
