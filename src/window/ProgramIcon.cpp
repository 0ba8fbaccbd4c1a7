#include "window/ProgramIcon.h"

#include <QString>

// Named here so the linker keeps the icon resources even from a static library.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace ProgramIcon {

QList<int> sizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

QIcon icon() {
    static const bool registered = (registerIconResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (const int size : sizes())
        icon.addFile(QStringLiteral(":/icons/fruitwake-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace ProgramIcon
