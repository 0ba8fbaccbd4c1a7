#include "desk/SoundPrimer.h"

#include "alarm/Chime.h"
#include "alarm/TuneDeck.h"

SoundPrimer::SoundPrimer(TickEngine& engine, Chime& chime, TuneDeck& deck)
    : m_engine(engine), m_chime(chime), m_deck(deck) {}

bool SoundPrimer::isDone(const TickEngine::NextAlert& next) const {
    return next.at == TickEngine::kNever || (next.at == m_ready.at && next.ripe == m_ready.ripe);
}

qint64 SoundPrimer::wakeAt() {
    const TickEngine::NextAlert next = m_engine.nextAlert();
    return isDone(next) ? TickEngine::kNever : next.at - kAheadSeconds;
}

void SoundPrimer::onTick(qint64 now) {
    const TickEngine::NextAlert next = m_engine.nextAlert();
    if (isDone(next) || next.at - kAheadSeconds > now)
        return;
    m_chime.prepare();
    if (next.ripe)
        m_deck.prepare();
    m_ready = next;
}
