#include "desk/ReminderDesk.h"

#include "alarm/AlertQueue.h"
#include "alarm/Clock.h"
#include "alarm/NextSeason.h"
#include "alarm/TickEngine.h"
#include "alarm/TuneDeck.h"
#include "desk/MusicChoice.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderTable.h"

#include <QTimer>

ReminderDesk::ReminderDesk(Ports ports, QObject* parent)
    : QObject(parent), m_ports(std::move(ports)), m_table(new ReminderTable(this)),
      m_engine(new TickEngine(*m_table, m_ports.clock, m_nLeadMinutes, this)),
      m_alertQueue(new AlertQueue(m_ports.chime, m_ports.deck, m_ports.presenter, this)),
      m_primer(*m_engine, m_ports.chime, m_ports.deck) {
    m_alertQueue->setShowBoxes([this] { return m_alertBoxes; });
    if (!m_ports.storePath.isEmpty()) {
        m_store = std::make_unique<ReminderStore>(m_ports.storePath);
        m_persistence = std::make_unique<PersistenceController>(
            [this] {
                return StoreState{m_strMusic, m_nLeadMinutes, m_table->rows()};
            },
            *m_store);
        // Told once per streak of failures, after the tick has finished.
        connect(m_persistence.get(), &PersistenceController::saveFailed, this,
                &ReminderDesk::tellLater);
    }
    // The tick: the timer drives it, the engine reports through the desk.
    connect(&m_timer, &TickTimer::tick, this, &ReminderDesk::OnTimer);
    connect(m_engine, &TickEngine::clockTextChanged, this, &ReminderDesk::clockTextChanged);
    // Ticks a second apart while shown, only when something is due while
    // hidden, or a sound is to be readied for it.
    m_timer.setDueSource([this] { return qMin(m_engine->nextDue(), m_primer.wakeAt()); });
    connect(m_engine, &TickEngine::scheduleChanged, &m_timer, &TickTimer::reaim);
    connect(&m_ports.deck, &TuneDeck::stateChanged, this,
            [this] { emit stopMusicEnabled(m_ports.deck.IsActive()); });
    connect(m_engine, &TickEngine::alertsRaised, m_alertQueue, &AlertQueue::enqueue);
    connect(&m_ports.deck, &TuneDeck::presenceChecked, this, &ReminderDesk::onMusicPresence);
    // Every change reaches the data file about a second later.
    connect(m_table, &QAbstractItemModel::rowsInserted, this, &ReminderDesk::changeMade);
    connect(m_table, &QAbstractItemModel::rowsRemoved, this, &ReminderDesk::changeMade);
    connect(m_table, &QAbstractItemModel::layoutChanged, this, &ReminderDesk::changeMade);
}

ReminderDesk::~ReminderDesk() = default;

void ReminderDesk::start() {
    clearSelection();
    m_form.setPlant(m_ports.clock.now());
    m_timer.setHidden(true); // until a window shows it
    m_timer.start();
    setLeadMinutes(kDefaultLeadMinutes);
    LoadReminders();
    m_form.FillCropList(m_form.soil());
}

QString ReminderDesk::loadReport(const LoadResult& loaded) {
    QString text;
    if (loaded.status == LoadStatus::Unreadable) {
        text = QStringLiteral("数据文件无法读取，这次从空的提醒列表开始。");
        if (!loaded.damagedCopy.isEmpty())
            text += QStringLiteral("\n原文件已移到：") + loaded.damagedCopy;
        text += QStringLiteral("\n原因：") + loaded.reason;
    } else if (loaded.status == LoadStatus::Damaged) {
        text = QStringLiteral("数据文件已损坏，已读入其中完整的提醒。");
        if (!loaded.damagedCopy.isEmpty())
            text += QStringLiteral("\n原文件已另存为：") + loaded.damagedCopy;
        if (!loaded.reason.isEmpty())
            text += QStringLiteral("\n原因：") + loaded.reason;
    }
    return text;
}

void ReminderDesk::LoadReminders() {
    if (!m_store)
        return;
    const LoadResult loaded = m_store->load();
    const QString report = loadReport(loaded);
    if (!report.isEmpty())
        tellLater(report);
    if (loaded.status != LoadStatus::Whole && loaded.status != LoadStatus::Damaged)
        return;
    const LoadedSettings settings = adoptLoaded(loaded);
    // A stored lead above the longest counts as that; one below 1 stays in
    // force, with no item of the selector shown.
    setLeadMinutes(qMin(settings.leadMinutes, kMaxLeadMinutes));
    m_strMusic = settings.strMusic;
    m_ports.deck.SetPath(settings.playerPath);
    setMusicLabel(settings.musicLabel);
    // The music may sit on a share that does not answer: asked of the deck,
    // which looks away from this thread.
    m_loadedHeader = {
        loaded.status, {loaded.state.musicPath, loaded.state.leadMinutes, {}}, {}, {}};
    if (!settings.playerPath.isEmpty())
        m_ports.deck.checkPresence(settings.playerPath);
    m_table->reset(loaded.state.rows);
    if (loaded.status == LoadStatus::Whole && m_persistence)
        m_persistence->markSaved();
}

// Only while the stored music is still the choice: a choice made since stands.
void ReminderDesk::onMusicPresence(const QString& path, bool present) {
    if (present || path.isEmpty() || path != m_loadedHeader.state.musicPath || path != m_strMusic ||
        path != m_ports.deck.path())
        return;
    const LoadedSettings settings = adoptLoaded(m_loadedHeader, false);
    m_strMusic = settings.strMusic;
    m_ports.deck.SetPath(settings.playerPath);
    setMusicLabel(settings.musicLabel);
}

void ReminderDesk::tellLater(const QString& text) {
    QTimer::singleShot(0, this, [this, text] { emit message(text); });
}

void ReminderDesk::changeMade() {
    if (m_persistence)
        m_persistence->markDirty();
}

SaveResult ReminderDesk::SaveReminders() {
    if (!m_persistence)
        return SaveResult{true, QString()};
    return m_persistence->saveNow();
}

void ReminderDesk::setLeadMinutes(int minutes) {
    m_nLeadMinutes = minutes;
    m_engine->setLeadMinutes(m_nLeadMinutes);
    emit leadSelectorChanged(leadSelectorIndex());
}

// The selector lists the leads from the longest down to 1 minute.
int ReminderDesk::leadSelectorIndex() const {
    return m_nLeadMinutes >= 1 ? kMaxLeadMinutes - m_nLeadMinutes : -1;
}

void ReminderDesk::onLeadSelected(int index) {
    if (index < 0)
        return;
    setLeadMinutes(kMaxLeadMinutes - index);
    changeMade();
}

void ReminderDesk::setNextSeasonEnabled(bool enabled) {
    m_nextSeason = enabled;
    emit nextSeasonEnabled(enabled);
}

void ReminderDesk::setMusicLabel(const QString& text) {
    m_musicLabel = text;
    emit musicLabelChanged(text);
}

void ReminderDesk::OnSoilOrdinary() {
    m_form.OnSoilOrdinary();
}

void ReminderDesk::OnSoilRedSoil() {
    m_form.OnSoilRedSoil();
}

void ReminderDesk::OnCropSelChange() {
    m_form.OnCropSelChange(m_ports.clock.now());
}

void ReminderDesk::OnSeasonSelChange() {
    m_form.OnSeasonSelChange();
}

void ReminderDesk::OnPlantTimeChange() {
    m_form.OnPlantTimeChange();
}

void ReminderDesk::OnFriendCropClicked(bool checked) {
    m_form.OnFriendCropClicked(checked);
}

qint64 ReminderDesk::referenceTime() const {
    const qint64 shown = m_engine->lastNow();
    return shown == TickEngine::kNoTick ? m_ports.clock.now() : shown;
}

void ReminderDesk::OnAddReminder() {
    const PlantingForm::NewReminder r = m_form.describe(referenceTime());
    if (!r.ok) {
        emit message(r.error);
        return;
    }
    clearSelection();
    m_table->append(
        ReminderRow{r.cropIndex, r.cropName, r.plant, r.ripe, cutNote(m_strNote), r.seasonNo, 0});
    setNextSeasonEnabled(false);
}

void ReminderDesk::OnDeleteReminder(const QList<int>& rows) {
    if (rows.isEmpty())
        return;
    m_table->removePositions(rows);
    setNextSeasonEnabled(false);
}

void ReminderDesk::OnReminderClick(int row) {
    if (row < 0 || row >= m_table->count()) {
        clearSelection();
        return;
    }
    const ReminderRow& r = m_table->row(row);
    m_form.ShowRowSchedule(r.cropIndex, r.cropName, r.plant, r.seasonNo);
    m_selectedId = r.rowId;
    // Exactly when its countdown asks for the next season: ripened before
    // the latest tick's second.
    const qint64 now = m_table->now();
    setNextSeasonEnabled(now != ReminderTable::kNoNow && r.ripe < now);
}

void ReminderDesk::OnTimer() {
    m_engine->tick();
    m_primer.onTick(m_engine->lastNow());
    if (m_persistence)
        m_persistence->onTick();
}

void ReminderDesk::OnChooseMusic() {
    setNextSeasonEnabled(false);
    const QString chosen = m_ports.chooseMusicFile ? m_ports.chooseMusicFile() : QString();
    const MusicChoice::ChooseOutcome out = MusicChoice::OnChooseMusic(chosen, m_strMusic);
    if (!out.message.isEmpty()) {
        emit message(out.message);
        return;
    }
    setMusicLabel(out.label);
    if (out.changed) {
        m_ports.deck.SetPath(out.music);
        m_strMusic = out.music;
        changeMade();
    }
}

void ReminderDesk::OnStopMusic() {
    m_ports.deck.Close(); // the button follows the deck's state change
}

void ReminderDesk::OnPreviewMusic() {
    setNextSeasonEnabled(false);
    switch (MusicChoice::OnPreviewMusic(m_strMusic, m_ports.deck.IsActive())) {
    case MusicChoice::PreviewAction::ShowNoSongMessage:
        emit message(MusicChoice::noSongText());
        break;
    case MusicChoice::PreviewAction::Play:
        m_ports.deck.Play();
        break;
    case MusicChoice::PreviewAction::Nothing:
        break;
    }
}

void ReminderDesk::OnNextSeason() {
    if (!m_selectedId)
        return;
    applyNextSeason(*m_table, *m_selectedId, referenceTime());
    clearSelection();
    setNextSeasonEnabled(false);
}
