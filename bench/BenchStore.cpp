// bench_store
//   store.encode_100k_ms / store.decode_100k_ms   the image codec alone
//   store.save_100k_ms    encode and write to a temporary file (no fsync)
//   store.load_100k_ms    the real load: the file read and decoded a piece at a time
//   store.atomic_save_100k_ms  the real save (QSaveFile, its commit included)
//   store.table_100k_mb   resident memory of a table of 100,000 loaded rows
#include "catalogue/CropCatalogue.h"
#include "reminders/ReminderImage.h"
#include "reminders/ReminderStore.h"
#include "reminders/ReminderTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 7;

void report(const char* name, double value, double target) {
    std::printf("%s %.2f target<=%g %s\n", name, value, target, value <= target ? "OK" : "MISS");
    std::fflush(stdout);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double medianMs(F&& f) {
    std::vector<double> runs;
    for (int k = 0; k < kRuns; ++k) {
        QElapsedTimer t;
        t.start();
        f();
        runs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(runs);
}

double residentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A realistic mix: catalogue names, mostly empty notes, a few friends' names.
StoreState makeState() {
    StoreState s;
    s.musicPath = QStringLiteral("/home/user/音乐/闹钟.mp3");
    s.leadMinutes = 3;
    const int crops = CropCatalogue::CropCount(SoilKind::Ordinary);
    const QString friends[] = {QStringLiteral("张三"), QStringLiteral("李四的菜园"),
                               QStringLiteral("wang wu"), QStringLiteral("小明 偷菜专用")};
    s.rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        ReminderRow r;
        r.cropIndex = i % crops;
        r.cropName = CropCatalogue::GetOrdinaryCrop(r.cropIndex).name;
        r.plant = 1254374700 + i;
        r.ripe = r.plant + 8 * 3600;
        r.seasonNo = 1 + i % 5;
        if (i % 4 == 0)
            r.note = friends[(i / 4) % 4];
        s.rows.push_back(r);
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    // A fixed threshold keeps big blocks out of the heap and hands them back
    // when freed, so the memory figure counts only what the table keeps.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foodinfo.dat"));
    const StoreState state = makeState();

    QByteArray image;
    report("store.encode_100k_ms", medianMs([&] { image = ReminderImage::encode(state); }), 60);
    LoadResult decoded;
    report("store.decode_100k_ms", medianMs([&] { decoded = ReminderImage::decode(image); }), 60);
    if (decoded.status != LoadStatus::Whole || decoded.state.rows.size() != kRows) {
        std::fprintf(stderr, "decode gave %d rows, not whole\n", int(decoded.state.rows.size()));
        return 1;
    }
    std::printf("store.file_100k_mb %.1f\n", double(image.size()) / 1e6);

    report("store.save_100k_ms", medianMs([&] {
               const QByteArray bytes = ReminderImage::encode(state);
               QFile f(path);
               if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                   f.write(bytes) != bytes.size() || !f.flush())
                   std::fprintf(stderr, "write failed\n");
           }),
           60);
    report("store.load_100k_ms", medianMs([&] { decoded = ReminderStore(path).load(); }), 60);
    if (decoded.status != LoadStatus::Whole || decoded.state.rows.size() != kRows) {
        std::fprintf(stderr, "load gave %d rows, not whole\n", int(decoded.state.rows.size()));
        return 1;
    }

    ReminderStore store(dir.filePath(QStringLiteral("atomic/foodinfo.dat")));
    std::printf("store.atomic_save_100k_ms %.2f\n", medianMs([&] {
                    if (!store.save(state).ok)
                        std::fprintf(stderr, "atomic save failed\n");
                }));

    // Memory: only the table of loaded rows, over a process that has none.
    decoded = LoadResult();
    image.clear();
    image.squeeze();
    malloc_trim(0);
    const double before = residentMb();
    {
        ReminderTable table;
        {
            LoadResult loaded = ReminderStore(path).load();
            table.reset(std::move(loaded.state.rows));
        }
        const double after = residentMb();
        report("store.table_100k_mb", after - before, 40);
        if (table.count() != kRows)
            return 1;
    }
    return 0;
}
