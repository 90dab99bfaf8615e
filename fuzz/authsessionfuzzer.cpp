// The saved session as read back from the credential store: anything that
// decodes must write and read back unchanged.
#include "authsession.h"

#include <cstdint>
#include <cstdlib>

using namespace Tolvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto session =
        AuthSession::decode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!session) {
        return 0;
    }
    const auto again = AuthSession::decode(session.value().encode());
    if (!again || !(again.value() == session.value())) {
        std::abort();
    }
    return 0;
}
