#pragma once

#include "reminders/ReminderTable.h"

#include <QMetaType>
#include <QString>
#include <QVector>

struct Alert {
    enum class Kind { Warning, Ripe };

    Kind kind = Kind::Ripe;
    quint64 rowId = 0;
    ReminderRow row; // as it stood when the alert fell due
    qint64 due = 0;  // the second the alert belongs to
    QString text;    // the box text for this alert, plain text

    bool isRipe() const { return kind == Kind::Ripe; }
};

// The alerts one tick raised. A catch-up batch (after a gap of more than a
// minute between ticks) is presented as one sound and one box.
struct AlertBatch {
    bool catchUp = false;
    QVector<Alert> alerts;

    bool hasRipe() const {
        for (const Alert& a : alerts)
            if (a.isRipe())
                return true;
        return false;
    }
    // One alert: its text. A catch-up batch: one line per alert.
    QString boxText() const;
};

namespace AlertText {
// "还有%d分钟！第%s季，%s就成熟了, 注：%s"
QString warning(int leadMinutes, const ReminderRow& row);
// "%s成熟了！不摘就没有了。。。注：%s"
QString ripe(const ReminderRow& row);
} // namespace AlertText

Q_DECLARE_METATYPE(Alert)
Q_DECLARE_METATYPE(AlertBatch)
