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

constexpr int kNoId = -1;
constexpr int kDialogWidth = 412;
constexpr int kDialogHeight = 425;

struct Control {
    int id = kNoId;
    Kind kind = Kind::Static;
    QString text;
    int x = 0, y = 0, w = 0, h = 0;
    quint32 flags = None;
    QString accessibleName; // the visible text, or the caption beside the control

    bool has(Flag f) const { return (flags & f) != 0; }
};

const std::vector<Control>& MainDialog();
// The entry with this id, or nullptr.
const Control* Find(int id);
QString ObjectName(int id);

// Ids of the nine schedule-panel values; 1036 to 1038 belong to other controls.
constexpr int kPanelValueIds[9] = {1029, 1030, 1031, 1032, 1033, 1034, 1035, 1039, 1040};

} // namespace ControlTable
