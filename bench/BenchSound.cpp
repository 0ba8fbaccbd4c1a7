// sound_probe <music|-> <first-epoch> <count> <gap-s>: the desk with the real
// chime and music player, hidden (woken by its timer alone), and boxes closed
// at once. <count> reminders ripen <gap> seconds apart from <first-epoch>:
// with music chosen each plays it, else each sounds the chime. Prints
// "quiet" when the sounds have let go of the audio device, and ends 30 s on.
// sound_probe --data <file> <ripe-epoch> <music>: writes a data file of one
// reminder ripening then, with that music chosen.
// Not a bench_* program: bench/scripts/sound.sh runs it and records the sound.
#include "alarm/AlertPresenter.h"
#include "alarm/Clock.h"
#include "desk/ReminderDesk.h"
#include "media/CTuneDeck.h"
#include "media/QtChime.h"
#include "reminders/ReminderStore.h"
#include "reminders/ReminderTable.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {

class ClosedAtOnce final : public AlertPresenter {
public:
    void present(const AlertBatch&) override {
        QTimer::singleShot(0, this, [this] { emit dismissed(); });
    }
};

ReminderRow row(qint64 ripe) {
    return ReminderRow{26, QStringLiteral("满天星"), ripe - 90000, ripe, {}, 1, 0};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--data") == 0) {
        const StoreState state{
            QString::fromLocal8Bit(argv[4]), 5, {row(QByteArray(argv[3]).toLongLong())}};
        return ReminderStore(QString::fromLocal8Bit(argv[2])).save(state).ok ? 0 : 1;
    }
    if (argc != 5) {
        std::fprintf(stderr, "usage: sound_probe <music|-> <first-epoch> <count> <gap-s>\n");
        return 1;
    }
    const QString music = QString::fromLocal8Bit(argv[1]);
    const qint64 first = QByteArray(argv[2]).toLongLong();
    const int count = QByteArray(argv[3]).toInt(), gap = QByteArray(argv[4]).toInt();
    SystemClock clock;
    QtChime chime;
    CTuneDeck deck;
    ClosedAtOnce presenter;
    ReminderDesk desk({clock, chime, deck, presenter, [music] { return music; }, QString()});
    desk.start();
    if (music != QLatin1String("-"))
        desk.OnChooseMusic();
    for (int i = 0; i < count; ++i) {
        desk.table().append(row(first + qint64(i) * gap));
    }
    // The chime lingers 2 s; played music is let go at its end.
    const qint64 quietAt = (first + qint64(count) * gap + 3) * 1000;
    QTimer::singleShot(int(quietAt - QDateTime::currentMSecsSinceEpoch()), &app, [&app] {
        std::puts("quiet");
        std::fflush(stdout);
        QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    });
    return app.exec();
}
