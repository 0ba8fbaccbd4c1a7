#include "app/CReminderDlg.h"

#include "app/AppCaption.h"

#include "alarm/AlertQueue.h"
#include "alarm/Chime.h"
#include "alarm/MusicChoice.h"
#include "alarm/NextSeason.h"
#include "alarm/TickEngine.h"
#include "alarm/TuneDeck.h"
#include "app/CAboutBox.h"
#include "app/ControlTable.h"
#include "app/DialogUnits.h"
#include "app/QtAlertPresenter.h"
#include "app/ShellController.h"
#include "catalogue/TimeText.h"
#include "controls/CDigitGateEdit.h"
#include "controls/CFlipSortListCtrl.h"
#include "controls/CInkStatic.h"
#include "controls/CRimGlowButton.h"
#include "controls/CXPGroupBox.h"
#include "controls/DialogColouring.h"
#include "reminders/Cp936Codec.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QValidator>

namespace {

using ControlTable::Kind;

// Keeps the note within what the data file's record holds. Text typed or
// pasted lands just before the cursor, so the excess is cut from there, whole
// characters at a time; whatever stood before stays.
class NoteValidator : public QValidator {
public:
    NoteValidator(qsizetype maxBytes, QObject* parent) : QValidator(parent), m_max(maxBytes) {}

    State validate(QString& input, int& pos) const override {
        if (Cp936::EncodedLength(input) <= m_max)
            return Acceptable;
        pos = qBound(0, pos, int(input.size()));
        while (pos > 0 && Cp936::EncodedLength(input) > m_max) {
            const int n = charBefore(input, pos);
            input.remove(pos - n, n);
            pos -= n;
        }
        while (!input.isEmpty() && Cp936::EncodedLength(input) > m_max)
            input.chop(charBefore(input, int(input.size())));
        pos = qMin(pos, int(input.size()));
        return Acceptable;
    }

private:
    static int charBefore(const QString& s, int pos) {
        return pos >= 2 && s[pos - 1].isLowSurrogate() && s[pos - 2].isHighSurrogate() ? 2 : 1;
    }
    qsizetype m_max;
};

constexpr int kClosedComboHeight = 14; // dialog units
constexpr int kListLineHeight = 8;
constexpr quint32 kBandColour = 0xE7A27B;
constexpr quint32 kBodyColour = 0xF7DFD6;
const QList<int> kColumnWidths{0, 100, 127, 127, 60, 140, 40};

QString mainWindowTitle() {
    return QStringLiteral("FruitwakeV1.8  用户交流群：Fruitwake玩家群  快乐游戏_轻松游戏^_^");
}

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QWidget* makeControl(const ControlTable::Control& c, QWidget* parent) {
    switch (c.kind) {
    case Kind::XPGroupBox:
        return new CXPGroupBox(c.text, parent);
    case Kind::GroupBox:
        return new QGroupBox(c.text, parent);
    case Kind::InkLabel:
        return new CInkStatic(c.text, parent);
    case Kind::Static: {
        QLabel* l = plainLabel(c.text, parent);
        if (c.has(ControlTable::Centred))
            l->setAlignment(Qt::AlignCenter);
        if (c.has(ControlTable::Sunken)) {
            l->setFrameShape(QFrame::Panel);
            l->setFrameShadow(QFrame::Sunken);
            l->setLineWidth(1);
        }
        if (c.id == ControlTable::kNoId)
            MakeTransparentCaption(l);
        else
            l->setAutoFillBackground(true); // captions with ids keep the window colour
        return l;
    }
    case Kind::Button: {
        auto* b = new CRimGlowButton(c.text, parent);
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    }
    case Kind::DateTime:
        return new QDateTimeEdit(parent);
    case Kind::ComboBox: {
        auto* cb = new QComboBox(parent);
        cb->setMaxVisibleItems(qMax(1, (c.h - kClosedComboHeight) / kListLineHeight));
        return cb;
    }
    case Kind::Edit:
        return new QLineEdit(parent);
    case Kind::DigitEdit:
        return new CDigitGateEdit(parent);
    case Kind::CheckBox:
        return new QCheckBox(c.text, parent);
    case Kind::Radio:
        return new QRadioButton(c.text, parent);
    case Kind::ListView:
        return new CFlipSortListCtrl(parent);
    }
    return nullptr;
}

} // namespace

DialogServices DialogServices::System() {
    DialogServices s;
    s.now = [] { return QDateTime::currentSecsSinceEpoch(); };
    s.showMessage = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Warning, AppCaption(), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    s.chooseMusicFile = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), MusicChoice::FileFilter(),
                                            nullptr, QFileDialog::HideNameFilterDetails);
    };
    s.storePath = ReminderStore::DefaultPath();
    return s;
}

CReminderDlg::CReminderDlg(DialogServices services, QWidget* parent)
    : QDialog(parent), m_services(std::move(services)) {
    if (!m_services.now)
        m_services.now = DialogServices::System().now;
    if (!m_services.showMessage)
        m_services.showMessage = DialogServices::System().showMessage;
    if (!m_services.chooseMusicFile)
        m_services.chooseMusicFile = DialogServices::System().chooseMusicFile;
    m_reminders = new ReminderTable(this);
    m_chime = m_services.chime ? m_services.chime : new QtChime(this);
    m_tuneDeck = m_services.tuneDeck ? m_services.tuneDeck : new CTuneDeck(this);
    m_presenter = m_services.presenter
                      ? m_services.presenter
                      : new QtAlertPresenter(
                            this, [this](const QString& text) { BringForward(text); }, this);
    m_engine = new TickEngine(*m_reminders, m_clock, this);
    m_engine->setTuneDeck(m_tuneDeck);
    m_alertQueue = new AlertQueue(*m_chime, *m_tuneDeck, *m_presenter, this);
    m_alertQueue->setShowBoxes([this] { return AlertBoxesWanted(); });
    if (!m_services.storePath.isEmpty()) {
        m_store = std::make_unique<ReminderStore>(m_services.storePath);
        m_persistence = new PersistenceController(
            [this] {
                StoreState st;
                st.musicPath = m_strMusic;
                st.leadMinutes = m_nLeadMinutes;
                st.rows = m_reminders->rows();
                return st;
            },
            *m_store, this);
    }
    BuildControls();
    ConnectSignals();
    OnInitDialog();
}

CReminderDlg::~CReminderDlg() = default;

void CReminderDlg::BuildControls() {
    setWindowTitle(mainWindowTitle());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    const QFont font = DialogUnits::DialogFont();
    setFont(font);
    const DialogUnits du(font);
    setFixedSize(du.x(ControlTable::kDialogWidth), du.y(ControlTable::kDialogHeight));

    QWidget* previousFocusable = nullptr;
    for (const ControlTable::Control& c : ControlTable::MainDialog()) {
        QWidget* w = makeControl(c, this);
        const int h = c.kind == Kind::ComboBox ? kClosedComboHeight : c.h;
        w->setGeometry(du.rect(c.x, c.y, c.w, h));
        w->setAccessibleName(c.accessibleName);
        if (c.has(ControlTable::Disabled))
            w->setEnabled(false);
        if (c.has(ControlTable::NoTabStop))
            w->setFocusPolicy(Qt::ClickFocus);
        if (c.kind == Kind::GroupBox)
            MakeTransparentCaption(w);
        if (c.id != ControlTable::kNoId) {
            w->setObjectName(ControlTable::ObjectName(c.id));
            m_controls.insert(c.id, w);
        }
        if (w->focusPolicy() & Qt::TabFocus) {
            if (previousFocusable)
                setTabOrder(previousFocusable, w);
            previousFocusable = w;
        }
    }

    // The members the handlers work with, like the data exchange's bindings.
    m_listReminders = Control<CFlipSortListCtrl>(1005);
    m_dtpPlant = Control<QDateTimeEdit>(1000);
    m_cmbCrop = Control<QComboBox>(1007);
    m_cmbSeason = Control<QComboBox>(1022);
    m_cmbStage = Control<QComboBox>(1020);
    m_cmbLead = Control<QComboBox>(1038);
    m_editNote = Control<QLineEdit>(1008);
    m_editHours = Control<CDigitGateEdit>(1018);
    m_editMinutes = Control<CDigitGateEdit>(1019);
    m_chkFriend = Control<QCheckBox>(1015);
    m_chkAlertBox = Control<QCheckBox>(1010);
    m_radOrdinary = Control<QRadioButton>(1045);
    m_radRedSoil = Control<QRadioButton>(1046);
    m_lblClock = Control<QLabel>(1009);
    m_btnAdd = Control<CRimGlowButton>(1003);
    m_btnDelete = Control<CRimGlowButton>(1006);
    m_btnNextSeason = Control<CRimGlowButton>(1037);
    m_btnChooseMusic = Control<CRimGlowButton>(1041);
    m_btnStopMusic = Control<CRimGlowButton>(1043);
    m_btnPreview = Control<CRimGlowButton>(1044);
    m_lblMusic = Control<QLabel>(1042);
    m_grpControls = Control<CXPGroupBox>(1012);
    m_grpSchedule = Control<CXPGroupBox>(1036);
    for (int k = 0; k < PlantingForm::kPanelLines; ++k)
        m_lblPanel[k] = Control<QLabel>(ControlTable::kPanelValueIds[k]);

    // The note can hold at most one UTF-16 pair per byte; the validator cuts
    // to the byte limit.
    m_editNote->setMaxLength(2 * kNoteBytes);
    m_editNote->setValidator(new NoteValidator(kNoteBytes, m_editNote));
    m_cmbLead->addItems({QStringLiteral("5"), QStringLiteral("4"), QStringLiteral("3"),
                         QStringLiteral("2"), QStringLiteral("1")});
    m_dtpPlant->setCalendarPopup(true);
    // The data file keeps 32-bit instants.
    m_dtpPlant->setDateTimeRange(QDateTime::fromSecsSinceEpoch(TimeText::kMinStorable),
                                 QDateTime::fromSecsSinceEpoch(TimeText::kMaxStorable));
}

void CReminderDlg::ConnectSignals() {
    connect(m_btnAdd, &QPushButton::clicked, this, &CReminderDlg::OnAddReminder);
    connect(m_btnDelete, &QPushButton::clicked, this, &CReminderDlg::OnDeleteReminder);
    connect(m_listReminders, &CFlipSortListCtrl::rowClicked, this, &CReminderDlg::OnReminderClick);
    connect(m_chkFriend, &QCheckBox::clicked, this, &CReminderDlg::OnFriendCropClicked);
    connect(m_cmbCrop, &QComboBox::currentIndexChanged, this, &CReminderDlg::OnCropSelChange);
    connect(m_cmbSeason, &QComboBox::currentIndexChanged, this, &CReminderDlg::OnSeasonSelChange);
    connect(m_dtpPlant, &QDateTimeEdit::dateTimeChanged, this, &CReminderDlg::OnPlantTimeChange);
    connect(m_radOrdinary, &QRadioButton::clicked, this, &CReminderDlg::OnSoilOrdinary);
    connect(m_radRedSoil, &QRadioButton::clicked, this, &CReminderDlg::OnSoilRedSoil);
    connect(&m_timer, &TickTimer::tick, this, &CReminderDlg::OnTimer);
    connect(m_cmbLead, &QComboBox::activated, this, &CReminderDlg::OnLeadMinutesChange);
    connect(m_btnChooseMusic, &QPushButton::clicked, this, &CReminderDlg::OnChooseMusic);
    connect(m_btnStopMusic, &QPushButton::clicked, this, &CReminderDlg::OnStopMusic);
    connect(m_btnPreview, &QPushButton::clicked, this, &CReminderDlg::OnPreviewMusic);
    connect(m_btnNextSeason, &QPushButton::clicked, this, &CReminderDlg::OnNextSeason);
    connect(m_engine, &TickEngine::clockTextChanged, m_lblClock, &QLabel::setText);
    connect(m_engine, &TickEngine::stopMusicEnabled, m_btnStopMusic, &QWidget::setEnabled);
    connect(m_engine, &TickEngine::alertsRaised, m_alertQueue, &AlertQueue::enqueue);
    // Every change reaches the data file about a second later.
    connect(m_reminders, &QAbstractItemModel::rowsInserted, this, &CReminderDlg::ChangeMade);
    connect(m_reminders, &QAbstractItemModel::rowsRemoved, this, &CReminderDlg::ChangeMade);
    connect(m_reminders, &QAbstractItemModel::layoutChanged, this, &CReminderDlg::ChangeMade);
    if (m_persistence)
        connect(m_persistence, &PersistenceController::saveFailed, this,
                [this](const QString& message) {
                    // Told once per streak of failures, after the tick has finished.
                    QTimer::singleShot(0, this,
                                       [this, message] { m_services.showMessage(this, message); });
                });
    // Enter and Escape never reach any control of this window.
    qApp->installEventFilter(this);
}

void CReminderDlg::OnInitDialog() {
    UpdateData(true);
    const qint64 now = m_services.now();
    m_nSelRow = -1;
    m_nSelRowId = -1;
    m_form.setPlant(now);
    m_dtpPlant->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    m_timer.start();
    m_radOrdinary->setChecked(true);
    SetLeadMinutes(5);
    LoadReminders();
    m_form.FillCropList(m_form.soilKind());
    UpdateData(false);
    StyleGroupBoxes();
    m_chkAlertBox->setChecked(true);
    QFont clockFont = DialogUnits::DialogFont();
    clockFont.setPointSize(14);
    m_lblClock->setFont(clockFont);
}

void CReminderDlg::LoadReminders() {
    m_listReminders->setModel(m_reminders);
    m_listReminders->setColumnWidths(kColumnWidths);
    // One text line per row, as a report list shows it.
    m_listReminders->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    if (!m_store)
        return;
    const LoadResult loaded = m_store->load();
    if (loaded.status == LoadStatus::Unreadable) {
        QString text = QString::fromUtf8("数据文件无法读取，这次从空的提醒列表开始。");
        if (!loaded.damagedCopy.isEmpty())
            text += QString::fromUtf8("\n原文件已移到：") + loaded.damagedCopy;
        text += QString::fromUtf8("\n原因：") + loaded.reason;
        QTimer::singleShot(0, this, [this, text] { m_services.showMessage(this, text); });
        return;
    }
    if (loaded.status == LoadStatus::Missing || loaded.status == LoadStatus::Empty)
        return;
    const LoadedSettings settings = AdoptLoaded(loaded);
    SetLeadMinutes(settings.leadMinutes);
    m_strMusic = settings.strMusic;
    m_tuneDeck->SetPath(settings.playerPath);
    m_lblMusic->setText(settings.musicLabel);
    {
        const QSignalBlocker block(m_cmbLead);
        m_cmbLead->setCurrentIndex(settings.selectorIndex);
    }
    m_reminders->reset(loaded.state.rows);
    if (loaded.status == LoadStatus::Damaged) {
        QString text = QString::fromUtf8("数据文件已损坏，已读入其中完整的提醒。");
        if (!loaded.damagedCopy.isEmpty())
            text += QString::fromUtf8("\n原文件已另存为：") + loaded.damagedCopy;
        if (!loaded.reason.isEmpty())
            text += QString::fromUtf8("\n原因：") + loaded.reason;
        QTimer::singleShot(0, this, [this, text] { m_services.showMessage(this, text); });
    }
}

void CReminderDlg::ChangeMade() {
    if (m_persistence)
        m_persistence->markDirty();
}

SaveResult CReminderDlg::SaveReminders() {
    if (!m_persistence)
        return SaveResult{true, QString()};
    return m_persistence->saveNow();
}

void CReminderDlg::StyleGroupBoxes() {
    m_grpControls->SetLook(1).SetFillColors(kBandColour, kBodyColour).SetCaptionBold(true);
    m_grpSchedule->SetLook(0)
        .SetFillColors(kBandColour, kBodyColour)
        .SetCaptionAlign(1)
        .SetCaptionBold(true);
}

void CReminderDlg::SetLeadMinutes(int minutes) {
    // A stored value above 5 becomes 5; the selector shows nothing for one
    // outside its items, while the value stays in force.
    m_nLeadMinutes = qMin(minutes, 5);
    m_engine->setLeadMinutes(m_nLeadMinutes);
    const QSignalBlocker block(m_cmbLead);
    m_cmbLead->setCurrentIndex(m_nLeadMinutes >= 1 ? 5 - m_nLeadMinutes : -1);
}

bool CReminderDlg::AlertBoxesWanted() const {
    return m_chkAlertBox->isChecked();
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
    if (saveAndValidate) {
        m_form.setCropSelection(m_cmbCrop->currentIndex());
        m_form.setSeasonSelection(m_cmbSeason->currentIndex());
        m_form.setStageSelection(m_cmbStage->currentIndex());
        m_form.setPlant(m_dtpPlant->dateTime().toSecsSinceEpoch());
        m_form.setHoursText(m_editHours->text());
        m_form.setMinutesText(m_editMinutes->text());
        m_strNote = m_editNote->text();
        return;
    }
    mirror(m_cmbCrop, m_form.crops());
    mirror(m_cmbSeason, m_form.seasons());
    mirror(m_cmbStage, m_form.stages());
    {
        const QSignalBlocker block(m_dtpPlant);
        if (m_dtpPlant->dateTime().toSecsSinceEpoch() != m_form.plant())
            m_dtpPlant->setDateTime(QDateTime::fromSecsSinceEpoch(m_form.plant()));
    }
    m_dtpPlant->setEnabled(m_form.pickerEnabled());
    const bool friendFields = m_form.friendFieldsEnabled();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_editHours, m_editMinutes, m_cmbSeason, m_cmbStage})
        w->setEnabled(friendFields);
    {
        const QSignalBlocker block(m_chkFriend);
        m_chkFriend->setChecked(m_form.friendMode());
    }
    mirror(m_editHours, m_form.hoursText());
    mirror(m_editMinutes, m_form.minutesText());
    mirror(m_editNote, m_strNote);
    WritePanel();
}

void CReminderDlg::WritePanel() {
    for (int k = 0; k < PlantingForm::kPanelLines; ++k)
        m_lblPanel[k]->setText(m_form.panel()[k]);
}

void CReminderDlg::OnSoilOrdinary() {
    UpdateData(true);
    m_form.OnSoilOrdinary();
    UpdateData(false);
}

void CReminderDlg::OnSoilRedSoil() {
    UpdateData(true);
    m_form.OnSoilRedSoil();
    UpdateData(false);
}

void CReminderDlg::OnCropSelChange() {
    UpdateData(true);
    m_form.OnCropSelChange(m_services.now());
    UpdateData(false);
}

void CReminderDlg::OnSeasonSelChange() {
    UpdateData(true);
    m_form.OnSeasonSelChange();
    UpdateData(false);
}

void CReminderDlg::OnPlantTimeChange() {
    UpdateData(true);
    m_form.OnPlantTimeChange();
    UpdateData(false);
}

void CReminderDlg::OnFriendCropClicked() {
    UpdateData(true);
    m_form.OnFriendCropClicked(m_chkFriend->isChecked());
    UpdateData(false);
}

// The clock label as the tick wrote it, or now while it still reads its
// template text.
qint64 CReminderDlg::ReferenceTime() const {
    return TimeText::Parse(m_lblClock->text()).value_or(m_services.now());
}

void CReminderDlg::OnAddReminder() {
    UpdateData(true);
    const PlantingForm::NewReminder r = m_form.Describe(ReferenceTime());
    if (!r.ok) {
        m_services.showMessage(this, r.error);
        return;
    }
    m_nSelRow = -1;
    m_nSelRowId = -1;
    ReminderRow row;
    row.cropIndex = r.cropIndex;
    row.cropName = r.cropName;
    row.plant = r.plant;
    row.ripe = r.ripe;
    row.note = Cp936::EncodedLength(m_strNote) <= kNoteBytes
                   ? m_strNote
                   : Cp936::Decode(Cp936::EncodeCut(m_strNote, kNoteBytes));
    row.seasonNo = r.seasonNo;
    m_reminders->append(row);
    UpdateData(false);
    m_btnNextSeason->setEnabled(false);
}

void CReminderDlg::OnDeleteReminder() {
    QList<int> rows;
    for (const QModelIndex& i : m_listReminders->selectionModel()->selectedRows())
        rows << i.row();
    if (rows.isEmpty())
        return;
    m_reminders->removeAndRenumber(rows);
    m_btnNextSeason->setEnabled(false);
}

void CReminderDlg::OnReminderClick(int row) {
    if (row < 0 || row >= m_reminders->count()) {
        m_nSelRow = -1;
        m_nSelRowId = -1;
        return;
    }
    UpdateData(true);
    const ReminderRow& r = m_reminders->row(row);
    m_form.ShowRowSchedule(r.cropIndex, r.cropName, r.plant, r.seasonNo);
    UpdateData(false);
    m_nSelRow = row;
    m_nSelRowId = r.rowId;
    const QString countdown =
        m_reminders->data(m_reminders->index(row, ReminderTable::ColCountdown)).toString();
    m_btnNextSeason->setEnabled(countdown == QStringLiteral("点击下一季开始！"));
}

void CReminderDlg::OnTimer() {
    m_engine->tick();
    if (m_persistence)
        m_persistence->onTick();
}

void CReminderDlg::OnLeadMinutesChange() {
    if (m_cmbLead->currentIndex() < 0)
        return;
    SetLeadMinutes(5 - m_cmbLead->currentIndex());
    ChangeMade();
}

void CReminderDlg::OnChooseMusic() {
    m_btnNextSeason->setEnabled(false);
    const QString chosen = m_services.chooseMusicFile(this);
    const MusicChoice::ChooseOutcome out = MusicChoice::OnChooseMusic(chosen, m_strMusic);
    if (!out.message.isEmpty()) {
        m_services.showMessage(this, out.message);
        return;
    }
    m_lblMusic->setText(out.label);
    if (out.changed) {
        m_tuneDeck->SetPath(out.music);
        m_strMusic = out.music;
        ChangeMade();
    }
}

void CReminderDlg::OnStopMusic() {
    m_tuneDeck->Close();
    m_btnStopMusic->setEnabled(m_tuneDeck->IsActive());
}

void CReminderDlg::OnPreviewMusic() {
    m_btnNextSeason->setEnabled(false);
    switch (MusicChoice::OnPreviewMusic(m_strMusic, m_tuneDeck->IsActive())) {
    case MusicChoice::PreviewAction::ShowNoSongMessage:
        m_services.showMessage(this, MusicChoice::NoSongText());
        break;
    case MusicChoice::PreviewAction::Play:
        m_tuneDeck->Play();
        m_btnStopMusic->setEnabled(m_tuneDeck->IsActive());
        break;
    case MusicChoice::PreviewAction::Nothing:
        break;
    }
}

void CReminderDlg::OnNextSeason() {
    if (m_nSelRowId < 0)
        return;
    ApplyNextSeason(*m_reminders, static_cast<quint32>(m_nSelRowId), ReferenceTime());
    m_nSelRow = -1;
    m_nSelRowId = -1;
    m_btnNextSeason->setEnabled(false);
}

void CReminderDlg::BringForward(const QString& alertText) {
    if (m_shell) {
        if (alertText.isEmpty())
            m_shell->bringForward();
        else
            m_shell->alertRaised();
        return;
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
}

void CReminderDlg::OnAbout() {
    if (m_shell)
        m_shell->requestAbout();
    else
        CAboutBox::Open(this);
}

void CReminderDlg::closeEvent(QCloseEvent* event) {
    if (m_shell && !m_shell->requestClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CReminderDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Minimising goes to the tray; the shell decides once the state change is done.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_shell)
        QTimer::singleShot(0, m_shell, &ShellController::requestMinimize);
}

// Where there is no system menu to extend, the About entry lives here.
void CReminderDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QString::fromUtf8("关于 Fruitwake(&A)..."), this, &CReminderDlg::OnAbout);
    menu.exec(event->globalPos());
}

bool CReminderDlg::IsSwallowedKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool CReminderDlg::eventFilter(QObject* watched, QEvent* event) {
    if (IsSwallowedKey(event) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return true;
    return QDialog::eventFilter(watched, event);
}

void CReminderDlg::keyPressEvent(QKeyEvent* event) {
    if (IsSwallowedKey(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
