#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// The main window's template: every control with its id, kind, text and
// place in dialog units, in template order, which is also the tab order.
namespace ControlTable {

enum class Kind {
    XPGroupBox, // CXPGroupBox
    GroupBox,   // plain frame
    InkLabel,   // CInkStatic
    Static,     // plain label
    Button,     // CRimGlowButton
    DateTime,   // date-time picker
    ComboBox,   // drop-down list; the height includes the opened list
    Edit,
    DigitEdit, // CDigitGateEdit
    CheckBox,
    Radio,
    ListView // CFlipSortListCtrl
};

enum Flag : quint32 {
    None = 0,
    Disabled = 1u << 0,
    NoTabStop = 1u << 1,
    Centred = 1u << 2, // text centred both ways
    Sunken = 1u << 3,  // thin sunken edge
};

// The controls' ids; their numbers name the widgets ("idc_1003").
enum class Id : int {
    None = -1,
    PlantTime = 1000,
    Add = 1003,
    ReminderList = 1005,
    Delete = 1006,
    Crop = 1007,
    Note = 1008,
    Clock = 1009,
    AlertBox = 1010,
    ControlsGroup = 1012,
    FriendCrop = 1015,
    FriendHours = 1018,
    FriendMinutes = 1019,
    Stage = 1020,
    Season = 1022,
    NoteHint = 1024,
    NoteCaption = 1025,
    CropCaption = 1026,
    PlantCaption = 1027,
    ClockCaption = 1028,
    Season1Ripe = 1029,
    Season2Ripe = 1030,
    Season3Ripe = 1031,
    Season4Ripe = 1032,
    Season5Ripe = 1033,
    Season6Ripe = 1034,
    Season7Ripe = 1035,
    ScheduleGroup = 1036,
    NextSeason = 1037,
    Lead = 1038,
    Season8Ripe = 1039,
    Season9Ripe = 1040,
    ChooseMusic = 1041,
    MusicLabel = 1042,
    StopMusic = 1043,
    Preview = 1044,
    Ordinary = 1045,
    RedSoil = 1046,
};
constexpr int kDialogWidth = 412;
constexpr int kDialogHeight = 425;

struct Control {
    Id id = Id::None;
    Kind kind = Kind::Static;
    QString text;
    int x = 0, y = 0, w = 0, h = 0;
    quint32 flags = None;
    QString accessibleName; // the visible text, or the caption beside the control

    bool has(Flag f) const { return (flags & f) != 0; }
};

const std::vector<Control>& mainDialog();
QString objectName(Id id);

// The nine schedule-panel values, first season first.
constexpr Id kPanelValueIds[9] = {Id::Season1Ripe, Id::Season2Ripe, Id::Season3Ripe,
                                  Id::Season4Ripe, Id::Season5Ripe, Id::Season6Ripe,
                                  Id::Season7Ripe, Id::Season8Ripe, Id::Season9Ripe};

} // namespace ControlTable
