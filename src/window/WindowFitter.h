#pragma once

#include <QList>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

// Keeps a fixed-size window within its screen's available area: when it is
// too tall, the given widgets (the reminder table and its frame) lose height,
// and the window is moved back inside the area. Runs when the window is
// shown, framed by the window manager, or moved to another screen, and when
// the area changes; a window the user drags stays where it is put.
class WindowFitter : public QObject {
    Q_OBJECT
public:
    // The window and the widgets at their template size; minGiveWay is what
    // the first of them keeps at least.
    WindowFitter(QWidget* window, QList<QWidget*> giveWay, int minGiveWay);

    void fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchScreen();
    QMargins frame() const;

    QWidget* m_window;
    QSize m_template;
    QList<QPointer<QWidget>> m_giveWay;
    QList<QRect> m_giveWayTemplate;
    QMargins m_fittedFrame;
    int m_minGiveWay;
    bool m_watching = false;
    bool m_fitting = false;
};
