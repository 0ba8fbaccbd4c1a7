#include "alarm/AlertQueue.h"

#include "alarm/AlertPresenter.h"
#include "alarm/Chime.h"
#include "alarm/TuneDeck.h"

AlertQueue::AlertQueue(Chime& chime, TuneDeck& deck, AlertPresenter& presenter, QObject* parent)
    : QObject(parent), m_chime(chime), m_deck(deck), m_presenter(presenter) {
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(kChimeWatchdogMs);
    connect(&m_watchdog, &QTimer::timeout, this, &AlertQueue::onWatchdog);
    connect(&m_chime, &Chime::finished, this, &AlertQueue::onChimeEnded);
    connect(&m_presenter, &AlertPresenter::dismissed, this, &AlertQueue::onDismissed);
    connect(&m_deck, &TuneDeck::started, this, &AlertQueue::onMusicStarted);
    connect(&m_deck, &TuneDeck::playbackFailed, this, &AlertQueue::onMusicFailed);
}

void AlertQueue::enqueue(const AlertBatch& batch) {
    if (batch.alerts.isEmpty())
        return;
    if (batch.catchUp) {
        m_queue.enqueue(batch);
    } else {
        for (const Alert& a : batch.alerts) {
            AlertBatch one;
            one.alerts.push_back(a);
            m_queue.enqueue(std::move(one));
        }
    }
    next();
}

// A loop, not recursion: with boxes off and music playing, units finish at once.
void AlertQueue::next() {
    if (m_inNext)
        return;
    m_inNext = true;
    while (m_phase == Phase::Idle && !m_queue.isEmpty()) {
        m_current = m_queue.dequeue();
        emit started(m_current);
        startSound(m_current);
    }
    m_inNext = false;
}

// The deck tells whether its music sounds (perhaps inside Play()); the
// watchdog stands in for a deck that never tells.
void AlertQueue::startSound(const AlertBatch& unit) {
    if (unit.hasRipe()) {
        if (m_deck.IsActive())
            m_deck.Close();
        m_musicOurs = true;
        m_phase = Phase::Music;
        m_watchdog.start();
        if (m_deck.Play())
            return;
        m_musicOurs = false;
    }
    startChime();
}

void AlertQueue::startChime() {
    m_phase = Phase::Sound;
    m_chimeBusy = true;
    m_watchdog.start();
    m_chime.play(); // last: a chime that ends at once re-enters onChimeEnded
}

void AlertQueue::onWatchdog() {
    if (m_phase != Phase::Music) {
        onChimeEnded();
        return;
    }
    m_musicOurs = false;
    m_deck.Close();
    startChime();
}

// Music plays on in the background: its box comes at once.
void AlertQueue::onMusicStarted() {
    if (m_phase != Phase::Music)
        return;
    m_watchdog.stop();
    showBox();
    next();
}

void AlertQueue::onChimeEnded() {
    m_watchdog.stop();
    m_chimeBusy = false;
    if (m_phase != Phase::Sound)
        return;
    showBox();
    next();
}

void AlertQueue::showBox() {
    if (m_showBoxes && !m_showBoxes()) {
        m_phase = Phase::Idle;
        return;
    }
    m_phase = Phase::Box;
    const AlertBatch unit = m_current; // a dismissal inside present() moves on
    m_presenter.present(unit);
}

void AlertQueue::onDismissed() {
    if (m_phase != Phase::Box)
        return;
    m_phase = Phase::Idle;
    next();
}

// Music that the deck accepted but could not play: the chime stands in,
// before the box when the music never began, else over whatever box is open
// unless a chime is sounding already.
void AlertQueue::onMusicFailed() {
    if (!m_musicOurs)
        return;
    m_musicOurs = false;
    if (m_phase == Phase::Music) {
        startChime();
        return;
    }
    if (m_chimeBusy)
        return;
    m_chimeBusy = true;
    m_watchdog.start();
    m_chime.play();
}
