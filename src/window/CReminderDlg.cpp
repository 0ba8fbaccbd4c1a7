#include "window/CReminderDlg.h"

#include "catalogue/TimeText.h"
#include "controls/CDigitGateEdit.h"
#include "controls/CFlipSortListCtrl.h"
#include "controls/CRimGlowButton.h"
#include "controls/CXPGroupBox.h"
#include "controls/DialogColouring.h"
#include "desk/ReminderDesk.h"
#include "reminders/ReminderTable.h"
#include "version/Version.h"
#include "window/ControlFactory.h"
#include "window/DialogUnits.h"
#include "window/NoteValidator.h"
#include "window/WindowFitter.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

using ControlTable::Id;
using ControlTable::Kind;

constexpr quint32 kBandColour = 0xE7A27B;
constexpr quint32 kBodyColour = 0xF7DFD6;
const QList<int> kColumnWidths{0, 100, 127, 127, 60, 140, 40};

} // namespace

QString CReminderDlg::title() {
    return QStringLiteral("FruitwakeV" FW_VERSION_SHORT
                          "  用户交流群：Fruitwake玩家群  快乐游戏_轻松游戏^_^");
}

CReminderDlg::CReminderDlg(DialogServices services, QWidget* parent)
    : QDialog(parent), m_services(std::move(services)) {
    const DialogServices system = DialogServices::system();
    if (!m_services.now)
        m_services.now = system.now;
    if (!m_services.showMessage)
        m_services.showMessage = system.showMessage;
    if (!m_services.chooseMusicFile)
        m_services.chooseMusicFile = system.chooseMusicFile;
    Q_ASSERT(m_services.chime && m_services.tuneDeck && m_services.presenter);
    m_desk = new ReminderDesk(
        {m_clock, *m_services.chime, *m_services.tuneDeck, *m_services.presenter,
         [this] { return m_services.chooseMusicFile(this); }, m_services.storePath},
        this);
    buildControls();
    connectSignals();
    OnInitDialog();
}

CReminderDlg::~CReminderDlg() = default;

void CReminderDlg::buildControls() {
    setWindowTitle(title());
    // A top-level window, not a dialog: X11 makes a dialog without a parent
    // transient for the whole program, and GNOME never minimises those.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    const QFont font = DialogUnits::dialogFont();
    setFont(font);
    const DialogUnits du(font);
    setFixedSize(du.x(ControlTable::kDialogWidth), du.y(ControlTable::kDialogHeight));

    QWidget* previousFocusable = nullptr;
    QWidget* tableFrame = nullptr;
    for (const ControlTable::Control& c : ControlTable::mainDialog()) {
        QWidget* w = ControlFactory::make(c, this);
        w->setGeometry(du.rect(c.x, c.y, c.w, ControlFactory::closedHeight(c)));
        w->setAccessibleName(c.accessibleName);
        if (c.has(ControlTable::Disabled))
            w->setEnabled(false);
        // The soil choice is reached as one group, below.
        if (c.has(ControlTable::NoTabStop) && c.kind != Kind::Radio)
            w->setFocusPolicy(Qt::ClickFocus);
        if (c.kind == Kind::GroupBox) {
            makeTransparentCaption(w);
            tableFrame = w;
        }
        if (c.id != Id::None) {
            w->setObjectName(ControlTable::objectName(c.id));
            m_controls.insert(c.id, w);
        }
        if (w->focusPolicy() & Qt::TabFocus) {
            if (previousFocusable)
                setTabOrder(previousFocusable, w);
            previousFocusable = w;
        }
    }

    // The members the handlers work with, like the data exchange's bindings.
    m_listReminders = control<CFlipSortListCtrl>(Id::ReminderList);
    m_dtpPlant = control<QDateTimeEdit>(Id::PlantTime);
    m_cropCombo = control<QComboBox>(Id::Crop);
    m_seasonCombo = control<QComboBox>(Id::Season);
    m_stageCombo = control<QComboBox>(Id::Stage);
    m_leadCombo = control<QComboBox>(Id::Lead);
    m_noteEdit = control<QLineEdit>(Id::Note);
    m_hoursEdit = control<CDigitGateEdit>(Id::FriendHours);
    m_minutesEdit = control<CDigitGateEdit>(Id::FriendMinutes);
    m_friendCheck = control<QCheckBox>(Id::FriendCrop);
    m_alertBoxCheck = control<QCheckBox>(Id::AlertBox);
    m_ordinaryRadio = control<QRadioButton>(Id::Ordinary);
    m_redSoilRadio = control<QRadioButton>(Id::RedSoil);
    m_clockLabel = control<QLabel>(Id::Clock);
    m_addButton = control<CRimGlowButton>(Id::Add);
    m_deleteButton = control<CRimGlowButton>(Id::Delete);
    m_nextSeasonButton = control<CRimGlowButton>(Id::NextSeason);
    m_chooseMusicButton = control<CRimGlowButton>(Id::ChooseMusic);
    m_stopMusicButton = control<CRimGlowButton>(Id::StopMusic);
    m_previewButton = control<CRimGlowButton>(Id::Preview);
    m_musicLabel = control<QLabel>(Id::MusicLabel);
    m_controlsGroup = control<CXPGroupBox>(Id::ControlsGroup);
    m_scheduleGroup = control<CXPGroupBox>(Id::ScheduleGroup);
    for (int k = 0; k < PlantingForm::kPanelLines; ++k)
        m_panelLabels[k] = control<QLabel>(ControlTable::kPanelValueIds[k]);

    // The note can hold at most one UTF-16 pair per byte; the validator cuts
    // to what the record holds.
    m_noteEdit->setMaxLength(2 * ReminderImage::kMaxFirstNoteBytes);
    m_noteEdit->setValidator(new NoteValidator(m_noteEdit));
    for (int minutes = kMaxLeadMinutes; minutes >= 1; --minutes)
        m_leadCombo->addItem(QString::number(minutes));
    m_dtpPlant->setCalendarPopup(true);
    // The data file keeps 32-bit instants.
    m_dtpPlant->setDateTimeRange(QDateTime::fromSecsSinceEpoch(TimeText::kMinStorable),
                                 QDateTime::fromSecsSinceEpoch(TimeText::kMaxStorable));

    // A value label's accessible name is its text, so a screen reader hears
    // the value, kept current by the label; the caption beside it describes it.
    for (int k = 0; k < PlantingForm::kPanelLines; ++k) {
        m_panelLabels[k]->setAccessibleDescription(m_panelLabels[k]->accessibleName());
        m_panelLabels[k]->setAccessibleName(QString());
    }
    m_clockLabel->setAccessibleDescription(QString::fromUtf8("当前时间"));
    m_clockLabel->setAccessibleName(QString());
    m_musicLabel->setAccessibleDescription(QString::fromUtf8("音乐："));
    m_musicLabel->setAccessibleName(QString());

    // One tab stop for the soil choice, on the checked button; the arrow keys
    // move between the two. Checked before the handlers are connected, as the
    // start-up check below then changes nothing.
    m_ordinaryRadio->setChecked(true);
    for (QRadioButton* r : {m_ordinaryRadio, m_redSoilRadio})
        connect(r, &QAbstractButton::toggled, this, [this] {
            for (QRadioButton* b : {m_ordinaryRadio, m_redSoilRadio})
                b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        });
    m_redSoilRadio->setFocusPolicy(Qt::ClickFocus);

    // On a screen too small for the template the reminder table gives way.
    // The table keeps its header and about three rows at least.
    new WindowFitter(this, {m_listReminders, tableFrame}, du.y(32));
}

void CReminderDlg::connectSignals() {
    connect(m_addButton, &QPushButton::clicked, this, &CReminderDlg::OnAddReminder);
    connect(m_deleteButton, &QPushButton::clicked, this, &CReminderDlg::OnDeleteReminder);
    connect(m_listReminders, &CFlipSortListCtrl::rowClicked, this, &CReminderDlg::OnReminderClick);
    // State changes, not clicks: the keyboard, an assistive technology's
    // toggle and code change the form as a click does, once per change.
    connect(m_friendCheck, &QCheckBox::toggled, this, &CReminderDlg::OnFriendCropClicked);
    connect(m_cropCombo, &QComboBox::currentIndexChanged, this, &CReminderDlg::OnCropSelChange);
    connect(m_seasonCombo, &QComboBox::currentIndexChanged, this, &CReminderDlg::OnSeasonSelChange);
    connect(m_dtpPlant, &QDateTimeEdit::dateTimeChanged, this, &CReminderDlg::OnPlantTimeChange);
    connect(m_ordinaryRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OnSoilOrdinary();
    });
    connect(m_redSoilRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OnSoilRedSoil();
    });
    connect(m_leadCombo, &QComboBox::activated, this, &CReminderDlg::OnLeadMinutesChange);
    connect(m_chooseMusicButton, &QPushButton::clicked, this, &CReminderDlg::OnChooseMusic);
    connect(m_stopMusicButton, &QPushButton::clicked, this, &CReminderDlg::OnStopMusic);
    connect(m_previewButton, &QPushButton::clicked, this, &CReminderDlg::OnPreviewMusic);
    connect(m_nextSeasonButton, &QPushButton::clicked, this, &CReminderDlg::OnNextSeason);
    connect(m_alertBoxCheck, &QCheckBox::toggled, m_desk, &ReminderDesk::setAlertBoxesWanted);
    // What the desk decides, into the widgets.
    connect(m_desk, &ReminderDesk::clockTextChanged, m_clockLabel, &QLabel::setText);
    connect(m_desk, &ReminderDesk::stopMusicEnabled, m_stopMusicButton, &QWidget::setEnabled);
    connect(m_desk, &ReminderDesk::nextSeasonEnabled, m_nextSeasonButton, &QWidget::setEnabled);
    connect(m_desk, &ReminderDesk::musicLabelChanged, m_musicLabel, &QLabel::setText);
    connect(m_desk, &ReminderDesk::leadSelectorChanged, this, [this](int index) {
        const QSignalBlocker block(m_leadCombo);
        m_leadCombo->setCurrentIndex(index);
    });
    connect(m_desk, &ReminderDesk::message, this,
            [this](const QString& text) { m_services.showMessage(this, text); });
    // Enter and Escape never reach any control of this window.
    qApp->installEventFilter(this);
}

void CReminderDlg::OnInitDialog() {
    UpdateData(true);
    m_dtpPlant->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    m_ordinaryRadio->setChecked(true);
    m_listReminders->setModel(&m_desk->table());
    m_listReminders->setColumnWidths(kColumnWidths);
    // One text line per row, as a report list shows it.
    m_listReminders->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_desk->start();
    UpdateData(false);
    styleGroupBoxes();
    m_alertBoxCheck->setChecked(true);
    QFont clockFont = DialogUnits::dialogFont();
    clockFont.setPointSize(14);
    m_clockLabel->setFont(clockFont);
}

void CReminderDlg::styleGroupBoxes() {
    m_controlsGroup->SetLook(CXPGroupBox::Look::Banded)
        .SetFillColors(kBandColour, kBodyColour)
        .SetCaptionBold(true);
    m_scheduleGroup->SetLook(CXPGroupBox::Look::Frame)
        .SetFillColors(kBandColour, kBodyColour)
        .SetCaptionAlign(CXPGroupBox::CaptionAlign::Centre)
        .SetCaptionBold(true);
}

namespace {

void mirror(QComboBox* box, const ChoiceList& list) {
    const QSignalBlocker block(box);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    if (shown != list.items) {
        box->clear();
        box->addItems(list.items);
    }
    box->setCurrentIndex(list.selected);
}

void mirror(QLineEdit* edit, const QString& text) {
    if (edit->text() == text)
        return;
    const QSignalBlocker block(edit);
    edit->setText(text);
}

} // namespace

// The one place where widgets and the form meet.
void CReminderDlg::UpdateData(bool saveAndValidate) {
    PlantingForm& form = m_desk->form();
    if (saveAndValidate) {
        form.setCropSelection(m_cropCombo->currentIndex());
        form.setSeasonSelection(m_seasonCombo->currentIndex());
        form.setStageSelection(m_stageCombo->currentIndex());
        form.setPlant(m_dtpPlant->dateTime().toSecsSinceEpoch());
        form.setHoursText(m_hoursEdit->text());
        form.setMinutesText(m_minutesEdit->text());
        m_desk->setNote(m_noteEdit->text());
        return;
    }
    mirror(m_cropCombo, form.crops());
    mirror(m_seasonCombo, form.seasons());
    mirror(m_stageCombo, form.stages());
    {
        const QSignalBlocker block(m_dtpPlant);
        if (m_dtpPlant->dateTime().toSecsSinceEpoch() != form.plant())
            m_dtpPlant->setDateTime(QDateTime::fromSecsSinceEpoch(form.plant()));
    }
    m_dtpPlant->setEnabled(form.pickerEnabled());
    const bool friendFields = form.friendFieldsEnabled();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_hoursEdit, m_minutesEdit, m_seasonCombo, m_stageCombo})
        w->setEnabled(friendFields);
    {
        const QSignalBlocker block(m_friendCheck);
        m_friendCheck->setChecked(form.friendMode());
    }
    mirror(m_hoursEdit, form.hoursText());
    mirror(m_minutesEdit, form.minutesText());
    mirror(m_noteEdit, m_desk->note());
    for (int k = 0; k < PlantingForm::kPanelLines; ++k)
        m_panelLabels[k]->setText(form.panel()[k]);
}

template <class F> void CReminderDlg::withForm(F&& handler) {
    UpdateData(true);
    handler();
    UpdateData(false);
}

void CReminderDlg::OnSoilOrdinary() {
    withForm([this] { m_desk->OnSoilOrdinary(); });
}

void CReminderDlg::OnSoilRedSoil() {
    withForm([this] { m_desk->OnSoilRedSoil(); });
}

void CReminderDlg::OnCropSelChange() {
    withForm([this] { m_desk->OnCropSelChange(); });
}

void CReminderDlg::OnSeasonSelChange() {
    withForm([this] { m_desk->OnSeasonSelChange(); });
}

void CReminderDlg::OnPlantTimeChange() {
    withForm([this] { m_desk->OnPlantTimeChange(); });
}

void CReminderDlg::OnFriendCropClicked() {
    withForm([this] { m_desk->OnFriendCropClicked(m_friendCheck->isChecked()); });
}

void CReminderDlg::OnAddReminder() {
    withForm([this] { m_desk->OnAddReminder(); });
}

void CReminderDlg::OnDeleteReminder() {
    QList<int> rows;
    for (const QModelIndex& i : m_listReminders->selectionModel()->selectedRows())
        rows << i.row();
    m_desk->OnDeleteReminder(rows);
}

void CReminderDlg::OnReminderClick(int row) {
    withForm([this, row] { m_desk->OnReminderClick(row); });
}

void CReminderDlg::OnTimer() {
    m_desk->OnTimer();
}

void CReminderDlg::OnLeadMinutesChange() {
    m_desk->onLeadSelected(m_leadCombo->currentIndex());
}

void CReminderDlg::OnChooseMusic() {
    m_desk->OnChooseMusic();
}

void CReminderDlg::OnStopMusic() {
    m_desk->OnStopMusic();
}

void CReminderDlg::OnPreviewMusic() {
    m_desk->OnPreviewMusic();
}

void CReminderDlg::OnNextSeason() {
    m_desk->OnNextSeason();
}

bool CReminderDlg::isSwallowedKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool CReminderDlg::eventFilter(QObject* watched, QEvent* event) {
    if (isSwallowedKey(event) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return true;
    return QDialog::eventFilter(watched, event);
}

void CReminderDlg::keyPressEvent(QKeyEvent* event) {
    if (isSwallowedKey(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CReminderDlg::onAbout() {
    emit aboutRequested();
}

void CReminderDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

// Hidden or minimised, the tick sleeps until something is due; shown again,
// it puts the clock and the countdowns right at once.
void CReminderDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_desk->secondTimer().setHidden(isMinimized());
}

void CReminderDlg::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    m_desk->secondTimer().setHidden(true);
}

void CReminderDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    m_desk->secondTimer().setHidden(!isVisible() || isMinimized());
    // Told once the state change is done, so a listener may hide the window.
    if (isMinimized())
        QMetaObject::invokeMethod(this, &CReminderDlg::minimiseRequested, Qt::QueuedConnection);
}

// Where there is no system menu to extend, the About entry lives here.
void CReminderDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QString::fromUtf8("关于 Fruitwake(&A)..."), this, &CReminderDlg::onAbout);
    menu.exec(event->globalPos());
}
