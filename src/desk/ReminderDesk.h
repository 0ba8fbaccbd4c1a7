#pragma once

#include "alarm/TickTimer.h"
#include "desk/LoadedSettings.h"
#include "desk/SoundPrimer.h"
#include "form/PlantingForm.h"
#include "reminders/ReminderStore.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

// The warning lead in minutes: what the desk starts with before any file, and
// the longest the lead selector offers, whose items run from it down to 1.
constexpr int kDefaultLeadMinutes = 5;
constexpr int kMaxLeadMinutes = 5;

class AlertPresenter;
class AlertQueue;
class Chime;
class Clock;
class PersistenceController;
class ReminderTable;
class TickEngine;
class TuneDeck;

// What the main window does, without a widget. The window copies the user's
// edits into Form() and SetNote(), calls a handler, and writes the form back;
// everything else it is told through the signals. Decisions come from
// instants and rows, never from texts on the screen.
class ReminderDesk : public QObject {
    Q_OBJECT
public:
    // Where time, sound, boxes, the music chooser and the data file come
    // from. An empty store path keeps the reminders in memory only.
    struct Ports {
        const Clock& clock;
        Chime& chime;
        TuneDeck& deck;
        AlertPresenter& presenter;
        // The chosen music file, empty when cancelled.
        std::function<QString()> chooseMusicFile;
        QString storePath;
    };

    explicit ReminderDesk(Ports ports, QObject* parent = nullptr);
    ~ReminderDesk() override;

    // The form at now, the default lead, the data file read, the crop list
    // filled and the tick running. What the file's state needs telling comes
    // from the event loop, once the window is there to show it.
    void start();

    // The form's handlers.
    void OnSoilOrdinary();
    void OnSoilRedSoil();
    void OnCropSelChange();
    void OnSeasonSelChange();
    void OnPlantTimeChange();
    void OnFriendCropClicked(bool checked);

    void OnAddReminder();
    // The selected positions, in any order.
    void OnDeleteReminder(const QList<int>& rows);
    void OnReminderClick(int row);
    void OnTimer();
    // The lead selector's item, -1 for none.
    void onLeadSelected(int index);
    void OnChooseMusic();
    void OnStopMusic();
    void OnPreviewMusic();
    void OnNextSeason();
    // "对话框提示": asked each time an alert box could be shown.
    void setAlertBoxesWanted(bool wanted) { m_alertBoxes = wanted; }
    // The save at an orderly end; never blocks.
    SaveResult SaveReminders();

    PlantingForm& form() { return m_form; }
    const QString& note() const { return m_strNote; }
    void setNote(const QString& note) { m_strNote = note; }
    int leadMinutes() const { return m_nLeadMinutes; }
    // The selector's item for the lead, -1 for a lead it does not offer.
    int leadSelectorIndex() const;
    const QString& music() const { return m_strMusic; }
    const QString& musicLabel() const { return m_musicLabel; }
    bool isNextSeasonEnabled() const { return m_nextSeason; }
    // The reminder last clicked, by id; stays with that reminder whatever
    // happens to the rows around it.
    std::optional<quint64> selectedRowId() const { return m_selectedId; }

    ReminderTable& table() { return *m_table; }
    // Presents the alerts; the shell hears each one it begins.
    AlertQueue& alerts() { return *m_alertQueue; }
    TickTimer& secondTimer() { return m_timer; }
    PersistenceController* persistence() const { return m_persistence.get(); }

    // What loading tells the user; empty when there is nothing to tell.
    static QString loadReport(const LoadResult& loaded);

signals:
    void message(const QString& text);
    void clockTextChanged(const QString& text);
    void nextSeasonEnabled(bool enabled);
    void stopMusicEnabled(bool enabled);
    void musicLabelChanged(const QString& text);
    void leadSelectorChanged(int index);

private:
    void LoadReminders();
    void onMusicPresence(const QString& path, bool present);
    void setLeadMinutes(int minutes);
    void setNextSeasonEnabled(bool enabled);
    void setMusicLabel(const QString& text);
    void clearSelection() { m_selectedId.reset(); }
    void changeMade();
    void tellLater(const QString& text);
    // The second of the latest tick, which the clock shows; now before it.
    qint64 referenceTime() const;

    Ports m_ports;
    PlantingForm m_form;
    QString m_strNote;
    int m_nLeadMinutes = kDefaultLeadMinutes;
    std::optional<quint64> m_selectedId;
    QString m_strMusic;
    QString m_musicLabel = defaultMusicLabel();
    bool m_nextSeason = false;
    bool m_alertBoxes = true;
    TickTimer m_timer;
    ReminderTable* m_table;
    TickEngine* m_engine;
    AlertQueue* m_alertQueue;
    SoundPrimer m_primer;
    LoadResult m_loadedHeader; // the file's lead and music, for a late music check
    std::unique_ptr<ReminderStore> m_store;
    std::unique_ptr<PersistenceController> m_persistence;
};
