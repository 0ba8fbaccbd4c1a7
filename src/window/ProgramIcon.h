#pragma once

#include <QIcon>
#include <QList>

// The one program icon of the window, the tray and the About box.
namespace ProgramIcon {

// Every rendered size, smallest first.
QList<int> sizes();

// The icon built from the PNG sizes, so it needs no SVG plug-in at run time.
QIcon icon();

} // namespace ProgramIcon
