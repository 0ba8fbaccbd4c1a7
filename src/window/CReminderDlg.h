#pragma once

#include "alarm/Clock.h"
#include "form/PlantingForm.h"
#include "reminders/ReminderStore.h"
#include "window/ControlTable.h"
#include "window/DialogServices.h"

#include <QDialog>
#include <QHash>

class CDigitGateEdit;
class CFlipSortListCtrl;
class CRimGlowButton;
class CXPGroupBox;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class ReminderDesk;
class ReminderTable;

// The main window. It builds its controls from the control table, connects
// them to the desk, which does the work, and writes the desk's results back.
// Where the window goes (tray, minimised, the end) is not its business: it
// tells what the user asked for through its signals.
class CReminderDlg : public QDialog {
    Q_OBJECT
public:
    // services must carry the chime, the deck and the presenter.
    explicit CReminderDlg(DialogServices services, QWidget* parent = nullptr);
    ~CReminderDlg() override;

    // The widget of a control id (nullptr for none), typed when asked.
    QWidget* control(ControlTable::Id id) const { return m_controls.value(id); }
    template <class T> T* control(ControlTable::Id id) const {
        return qobject_cast<T*>(control(id));
    }

    ReminderDesk& desk() { return *m_desk; }
    CFlipSortListCtrl* reminderView() const { return m_listReminders; }

    static QString title();

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
    void onAbout();

signals:
    // The close button (or Alt+F4); the window stays until someone ends it.
    void closeRequested();
    // Minimised by its button, its menu or the window manager.
    void minimiseRequested();
    void aboutRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildControls();
    void connectSignals();
    void OnInitDialog();
    void styleGroupBoxes();
    // true: widgets into the form and the note; false: the form back out.
    void UpdateData(bool saveAndValidate);
    // A form handler of the desk between reading and writing the widgets.
    template <class F> void withForm(F&& handler);
    static bool isSwallowedKey(const QEvent* event);

    DialogServices m_services;
    // Time reaches the desk through this, whatever the services give.
    class ServiceClock final : public Clock {
    public:
        explicit ServiceClock(const DialogServices& s) : m_services(s) {}
        qint64 now() const override { return m_services.now(); }

    private:
        const DialogServices& m_services;
    } m_clock{m_services};
    ReminderDesk* m_desk = nullptr;

    QHash<ControlTable::Id, QWidget*> m_controls;
    CFlipSortListCtrl* m_listReminders = nullptr;
    QDateTimeEdit* m_dtpPlant = nullptr;
    QComboBox* m_cropCombo = nullptr;
    QComboBox* m_seasonCombo = nullptr;
    QComboBox* m_stageCombo = nullptr;
    QComboBox* m_leadCombo = nullptr;
    QLineEdit* m_noteEdit = nullptr;
    CDigitGateEdit* m_hoursEdit = nullptr;
    CDigitGateEdit* m_minutesEdit = nullptr;
    QCheckBox* m_friendCheck = nullptr;
    QCheckBox* m_alertBoxCheck = nullptr;
    QRadioButton* m_ordinaryRadio = nullptr;
    QRadioButton* m_redSoilRadio = nullptr;
    QLabel* m_clockLabel = nullptr;
    CRimGlowButton* m_addButton = nullptr;
    CRimGlowButton* m_deleteButton = nullptr;
    CRimGlowButton* m_nextSeasonButton = nullptr;
    CRimGlowButton* m_chooseMusicButton = nullptr;
    CRimGlowButton* m_stopMusicButton = nullptr;
    CRimGlowButton* m_previewButton = nullptr;
    QLabel* m_musicLabel = nullptr;
    CXPGroupBox* m_controlsGroup = nullptr;
    CXPGroupBox* m_scheduleGroup = nullptr;
    QLabel* m_panelLabels[PlantingForm::kPanelLines] = {};
};
