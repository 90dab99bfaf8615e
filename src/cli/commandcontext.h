#pragma once

#include "console.h"
#include "exitstatus.h"
#include "storeset.h"

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>

namespace Tolvan {

// What every command works with: the stores, the console, and whether results
// are printed as JSON. It says, in the stores' own words, why a command could
// not run or failed, and answers the exit status that goes with it.
//
// The stores and the console outlive every command: the runner awaits the
// command before it lets them go.
class CommandContext {
public:
    CommandContext(StoreSet &stores, Console &console, bool json);

    StoreSet &stores() { return m_stores; }
    Console &console() { return m_console; }

    // Restores the saved session as the app's window does when it appears:
    // none when signed in, otherwise the exit status, after saying why not.
    QCoro::Task<std::optional<ExitStatus>> requireSession();
    // Says what keeps the session store from being usable when it needs the
    // user's attention (a failed refresh, a keyring failure).
    ExitStatus recoveryFailure();
    // Reports the failure of a command that began signed in: `message`, the
    // billing link on the next line when the service wants a subscription,
    // and what the session store has to say when the session ended meanwhile.
    ExitStatus fail(const QString &message, const std::optional<QUrl> &billingURL = std::nullopt);
    // Prints a result: the lines of text, or the JSON document.
    void print(const QStringList &lines, const nlohmann::json &document);

private:
    StoreSet &m_stores;
    Console &m_console;
    const bool m_json;
};

} // namespace Tolvan
