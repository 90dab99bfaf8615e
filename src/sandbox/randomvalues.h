#pragma once

#include <QString>

namespace Tolvan {

// Unpredictable values handed out by the sandbox.
class RandomValues {
public:
    // An opaque bearer or link token.
    static QString token();
    // A positive 64-bit id above 2^53, so that a client that stores ids in a
    // double shows its loss of precision at once.
    static qint64 identifier();
    // Six decimal digits.
    static QString signInCode();
};

} // namespace Tolvan
