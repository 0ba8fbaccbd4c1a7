#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Read before the application object exists,
// so --help and --version work without a display and touch nothing.
namespace CommandLine {

struct Outcome {
    bool run = true;     // false: print what is below and end with exitCode
    int exitCode = 0;    // 0 for --help and --version, 2 for a usage error
    QString out;         // for standard output
    QString err;         // for standard error, one line
    bool hidden = false; // start in the tray (minimised where there is none)
};

// arguments[0] is the program's name.
Outcome parse(const QStringList& arguments);
QStringList fromArgv(int argc, const char* const* argv);

} // namespace CommandLine
