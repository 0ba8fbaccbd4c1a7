#include "DialogColouring.h"

#include <QPalette>
#include <QWidget>

void MakeTransparentCaption(QWidget* widget) {
    if (!widget)
        return;
    widget->setAutoFillBackground(false);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, Qt::transparent);
    widget->setPalette(pal);
}
