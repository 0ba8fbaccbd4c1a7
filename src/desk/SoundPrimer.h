#pragma once

#include "alarm/TickEngine.h"

class Chime;
class TuneDeck;

// Readies the sound a few seconds before an alert, so it begins on its
// second: the chime's output is opened, and for a ripe alert the music file
// too. The tick is asked to come at wakeAt() for it, hidden or shown; so
// nothing wakes while nothing is due soon, and the sounds let go of the
// audio device when nothing follows.
class SoundPrimer {
public:
    static constexpr qint64 kAheadSeconds = 3;

    SoundPrimer(TickEngine& engine, Chime& chime, TuneDeck& deck);

    // The second a tick should come to prepare the next alert, kNever when
    // that is done or none is pending.
    qint64 wakeAt();
    // After each tick, with its now.
    void onTick(qint64 now);

private:
    // Nothing pending, or the pending alert is the one already readied.
    bool isDone(const TickEngine::NextAlert& next) const;

    TickEngine& m_engine;
    Chime& m_chime;
    TuneDeck& m_deck;
    TickEngine::NextAlert m_ready; // the alert last prepared
};
