#pragma once

#include "wireenums.h"

namespace Tolvan {

// Where the chosen appearance takes effect for the whole application. The
// desktop app implements it with its own light and dark palettes; System
// follows the desktop's preference.
class ApplicationAppearance {
public:
    virtual ~ApplicationAppearance() = default;

    virtual void apply(AppAppearance appearance) = 0;
};

} // namespace Tolvan
