#pragma once

class QWidget;

// Lets a caption (label or frame) draw with no background of its own, so it
// lies on whatever is behind it.
void makeTransparentCaption(QWidget* widget);
