#include "controls/DialogColouring.h"

#include <QPalette>
#include <QWidget>

void makeTransparentCaption(QWidget* widget) {
    if (!widget)
        return;
    widget->setAutoFillBackground(false);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, Qt::transparent);
    widget->setPalette(pal);
}

void keepDefaultBackground(QWidget* widget) {
    if (!widget)
        return;
    QPalette pal = widget->palette();
    const QWidget* window = widget->window();
    pal.setColor(QPalette::Window, (window ? window : widget)->palette().color(QPalette::Window));
    widget->setPalette(pal);
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}
