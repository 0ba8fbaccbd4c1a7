#include "shell/QtAlertPresenter.h"

#include "shell/QtShellPorts.h"
#include "window/AppCaption.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <utility>

QtAlertPresenter::QtAlertPresenter(std::function<void(const QString&)> bringForward,
                                   QObject* parent)
    : AlertPresenter(parent), m_bringForward(std::move(bringForward)), m_mayShow([] {
          return !windowsComeUpFocused() ||
                 QGuiApplication::applicationState() == Qt::ApplicationActive;
      }) {
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &QtAlertPresenter::showWhenAllowed);
}

QtAlertPresenter::~QtAlertPresenter() {
    if (m_box) {
        m_box->disconnect(this);
        delete m_box;
    }
}

void QtAlertPresenter::present(const AlertBatch& batch) {
    m_waiting = batch.boxText();
    showWhenAllowed();
}

void QtAlertPresenter::showWhenAllowed() {
    if (!m_waiting || !m_mayShow())
        return;
    const QString text = *std::exchange(m_waiting, std::nullopt);
    if (m_bringForward)
        m_bringForward(text);
    // Parentless, so the box can stand in front while the main window is
    // hidden; it takes the application's icon.
    auto* box = new QMessageBox(QMessageBox::Question, appCaption(), text, QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    m_box = box;
    connect(box, &QMessageBox::finished, this, [this, box] {
        if (m_box == box)
            m_box = nullptr;
        emit dismissed();
    });
    box->show();
    box->raise();
}
