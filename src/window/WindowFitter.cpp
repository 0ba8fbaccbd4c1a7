#include "window/WindowFitter.h"

#include "window/ScreenFit.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

WindowFitter::WindowFitter(QWidget* window, QList<QWidget*> giveWay, int minGiveWay)
    : QObject(window), m_window(window), m_template(window->size()), m_minGiveWay(minGiveWay) {
    for (QWidget* w : giveWay) {
        m_giveWay << w;
        m_giveWayTemplate << w->geometry();
    }
    window->installEventFilter(this);
}

bool WindowFitter::eventFilter(QObject* watched, QEvent* event) {
    // A window manager may frame the window where it asked to be, with no move
    // to tell: the frame is known once the framed window is exposed.
    if (watched == m_window->windowHandle() && event->type() == QEvent::Expose &&
        frame() != m_fittedFrame)
        fit();
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Show) {
        watchScreen();
        fit();
    } else if (event->type() == QEvent::Move && frame() != m_fittedFrame) {
        fit(); // the frame came (or changed) after the window was shown
    }
    return QObject::eventFilter(watched, event);
}

void WindowFitter::watchScreen() {
    QWindow* handle = m_window->windowHandle();
    if (m_watching || !handle)
        return;
    m_watching = true;
    handle->installEventFilter(this);
    auto follow = [this](QScreen* screen) {
        if (screen)
            connect(screen, &QScreen::availableGeometryChanged, this, &WindowFitter::fit,
                    Qt::UniqueConnection);
        fit();
    };
    connect(handle, &QWindow::screenChanged, this, follow);
    follow(handle->screen());
}

QMargins WindowFitter::frame() const {
    // Unknown until the window manager has framed the window; then zero.
    const QRect inside = m_window->geometry();
    const QRect outside = m_window->frameGeometry();
    return QMargins(inside.left() - outside.left(), inside.top() - outside.top(),
                    outside.right() - inside.right(), outside.bottom() - inside.bottom());
}

void WindowFitter::fit() {
    QScreen* screen = m_window->screen();
    if (!screen || m_fitting || m_giveWay.isEmpty() || !m_giveWay.first())
        return;
    m_fitting = true;
    const QRect area = screen->availableGeometry();
    m_fittedFrame = frame();
    const ScreenFit::Result r = ScreenFit::fit(
        {m_template, m_giveWayTemplate.first().height(), m_minGiveWay}, m_fittedFrame, area.size());
    if (r.client != m_window->size()) {
        for (int i = 0; i < m_giveWay.size(); ++i) {
            if (!m_giveWay[i])
                continue;
            const QRect t = m_giveWayTemplate[i];
            m_giveWay[i]->resize(qMin(t.width(), r.client.width() - t.x()),
                                 qMax(0, t.height() - r.shrink));
        }
        m_window->setFixedSize(r.client);
    }
    // Whole frame inside the area, as near as possible to where it was.
    const QRect now = m_window->frameGeometry();
    QPoint to = now.topLeft();
    to.setX(qMax(area.left(), qMin(to.x(), area.right() + 1 - now.width())));
    to.setY(qMax(area.top(), qMin(to.y(), area.bottom() + 1 - now.height())));
    if (m_window->isVisible() && to != now.topLeft())
        m_window->move(to);
    m_fitting = false;
}
