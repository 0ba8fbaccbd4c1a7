#pragma once

class QWidget;

// Lets a caption (label or frame) draw with no background of its own, so it
// lies on whatever is behind it.
void makeTransparentCaption(QWidget* widget);

// Gives a control the dialog's own background behind its text, even where it
// lies over a coloured group box.
void keepDefaultBackground(QWidget* widget);
