#pragma once

#include <QString>

class QObject;
class QThread;

// A thread of its own for what may wait on the audio server or a file system:
// the GUI thread only posts work to objects living here and hears back through
// queued signals. Ending, it waits a bounded time; a thread still held by a
// hung audio server is freed by cutting the process's lines to that server,
// and one held by anything else is left to the end of the process.
class SoundThread {
public:
    // How long the end waits before cutting the lines, and again after.
    static constexpr int kEndWithinMs = 200;
    // A request not begun by its deadline is dropped on the sound thread; the
    // GUI side gives up this much later, so the two never disagree.
    static constexpr int kGraceMs = 50;

    // Made on the GUI thread, before any sound is made. It picks Qt's FFmpeg
    // media back end unless the user chose one: Qt 6.4's GStreamer player
    // starts a file 150-550 ms after play() and skips ahead after a long
    // preroll.
    explicit SoundThread(const QString& name);
    ~SoundThread();
    SoundThread(const SoundThread&) = delete;
    SoundThread& operator=(const SoundThread&) = delete;

    // Moves `worker` here; it is deleted here when the thread ends.
    void adopt(QObject* worker);

    // Shuts down (without closing) every socket of this process that is
    // connected to a PulseAudio server (PipeWire's included), so a wait on a
    // hung one ends at once. Returns how many.
    static int cutAudioServerLines();

private:
    QThread* m_thread;
    QObject* m_worker = nullptr;
};
