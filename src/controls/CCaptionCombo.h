#pragma once

#include <QComboBox>

// A drop-down list that a screen reader hears as its current item (the
// accessible name, as Qt's own combo box has it on Linux) with its caption (the
// description: not every list has a caption on screen to be labelled by), and
// hears again when the item changes.
class CCaptionCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CCaptionCombo(QWidget* parent = nullptr);
};
