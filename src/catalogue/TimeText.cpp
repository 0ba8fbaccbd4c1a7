#include "catalogue/TimeText.h"

#include <QDateTime>

namespace TimeText {

QString format(qint64 secs) {
    return QDateTime::fromSecsSinceEpoch(secs, Qt::LocalTime).toString(u"yyyy-MM-dd HH:mm:ss");
}

} // namespace TimeText
