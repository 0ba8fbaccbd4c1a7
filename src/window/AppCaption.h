#pragma once

#include <QString>

// The caption of boxes raised without one of their own. It is not set as the
// application's display name, since Qt would then append it to every window
// title, the main window's included.
inline QString appCaption() {
    return QStringLiteral("Fruitwake");
}
