#pragma once

#include "wireenums.h"

#include <QString>

#include <optional>

namespace Tolvan {

enum class Command {
    Login,
    Logout,
    Status,
    Languages,
    Translate,
    Improve,
    History,
    HistoryShow,
    HistoryDelete,
    HistoryClear,
    Plans,
    Checkout,
    Portal,
};

// One run of the command-line client, as the command line asked for it; each
// command reads only its own fields.
struct Invocation {
    Command command = Command::Status;
    bool json = false;
    // --base-url as given; none to use the environment's service.
    std::optional<QString> baseURL;

    // login
    std::optional<QString> address;
    std::optional<QString> code;

    // translate, improve: the words joined by single spaces; none to read
    // all of standard input.
    std::optional<QString> text;
    std::optional<QString> from;
    QString to;

    // history
    std::optional<HistoryKind> type;
    std::optional<QString> search;
    qint64 page = 1;
    qint64 entryID = 0;

    // checkout, portal
    std::optional<BillingPlanID> plan;
    bool open = false;
};

} // namespace Tolvan
