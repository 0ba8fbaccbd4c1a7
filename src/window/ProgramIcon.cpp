#include "window/ProgramIcon.h"

#include <QString>

// Named here so the linker keeps the icon resources even from a static library.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace ProgramIcon {

QList<int> Sizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

QIcon Icon() {
    static const bool registered = (RegisterIconResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (const int size : Sizes())
        icon.addFile(QStringLiteral(":/icons/fruitwake-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace ProgramIcon
