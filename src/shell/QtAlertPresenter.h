#pragma once

#include "alarm/AlertPresenter.h"

#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <optional>

// The alert box: a plain-text message box that stays on top of other windows
// but is shown without activation, so a key typed into another program cannot
// close it unseen. It never runs a nested event loop; the tick goes on.
// Where windows cannot come up without taking the focus (Wayland), the box
// and the window wait until the user comes to Fruitwake; the desktop
// notification tells meanwhile.
class QtAlertPresenter final : public AlertPresenter {
    Q_OBJECT
public:
    // bringForward shows and raises the main window before each box (also
    // from the tray or minimised); it gets the box text.
    explicit QtAlertPresenter(std::function<void(const QString&)> bringForward,
                              QObject* parent = nullptr);
    ~QtAlertPresenter() override;

    void present(const AlertBatch& batch) override;

    // Whether the box may come up now; asked again when the application's
    // state changes.
    void setMayShow(std::function<bool()> mayShow) { m_mayShow = std::move(mayShow); }

    // The box on screen, for tests; null when none is open.
    QMessageBox* currentBox() const { return m_box; }

private:
    void showWhenAllowed();

    std::function<void(const QString&)> m_bringForward;
    std::function<bool()> m_mayShow;
    std::optional<QString> m_waiting; // a box's text, until it may come up
    QPointer<QMessageBox> m_box;
};
