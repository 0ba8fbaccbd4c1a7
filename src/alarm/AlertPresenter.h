#pragma once

#include "alarm/Alert.h"

#include <QObject>

// Shows one alert box at a time and says when the user has closed it.
//
// present(batch) receives either one alert (batch.alerts.size() == 1,
// catchUp false) or a whole catch-up batch (catchUp true, ripe alerts first,
// then row order). The box text is batch.boxText(): the alert's text for one
// alert, the alerts' texts one per line for a catch-up batch. It is user text
// (crop names, notes) and must be shown as plain text, never as rich text.
//
// The caption is "Fruitwake". The window is shown and raised before the box;
// the box stays on top without taking the keyboard focus, and present() must
// return at once (no nested event loop). dismissed() is emitted exactly once
// per present(), after the box has closed, by whatever means.
class AlertPresenter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void present(const AlertBatch& batch) = 0;

signals:
    void dismissed();
};
