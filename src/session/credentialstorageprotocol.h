#pragma once

#include "authsession.h"
#include "result.h"

#include <optional>

namespace Tolvan {

// Where the signed-in session is kept between launches: one saved session per
// user of the computer. Every call is one synchronous exchange on the main
// thread; a call may block while the desktop asks the user to unlock.
class CredentialStorageProtocol {
public:
    virtual ~CredentialStorageProtocol() = default;

    // The saved session, or none when nothing is saved. A saved item that does
    // not decode fails with the decoder's error and stays where it is.
    virtual Result<std::optional<AuthSession>> loadSession() = 0;
    // Replaces the saved session; never leaves a second one.
    virtual Result<void> saveSession(const AuthSession &session) = 0;
    // Removes the saved session; succeeds also when there was none.
    virtual Result<void> deleteSession() = 0;
};

} // namespace Tolvan
