// Requests as the sandbox reads them: any method, target, query and body must
// get an answer (never a crash), and every refusal carries the service's error
// body. The input is "METHOD TARGET\n" followed by the body; the fuzzer signs
// in once and sends the bearer token with every other request.
#include "sandbox.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace Tolvan;

namespace {

struct Service {
    QTemporaryDir dataFolder;
    std::unique_ptr<Sandbox> sandbox;
    QString lastCode;
    QByteArray bearer;
};

HttpReply answer(Sandbox &sandbox, HttpRequest request)
{
    auto task = sandbox.serve(std::move(request));
    // Fault delays and spelling wait on the event loop; most answers are ready at once.
    while (!task.isReady()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::optional<HttpReply> reply;
    auto collect = [&]() -> QCoro::Task<> { reply = co_await std::move(task); };
    auto collecting = collect();
    return *reply;
}

HttpRequest request(const QByteArray &method, const QString &target, const QByteArray &body,
                    const QByteArray &bearer = {})
{
    const QUrl url(target);
    HttpRequest request;
    request.method = method;
    request.path = url.path();
    request.query = QUrlQuery(url.query(QUrl::FullyEncoded));
    request.body = body;
    request.peer = QHostAddress::LocalHost;
    if (!bearer.isEmpty()) {
        request.headers.append({"Authorization", "Bearer " + bearer});
    }
    return request;
}

Service &service()
{
    static Service *instance = [] {
        static int argc = 1;
        static char name[] = "sandbox_request_fuzzer";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
        auto *created = new Service;
        SandboxOptions options;
        options.port = 0;
        options.databasePath = QStringLiteral(":memory:");
        options.dataFolder = created->dataFolder.path();
        created->sandbox = std::make_unique<Sandbox>(options);
        QObject::connect(
            created->sandbox.get(), &Sandbox::codeMailed,
            [created](const QString &, const QString &code) { created->lastCode = code; });
        QString error;
        if (!created->sandbox->start(&error)) {
            std::abort();
        }
        Sandbox &sandbox = *created->sandbox;
        answer(sandbox,
               request("POST", "/api/auth/otp/request", R"({"email":"fuzz@example.org"})"));
        const HttpReply verified =
            answer(sandbox, request("POST", "/api/auth/otp/verify",
                                    R"({"email":"fuzz@example.org","code":")" +
                                        created->lastCode.toUtf8() + R"("})"));
        const auto tokens = nlohmann::json::parse(verified.body.toStdString(), nullptr, false);
        if (!tokens.is_object() || !tokens.contains("access_token")) {
            std::abort();
        }
        created->bearer = QByteArray::fromStdString(tokens["access_token"].get<std::string>());
        return created;
    }();
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Service &fuzzed = service();
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QByteArray line = lineEnd < 0 ? input : input.left(lineEnd);
    const QByteArray body = lineEnd < 0 ? QByteArray() : input.mid(lineEnd + 1);
    const qsizetype space = line.indexOf(' ');
    if (space < 0) {
        return 0;
    }
    const QByteArray method = line.left(space);
    const QString target = QString::fromUtf8(line.mid(space + 1));
    // Translation runs a real translator process: far too slow to fuzz through.
    if (target.startsWith(QLatin1String("/api/translate"))) {
        return 0;
    }
    const bool signedIn = !body.startsWith('!');
    const HttpReply reply = answer(
        *fuzzed.sandbox, request(method, target, body, signedIn ? fuzzed.bearer : QByteArray()));
    // Faults stay for later requests; clear them so that each input stands alone.
    answer(*fuzzed.sandbox, request("DELETE", "/sandbox/faults", {}));

    if (reply.drop || reply.status < 100 || reply.status > 599) {
        return 0;
    }
    if (reply.status >= 400 && reply.contentType.contains("json")) {
        const auto document = nlohmann::json::parse(reply.body.toStdString(), nullptr, false);
        if (!document.is_object() || !document.contains("error") ||
            !document["error"].is_object() || !document["error"].contains("detail")) {
            std::abort();
        }
    }
    return 0;
}
