// Thirty days of a busy table on a fake clock through the real engine, store,
// save policy and next season, against a reference model of the due alerts.
#include "alarm/Clock.h"
#include "alarm/NextSeason.h"
#include "alarm/TickEngine.h"
#include "catalogue/CropCatalogue.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderStore.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <limits>
#include <memory>
#include <set>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kDays = 8; // the sanitizer build runs the same path, shorter
#else
constexpr int kDays = 30;
#endif
constexpr int kRows = 10000;
constexpr qint64 kStart = 1'700'000'000;
constexpr qint64 kEnd = kStart + qint64(kDays) * 86400;
const QString kMusic = QStringLiteral("/home/user/音乐/闹钟.mp3");

int Seasons(const ReminderRow& r) {
    return CropCatalogue::ResolveCrop(r.cropIndex, r.cropName).seasons;
}

QString AlertKey(const QString& note, Alert::Kind kind, qint64 due) {
    return QStringLiteral("%1/%2@%3").arg(note).arg(int(kind)).arg(due - kStart);
}

bool Same(const StoreState& a, const StoreState& b) {
    const auto same = [](const ReminderRow& x, const ReminderRow& y) { return x.sameContent(y); };
    return a.musicPath == b.musicPath && a.leadMinutes == b.leadMinutes &&
           std::equal(a.rows.begin(), a.rows.end(), b.rows.begin(), b.rows.end(), same);
}

// A ripe alert comes at the first tick reaching its second, a warning at the
// first reaching ripe - 60 * lead before ripe; one already past when its row
// came waits in case a lower lead brings its instant ahead again. A
// last-season row goes at the first tick after it ripened.
struct Reference {
    using Key = std::pair<qint64, QString>; // ripening second, note
    std::set<Key> ripe, warn, late, last;
    int rows = 0;
    int lead = 5;
    qint64 oldest = 0; // the earliest due second of the latest tick's alerts

    void insert(const ReminderRow& r, qint64 now) {
        const Key k{r.ripe, r.note};
        if (r.ripe > now) {
            ripe.insert(k);
            (r.ripe - 60 * lead > now ? warn : late).insert(k);
        }
        if (r.seasonNo == Seasons(r))
            last.insert(k);
        ++rows;
    }
    void erase(const ReminderRow& r) {
        const Key k{r.ripe, r.note};
        ripe.erase(k);
        warn.erase(k);
        late.erase(k);
        last.erase(k);
        --rows;
    }
    void reset(const QVector<ReminderRow>& table, qint64 now) {
        ripe.clear();
        warn.clear();
        late.clear();
        last.clear();
        rows = 0;
        for (const ReminderRow& r : table)
            insert(r, now);
    }
    void setLead(int minutes, qint64 now) {
        lead = minutes;
        late.merge(warn);
        for (auto it = late.begin(); it != late.end();)
            if (it->first - 60 * lead > now) {
                warn.insert(*it);
                it = late.erase(it);
            } else {
                ++it;
            }
    }
    QStringList tick(qint64 now) {
        QStringList due;
        for (; !ripe.empty() && ripe.begin()->first <= now; ripe.erase(ripe.begin()))
            due << AlertKey(ripe.begin()->second, Alert::Kind::Ripe, ripe.begin()->first);
        for (; !warn.empty() && warn.begin()->first - 60 * lead <= now; warn.erase(warn.begin()))
            if (warn.begin()->first > now)
                due << AlertKey(warn.begin()->second, Alert::Kind::Warning,
                                warn.begin()->first - 60 * lead);
        while (!late.empty() && late.begin()->first <= now)
            late.erase(late.begin());
        for (; !last.empty() && last.begin()->first < now; last.erase(last.begin()))
            --rows;
        oldest = now;
        for (const QString& key : due)
            oldest = std::min(oldest, key.section(u'@', 1).toLongLong() + kStart);
        due.sort();
        return due;
    }
    qint64 next() const {
        qint64 e = std::numeric_limits<qint64>::max();
        if (!ripe.empty())
            e = std::min(e, ripe.begin()->first);
        if (!warn.empty())
            e = std::min(e, warn.begin()->first - 60 * lead);
        if (!last.empty())
            e = std::min(e, last.begin()->first + 1);
        return e;
    }
};

// The running program's parts, rebuilt at every restart.
struct Program {
    Program(const ManualClock& clock, StoreWriter& store, int lead)
        : engine(table, clock),
          persistence(
              [this] {
                  return StoreState{kMusic, engine.leadMinutes(), table.rows()};
              },
              store) {
        engine.setLeadMinutes(lead);
        persistence.setDirtyDelay(0);
    }
    ReminderTable table;
    TickEngine engine;
    PersistenceController persistence;
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void thirtyDays();
};

void TestSoak::thirtyDays() {
    QRandomGenerator rng(20091001);
    const auto pick = [&rng](qint64 lo, qint64 hi) { // inclusive
        return lo + qint64(rng.bounded(quint32(hi - lo + 1)));
    };
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ReminderStore store(dir.filePath(QStringLiteral("fruitwake/foodinfo.dat")));
    ManualClock clock(kStart);
    Reference ref;
    std::unique_ptr<Program> p;
    QStringList seen;
    bool catchUp = false;
    const auto start = [&](const QVector<ReminderRow>& rows) {
        p = std::make_unique<Program>(clock, store, ref.lead);
        p->table.reset(rows);
        ref.reset(rows, clock.now());
        connect(&p->engine, &TickEngine::alertsRaised, this, [&](const AlertBatch& b) {
            catchUp = b.catchUp;
            for (const Alert& a : b.alerts)
                seen << AlertKey(a.row.note, a.kind, a.due);
        });
    };
    int tokens = 0;
    const auto add = [&](qint64 earliest, qint64 latest) {
        const SoilKind soil = rng.bounded(5) == 0 ? SoilKind::RedSoil : SoilKind::Ordinary;
        ReminderRow r;
        r.cropIndex = int(rng.bounded(CropCatalogue::CropCount(soil)));
        r.cropName = CropCatalogue::GetCrop(soil, r.cropIndex).name;
        // Now and then a season beyond the crop's last, which never goes.
        r.seasonNo = rng.bounded(50) == 0 ? Seasons(r) + 1 : int(pick(1, Seasons(r)));
        r.ripe = pick(earliest, latest);
        r.plant = r.ripe - pick(3600, 3 * 86400);
        r.note = QStringLiteral("第%1号").arg(++tokens);
        p->table.append(r);
        ref.insert(r, clock.now());
    };
    qint64 ticks = 0, alerts = 0;
    int forward = 0, back = 0, restarts = 0, nextSeasons = 0, deletes = 0, leads = 0;
    const auto tick = [&] {
        seen.clear();
        p->engine.tick();
        p->persistence.onTick();
        ++ticks;
        const qint64 now = clock.now();
        const QStringList want = ref.tick(now);
        seen.sort();
        QCOMPARE(seen, want);
        if (!want.empty())
            QCOMPARE(catchUp, now - ref.oldest > 60);
        QCOMPARE(p->table.count(), ref.rows);
        QCOMPARE(p->engine.nextDue(), ref.next());
        alerts += want.size();
    };
    const auto step = [&](qint64 seconds) {
        for (; seconds > 0 && !QTest::currentTestFailed(); --seconds) {
            clock.advance(1);
            tick();
        }
    };

    start({});
    for (int i = 0; i < kRows; ++i)
        add(kStart - 3600, kEnd);
    qint64 nextRestart = kStart + pick(3600, 2 * 86400);
    while (clock.now() < kEnd && !QTest::currentTestFailed()) {
        const int how = int(rng.bounded(100));
        if (how < 75) { // skip the quiet stretch, then step through the due second
            if (ref.next() > clock.now() + 2) {
                clock.set(std::min(ref.next() - 1, kEnd));
                tick();
            }
            step(pick(1, 3));
        } else if (how < 95) {
            step(pick(1, 240));
        } else { // sleep or the clock set forward, or the clock set back
            clock.advance(how < 98 ? pick(61, 12 * 3600) : -pick(1, 3 * 3600));
            ++(how < 98 ? forward : back);
            tick();
        }

        const qint64 now = clock.now();
        ReminderTable& table = p->table;
        bool changed = false;
        if (table.count() < kRows && rng.bounded(3) == 0) {
            for (int k = int(pick(1, 8)); k > 0; --k)
                add(now - 600, now + pick(301, 4 * 86400));
            changed = true;
        }
        for (int look = 0; look < 4 && table.count() > 0 && rng.bounded(3) == 0; ++look) {
            const ReminderRow r = table.row(int(rng.bounded(quint32(table.count()))));
            if (r.ripe <= now && r.seasonNo < Seasons(r)) {
                QVERIFY(ApplyNextSeason(table, r.rowId, now));
                ref.erase(r);
                ref.insert(table.row(table.count() - 1), now);
                ++nextSeasons;
                changed = true;
            }
        }
        if (table.count() > 0 && rng.bounded(12) == 0) {
            std::set<int> gone;
            for (int k = int(pick(1, 4)); k > 0; --k)
                gone.insert(int(rng.bounded(quint32(table.count()))));
            for (int pos : gone)
                ref.erase(table.row(pos));
            if (rng.bounded(2))
                table.removeAndRenumber(QList<int>(gone.begin(), gone.end()));
            else
                std::for_each(gone.rbegin(), gone.rend(), [&table](int i) { table.removeAt(i); });
            deletes += int(gone.size());
            changed = true;
        }
        if (rng.bounded(100) == 0) {
            ref.setLead(int(pick(1, 5)), now);
            p->engine.setLeadMinutes(ref.lead);
            ++leads;
            changed = true;
        }
        if (rng.bounded(150) == 0) {
            table.sort(int(rng.bounded(7)),
                       rng.bounded(2) ? Qt::AscendingOrder : Qt::DescendingOrder);
            changed = true;
        }
        if (changed)
            p->persistence.markDirty();
        if (ticks % 64 == 0)
            QCoreApplication::processEvents(); // the change save, due at once here

        if (now >= nextRestart) {
            nextRestart = now + pick(3600, 2 * 86400);
            const SaveResult saved = p->persistence.saveNow();
            QVERIFY2(saved.ok, qPrintable(saved.error));
            const LoadResult loaded = ReminderStore(store.path()).load();
            QCOMPARE(loaded.status, LoadStatus::Whole);
            QVERIFY(Same(loaded.state, {kMusic, ref.lead, table.rows()}));
            start(loaded.state.rows);
            ++restarts;
        }
    }
    // The run must have exercised what it is about.
    QVERIFY(alerts > kRows && restarts >= 5 && forward > 0 && back > 0);
    QVERIFY(nextSeasons > 0 && deletes > 0 && leads > 0);
}

QTEST_GUILESS_MAIN(TestSoak)
#include "TestSoak.moc"
