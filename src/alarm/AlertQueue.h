#pragma once

#include "alarm/Alert.h"

#include <QObject>
#include <QQueue>
#include <QTimer>
#include <functional>

class AlertPresenter;
class Chime;
class TuneDeck;

// Presents alerts one after another without ever holding up the tick. For each
// alert -- or each catch-up batch as a whole -- the sound comes first, then
// (when boxes are wanted) the box; the next one waits until that box is closed.
//
// A warning always sounds the chime. A ripe alert closes an active deck and
// starts the music, or sounds the chime when no music starts. The box of a
// chime comes when the chime ends; the box of music comes once it sounds,
// since music plays on in the background.
class AlertQueue : public QObject {
    Q_OBJECT
public:
    // Longest wait for a chime that never reports its end (the sound is
    // about 0.75 s), or for music that never says whether it sounds. The
    // sounds skip what cannot start in time themselves; this is the last word.
    static constexpr int kChimeWatchdogMs = 4000;

    AlertQueue(Chime& chime, TuneDeck& deck, AlertPresenter& presenter, QObject* parent = nullptr);

    // "对话框提示": asked each time a box could be shown. Boxes on by default.
    void setShowBoxes(std::function<bool()> wanted) { m_showBoxes = std::move(wanted); }
    void setChimeWatchdogMs(int ms) { m_watchdog.setInterval(ms); }

    // Whether a unit is being presented.
    bool isBusy() const { return m_phase != Phase::Idle; }
    bool isBoxOpen() const { return m_phase == Phase::Box; }

public slots:
    void enqueue(const AlertBatch& batch);

signals:
    // A unit's turn came: its sound starts now, its box (if wanted) follows.
    void started(const AlertBatch& unit);

private:
    enum class Phase { Idle, Music, Sound, Box };

    void next();
    void startSound(const AlertBatch& unit);
    void startChime();
    void onWatchdog();
    void onMusicStarted();
    void onChimeEnded();
    void onDismissed();
    void onMusicFailed();
    void showBox();

    Chime& m_chime;
    TuneDeck& m_deck;
    AlertPresenter& m_presenter;
    std::function<bool()> m_showBoxes;
    QQueue<AlertBatch> m_queue;
    AlertBatch m_current;
    Phase m_phase = Phase::Idle;
    QTimer m_watchdog;
    bool m_inNext = false;
    bool m_chimeBusy = false; // our chime is sounding, for a unit or as a fallback
    bool m_musicOurs = false; // the deck's music was started by the latest ripe alert
};
