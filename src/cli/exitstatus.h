#pragma once

namespace Tolvan {

// What the process's exit status tells a script.
enum class ExitStatus {
    Success = 0,
    // The request or the input failed; the message says why.
    Failure = 1,
    // The command line itself was wrong.
    Usage = 2,
    // Not signed in, the session expired, or the service turned the session down.
    SignedOut = 3,
    // The service wants a subscription; the billing link follows the message.
    SubscriptionRequired = 4,
};

} // namespace Tolvan
