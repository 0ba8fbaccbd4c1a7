// Writes and reads data files for the end-to-end tests:
//   DataFileTool write <path> <ripe-epoch> [<count> [<note> [<music>]]]
//                                   count 牧草 reminders ripening then, notes "e2e <i>" or <note>,
//                                   that music chosen
//   DataFileTool dump <path>                           status, count, then one line per row
//   DataFileTool lock <path>                           holds a QLockFile there until killed
#include "reminders/ReminderImage.h"

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString command = args.value(1);
    QFile f(args.value(2));
    if (command == "write" && args.size() >= 4) {
        StoreState st;
        st.musicPath = args.value(6);
        for (int i = 0; i < (args.size() >= 5 ? args[4].toInt() : 1); ++i) {
            const QString note = args.size() >= 6 ? args[5] : QStringLiteral("e2e %1").arg(i);
            const qint64 ripe = args[3].toLongLong() + i;
            st.rows << ReminderRow{0, QStringLiteral("牧草"), ripe - 28800, ripe, note, 1, 0};
        }
        return f.open(QIODevice::WriteOnly) && f.write(ReminderImage::encode(st)) >= 0 ? 0 : 2;
    }
    if (command == "dump" && args.size() >= 3) {
        if (!f.open(QIODevice::ReadOnly))
            return 2;
        const LoadResult r = ReminderImage::decode(f.readAll());
        std::printf("%s %d lead=%d\n", r.status == LoadStatus::Whole ? "whole" : "not-whole",
                    int(r.state.rows.size()), r.state.leadMinutes);
        for (const ReminderRow& row : r.state.rows)
            std::printf("%d %s %lld %s\n", row.seasonNo, row.cropName.toUtf8().constData(),
                        static_cast<long long>(row.ripe), row.note.toUtf8().constData());
        return 0;
    }
    if (command == "lock" && args.size() >= 3) {
        // As an older Fruitwake left it beside the data; a kill leaves it stale.
        QLockFile lock(args[2]);
        if (!lock.tryLock(0))
            return 2;
        for (;;)
            ::pause();
    }
    std::fputs("usage: DataFileTool write|dump|lock <path> ...\n", stderr);
    return 1;
}
