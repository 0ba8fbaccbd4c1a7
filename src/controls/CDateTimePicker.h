#pragma once

#include <QDateTimeEdit>

// The planting-time picker as one stop of the Tab chain: Tab and Shift+Tab
// leave it, Left and Right move between its fields, Up and Down change one.
// It and its calendar speak Chinese whatever the user's locale.
class CDateTimePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit CDateTimePicker(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
};
