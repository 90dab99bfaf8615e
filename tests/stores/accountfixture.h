#pragma once

#include "authstore.h"
#include "fakeapiclient.h"
#include "fakecredentialstorage.h"
#include "manualclock.h"
#include "settle.h"
#include "urlopener.h"

namespace Tolvan::Test {

// A session store over fakes of its own, for the tests of the stores that
// depend on it: signs in, signs out and switches accounts. The clock is the
// one the stores under test share.
struct AccountFixture {
    std::shared_ptr<FakeAPIClient> authClient = std::make_shared<FakeAPIClient>();
    std::shared_ptr<FakeCredentialStorage> storage = std::make_shared<FakeCredentialStorage>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    AuthStore auth{authClient, storage, clock};

    static TokenPair tokens(qint64 userId)
    {
        return TokenPair{
            .accessToken = QStringLiteral("access-%1").arg(userId),
            .refreshToken = QStringLiteral("refresh-%1").arg(userId),
            .tokenType = QStringLiteral("Bearer"),
            .expiresIn = 3600,
            .refreshExpiresIn = 86400,
            .user = {.id = userId, .email = QStringLiteral("user%1@example.org").arg(userId)},
        };
    }

    // Restores a saved session of user 7; access token "access-7".
    void signIn()
    {
        const QDateTime now = clock->now();
        storage->setStoredSession(AuthSession{
            .tokens = tokens(7),
            .accessExpiresAt = now.addSecs(3600),
            .refreshExpiresAt = now.addSecs(86400),
        });
        // The window's first activation restores the saved session.
        auth.handleWindowActivation();
        settle();
    }

    void signOut()
    {
        auth.signOut();
        authClient->answer<ClientOperation::Revoke>({});
        settle();
    }

    // Signs out and signs in with a code as user `userId`.
    void switchAccount(qint64 userId)
    {
        signOut();
        authClient->answer<ClientOperation::RequestOTP>({});
        auth.requestCode(QStringLiteral("user%1@example.org").arg(userId));
        settle();
        authClient->answer<ClientOperation::VerifyOTP>(tokens(userId));
        auth.verifyCode(QStringLiteral("123456"));
        settle();
    }

    // The saved session's access token now runs out within the refresh margin,
    // so the next request refreshes it first.
    void nearExpiry() { clock->setNow(clock->now().addSecs(3600 - 30)); }
};

// Records the pages the stores hand to the browser, which takes them unless
// told otherwise.
struct RecordingURLOpener : URLOpener {
    bool succeeds = true;
    QList<QUrl> opened;

    bool openURL(const QUrl &url) override
    {
        opened.append(url);
        return succeeds;
    }
};

} // namespace Tolvan::Test
