#pragma once

#include "alarm/AlertPresenter.h"

#include <QMessageBox>
#include <QPointer>
#include <functional>

// The alert box: a plain-text message box that stays on top of other windows
// but is shown without activation, so a key typed into another program cannot
// close it unseen. It never runs a nested event loop; the tick goes on.
class QtAlertPresenter final : public AlertPresenter {
    Q_OBJECT
public:
    // bringForward shows and raises the main window before each box (also
    // from the tray or minimised); it gets the box text.
    explicit QtAlertPresenter(std::function<void(const QString&)> bringForward,
                              QObject* parent = nullptr);
    ~QtAlertPresenter() override;

    void present(const AlertBatch& batch) override;

    // The box on screen, for tests; null when none is open.
    QMessageBox* currentBox() const { return m_box; }

private:
    std::function<void(const QString&)> m_bringForward;
    QPointer<QMessageBox> m_box;
};
