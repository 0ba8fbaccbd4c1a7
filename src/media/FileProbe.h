#pragma once

#include <QObject>
#include <functional>

// Asks a child process (test(1)) about a path, so a share that hangs holds
// the child and never this process: a thread of ours stuck in the kernel on
// a dead mount would keep even a killed program from ending.
class FileProbe : public QObject {
    Q_OBJECT
public:
    enum class Kind { Anything, File };

    using QObject::QObject;
    // Children still waiting on their share are left to finish on their own.
    ~FileProbe() override;

    // The answer comes on this object's thread, later or never.
    void ask(const QString& path, Kind kind, std::function<void(bool)> answer);
};
