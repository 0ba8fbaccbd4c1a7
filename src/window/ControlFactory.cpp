#include "window/ControlFactory.h"

#include "controls/CCaptionCombo.h"
#include "controls/CDateTimePicker.h"
#include "controls/CDigitGateEdit.h"
#include "controls/CFlipSortListCtrl.h"
#include "controls/CInkStatic.h"
#include "controls/CRimGlowButton.h"
#include "controls/CXPGroupBox.h"
#include "controls/DialogColouring.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace ControlFactory {

namespace {

using ControlTable::Kind;

constexpr int kClosedComboHeight = 14; // dialog units
constexpr int kListLineHeight = 8;

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

QWidget* make(const ControlTable::Control& c, QWidget* parent) {
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
        if (c.id == ControlTable::Id::None)
            makeTransparentCaption(l);
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
        return new CDateTimePicker(parent);
    case Kind::ComboBox: {
        auto* cb = new CCaptionCombo(parent);
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

int closedHeight(const ControlTable::Control& c) {
    return c.kind == Kind::ComboBox ? kClosedComboHeight : c.h;
}

} // namespace ControlFactory
