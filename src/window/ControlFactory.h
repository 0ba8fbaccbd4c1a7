#pragma once

#include "window/ControlTable.h"

class QWidget;

// The widget of each kind of the control table, set up as the table says.
namespace ControlFactory {

QWidget* make(const ControlTable::Control& c, QWidget* parent);
// The height on screen: a drop-down list's entry counts its opened list.
int closedHeight(const ControlTable::Control& c);

} // namespace ControlFactory
