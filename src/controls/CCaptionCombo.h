#pragma once

#include <QComboBox>

// A drop-down list that a screen reader names by its caption (the accessible
// name), not by the item shown; the item stays its value. Qt names combo
// boxes on Linux by their current text, which says nothing about what they
// choose.
class CCaptionCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CCaptionCombo(QWidget* parent = nullptr);
};
