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
