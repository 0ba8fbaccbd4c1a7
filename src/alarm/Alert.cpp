#include "alarm/Alert.h"

#include <QStringList>

QString AlertBatch::boxText() const {
    QStringList lines;
    lines.reserve(alerts.size());
    for (const Alert& a : alerts)
        lines.push_back(a.text);
    return lines.join(u'\n');
}

namespace AlertText {

// QString::arg would also expand %1 found inside the note, so the pieces are
// joined by hand.
QString warning(int leadMinutes, const ReminderRow& row) {
    return QStringLiteral("还有") + QString::number(leadMinutes) + QStringLiteral("分钟！第") +
           QString::number(row.seasonNo) + QStringLiteral("季，") + row.cropName +
           QStringLiteral("就成熟了, 注：") + row.note;
}

QString ripe(const ReminderRow& row) {
    return row.cropName + QStringLiteral("成熟了！不摘就没有了。。。注：") + row.note;
}

} // namespace AlertText
