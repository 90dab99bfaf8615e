#pragma once

#include "clipboardsource.h"

namespace Tolvan {

// The desktop's clipboard (not the primary selection) through QClipboard.
class SystemClipboard : public ClipboardSource {
    Q_OBJECT
public:
    explicit SystemClipboard(QObject *parent = nullptr);

    std::optional<QString> plainText() const override;
};

} // namespace Tolvan
