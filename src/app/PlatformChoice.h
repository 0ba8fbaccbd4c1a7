#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Which Qt platform Fruitwake runs on, settled before the application object
// exists through QT_QPA_PLATFORM, which Qt reads as a ';'-separated list of
// platforms to try in turn.
namespace PlatformChoice {

using Environment = QHash<QString, QString>;

// The value for QT_QPA_PLATFORM; empty leaves Qt's own choice.
// - GNOME on Wayland with Xwayland at hand (DISPLAY set), the user having
//   chosen nothing: xcb, then wayland. Natively there an alert cannot come up
//   without taking the keyboard focus, and a window the shell minimised is
//   never told so.
// - A choice of the user's comes first, followed by the platforms the session
//   offers that it does not name, so one that is not installed or cannot
//   connect falls back instead of aborting.
QString choose(const Environment& env, const QStringList& installed);

// The variables Choose reads, from the process's environment.
Environment current();

// The keys of the platform plugins Qt would find, in lower case, read from the
// plugins' metadata (nothing is loaded).
QStringList installed();

} // namespace PlatformChoice
