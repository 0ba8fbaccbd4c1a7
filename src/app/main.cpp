#include "app/CReminderApp.h"
#include "app/CommandLine.h"
#include "app/PlatformChoice.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Before the application object, which needs a display.
    const CommandLine::Outcome cl = CommandLine::parse(CommandLine::fromArgv(argc, argv));
    if (!cl.run) {
        std::fputs(cl.out.toLocal8Bit().constData(), stdout);
        std::fputs(cl.err.toLocal8Bit().constData(), stderr);
        return cl.exitCode;
    }
    const QString platform =
        PlatformChoice::choose(PlatformChoice::current(), PlatformChoice::installed());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toLocal8Bit());
    CReminderApp app(argc, argv);
    return app.run(cl.hidden);
}
