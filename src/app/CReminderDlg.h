#pragma once

#include "alarm/Clock.h"
#include "alarm/TickTimer.h"
#include "form/PlantingForm.h"
#include "reminders/ReminderStore.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <memory>

class AlertPresenter;
class AlertQueue;
class CDigitGateEdit;
class Chime;
class TickEngine;
class TuneDeck;
class CFlipSortListCtrl;
class CRimGlowButton;
class CXPGroupBox;
class QCheckBox;
class PersistenceController;
class ShellController;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class ReminderTable;

// What the window needs from outside; tests pass fakes.
struct DialogServices {
    // The current instant, seconds since the epoch.
    std::function<qint64()> now;
    // A message about a refused action (parent, text); the caption is the
    // application's display name.
    std::function<void(QWidget*, const QString&)> showMessage;
    // The music chooser: the chosen path, empty when cancelled.
    std::function<QString(QWidget*)> chooseMusicFile;
    // Sound and alert boxes; left null, the window makes the real ones.
    Chime* chime = nullptr;
    TuneDeck* tuneDeck = nullptr;
    AlertPresenter* presenter = nullptr;
    // The data file; empty keeps the reminders in memory only.
    QString storePath;

    static DialogServices System();
};

// The main window: the planting form, the schedule panel, the reminder table
// and the buttons. Widgets only mirror PlantingForm and ReminderTable; the
// handlers read the widgets, call the logic and write the results back.
class CReminderDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNoteBytes = 90; // what the data file's record holds

    explicit CReminderDlg(DialogServices services = DialogServices::System(),
                          QWidget* parent = nullptr);
    ~CReminderDlg() override;

    // The widget of a template id (nullptr for none), typed when asked.
    QWidget* Control(int id) const { return m_controls.value(id); }
    template <class T> T* Control(int id) const { return qobject_cast<T*>(Control(id)); }

    ReminderTable& Reminders() { return *m_reminders; }
    const PlantingForm& Form() const { return m_form; }
    int SelectedRow() const { return m_nSelRow; }
    // The reminder last clicked, by id, or -1; stays with that reminder when
    // rows above it go away.
    qint64 SelectedRowId() const { return m_nSelRowId; }
    int LeadMinutes() const { return m_nLeadMinutes; }
    void SetLeadMinutes(int minutes);
    bool AlertBoxesWanted() const;
    QString Note() const { return m_strNote; }
    CFlipSortListCtrl* ReminderView() const { return m_listReminders; }
    // The save at an orderly end; never blocks.
    SaveResult SaveReminders();
    PersistenceController* Persistence() const { return m_persistence; }

    // Closing, minimising and About go through the shell when there is one.
    void SetShell(ShellController* shell) { m_shell = shell; }

    ::TickTimer& SecondTimer() { return m_timer; }
    TickEngine& Engine() { return *m_engine; }
    AlertQueue& Alerts() { return *m_alertQueue; }
    TuneDeck& Deck() { return *m_tuneDeck; }
    const QString& Music() const { return m_strMusic; }

public slots:
    void OnAddReminder();
    void OnDeleteReminder();
    void OnReminderClick(int row);
    void OnSoilOrdinary();
    void OnSoilRedSoil();
    void OnCropSelChange();
    void OnSeasonSelChange();
    void OnPlantTimeChange();
    void OnFriendCropClicked();
    // One tick: clock, countdowns, alerts, removals.
    void OnTimer();
    void OnLeadMinutesChange();
    void OnChooseMusic();
    void OnStopMusic();
    void OnPreviewMusic();
    void OnNextSeason();
    // Shows and raises the window, also from the tray or minimised; with a
    // text, an alert is the reason and the keyboard focus stays elsewhere.
    void BringForward(const QString& alertText = QString());
    void OnAbout();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void ConnectSignals();
    void OnInitDialog();
    void LoadReminders();
    void ChangeMade();
    void StyleGroupBoxes();
    // true: widgets into the form and the note; false: the form back out.
    void UpdateData(bool saveAndValidate);
    void WritePanel();
    qint64 ReferenceTime() const;
    static bool IsSwallowedKey(const QEvent* event);

    DialogServices m_services;
    PlantingForm m_form;
    int m_nLeadMinutes = 5;
    QString m_strNote;
    int m_nSelRow = -1;
    qint64 m_nSelRowId = -1;
    QString m_strMusic;
    ::TickTimer m_timer;
    ReminderTable* m_reminders = nullptr;

    // Time reaches the engine through this, whatever the services give.
    class ServiceClock final : public Clock {
    public:
        explicit ServiceClock(const DialogServices& s) : m_services(s) {}
        qint64 now() const override { return m_services.now(); }

    private:
        const DialogServices& m_services;
    } m_clock{m_services};
    Chime* m_chime = nullptr;
    TuneDeck* m_tuneDeck = nullptr;
    AlertPresenter* m_presenter = nullptr;
    TickEngine* m_engine = nullptr;
    AlertQueue* m_alertQueue = nullptr;
    ShellController* m_shell = nullptr;
    std::unique_ptr<ReminderStore> m_store;
    PersistenceController* m_persistence = nullptr;

    QHash<int, QWidget*> m_controls;
    CFlipSortListCtrl* m_listReminders = nullptr;
    QDateTimeEdit* m_dtpPlant = nullptr;
    QComboBox* m_cmbCrop = nullptr;
    QComboBox* m_cmbSeason = nullptr;
    QComboBox* m_cmbStage = nullptr;
    QComboBox* m_cmbLead = nullptr;
    QLineEdit* m_editNote = nullptr;
    CDigitGateEdit* m_editHours = nullptr;
    CDigitGateEdit* m_editMinutes = nullptr;
    QCheckBox* m_chkFriend = nullptr;
    QCheckBox* m_chkAlertBox = nullptr;
    QRadioButton* m_radOrdinary = nullptr;
    QRadioButton* m_radRedSoil = nullptr;
    QLabel* m_lblClock = nullptr;
    CRimGlowButton* m_btnAdd = nullptr;
    CRimGlowButton* m_btnDelete = nullptr;
    CRimGlowButton* m_btnNextSeason = nullptr;
    CRimGlowButton* m_btnChooseMusic = nullptr;
    CRimGlowButton* m_btnStopMusic = nullptr;
    CRimGlowButton* m_btnPreview = nullptr;
    QLabel* m_lblMusic = nullptr;
    CXPGroupBox* m_grpControls = nullptr;
    CXPGroupBox* m_grpSchedule = nullptr;
    QLabel* m_lblPanel[PlantingForm::kPanelLines] = {};
};
