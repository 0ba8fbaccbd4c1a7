#include "app/DialogServices.h"

#include "alarm/MusicChoice.h"
#include "app/AppCaption.h"
#include "reminders/ReminderStore.h"

#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>

DialogServices DialogServices::System() {
    DialogServices s;
    s.now = [] { return QDateTime::currentSecsSinceEpoch(); };
    s.showMessage = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Warning, AppCaption(), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    s.chooseMusicFile = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), MusicChoice::FileFilter(),
                                            nullptr, QFileDialog::HideNameFilterDetails);
    };
    s.storePath = ReminderStore::DefaultPath();
    return s;
}
