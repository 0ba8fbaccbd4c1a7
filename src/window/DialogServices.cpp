#include "window/DialogServices.h"

#include "desk/MusicChoice.h"
#include "reminders/ReminderStore.h"
#include "window/AppCaption.h"

#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>

DialogServices DialogServices::system() {
    DialogServices s;
    s.now = [] { return QDateTime::currentSecsSinceEpoch(); };
    s.showMessage = [](QWidget* parent, const QString& text) {
        // The no-song note is a plain box; refusals and file troubles warn.
        const auto icon =
            text == MusicChoice::noSongText() ? QMessageBox::NoIcon : QMessageBox::Warning;
        QMessageBox box(icon, appCaption(), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    s.chooseMusicFile = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), MusicChoice::fileFilter(),
                                            nullptr, QFileDialog::HideNameFilterDetails);
    };
    s.storePath = ReminderStore::defaultPath();
    return s;
}
