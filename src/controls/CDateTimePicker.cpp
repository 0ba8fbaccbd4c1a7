#include "controls/CDateTimePicker.h"

#include <QCalendarWidget>
#include <QKeyEvent>

CDateTimePicker::CDateTimePicker(QWidget* parent) : QDateTimeEdit(parent) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    setLocale(chinese);
    setCalendarPopup(true);
    calendarWidget()->setLocale(chinese);
}

bool CDateTimePicker::event(QEvent* event) {
    // Caught here, before the edit's own handling turns them into field moves.
    if (event->type() != QEvent::KeyPress)
        return QDateTimeEdit::event(event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QDateTimeEdit::event(event);
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QWidget::focusNextPrevChild(key->key() == Qt::Key_Tab &&
                                    !(key->modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int field = currentSectionIndex() + (key->key() == Qt::Key_Right ? 1 : -1);
        if (field >= 0 && field < sectionCount()) {
            setCurrentSectionIndex(field);
            setSelectedSection(currentSection());
        }
        return true;
    }
    default:
        return QDateTimeEdit::event(event);
    }
}
