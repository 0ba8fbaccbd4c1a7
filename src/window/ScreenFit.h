#pragma once

#include <QMargins>
#include <QSize>

// How a window laid out in dialog units fits a screen that is too small for
// it: one part (the reminder table) gives way first, everything above it
// keeps its place. No widgets: sizes in, sizes out.
namespace ScreenFit {

struct Layout {
    QSize client;       // the window's inside as the template makes it
    int giveWay = 0;    // the height of the part that may shrink
    int minGiveWay = 0; // what that part keeps at least
};

struct Result {
    QSize client;   // the window's inside that fits
    int shrink = 0; // how much the part that gives way loses
};

// frame: the window frame around the inside (title bar, borders); available:
// the screen's area free of panels. Where even the shrunk layout is too big
// the window is cut to the screen, so all of it can still be reached.
Result fit(const Layout& layout, const QMargins& frame, const QSize& available);

} // namespace ScreenFit
