// Thirty days of a busy table on a fake clock: the real engine, store, save
// policy and next season, against a plain reference model of which alert is
// due when. The clock steps whole seconds, skips over quiet stretches and
// also jumps forward and back; rows are added, deleted, re-sorted and started
// on their next season, the lead time changes, and the program "restarts"
// (save, load into a fresh table and engine) now and then.
#include "alarm/Clock.h"
#include "alarm/NextSeason.h"
#include "alarm/TickEngine.h"
#include "catalogue/CropCatalogue.h"
#include "reminders/PersistenceController.h"
#include "reminders/ReminderStore.h"
#include "reminders/ReminderTable.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kDays = 8; // the sanitizer build runs the same path, shorter
#else
constexpr int kDays = 30;
#endif
constexpr int kRows = 10000;
constexpr quint32 kSeed = 20091001;
constexpr qint64 kStart = 1'700'000'000;

// (note token, kind, due second): what one alert is, for comparing.
using Seen = std::tuple<QString, int, qint64>;

int Seasons(const ReminderRow& r) {
    return CropCatalogue::ResolveCrop(r.cropIndex, r.cropName).seasons;
}

// Which alert is due when, kept apart from the engine. A row's ripe alert is
// due at the first tick whose now reaches its ripening second, its warning at
// the first tick that reaches ripening - 60 * lead while not yet ripe; an
// alert whose second had passed when the row arrived (or, for a warning, when
// the lead changed) never comes. A row at its crop's last season goes at the
// first tick after it ripened.
class Reference {
public:
    struct Row {
        qint64 ripe = 0;
        int season = 0;
        bool last = false;
    };

    void insert(const QString& token, const ReminderRow& r, qint64 now, int lead) {
        Row m{r.ripe, r.seasonNo, r.seasonNo == Seasons(r)};
        rows[token] = m;
        if (m.ripe > now)
            ripe.insert({m.ripe, token});
        if (m.ripe - 60 * lead > now)
            warn.insert({m.ripe, token});
        if (m.last)
            last.insert({m.ripe, token});
    }
    void erase(const QString& token) {
        const auto it = rows.find(token);
        QVERIFY(it != rows.end());
        ripe.erase({it->second.ripe, token});
        warn.erase({it->second.ripe, token});
        last.erase({it->second.ripe, token});
        rows.erase(it);
    }
    void setLead(int lead, qint64 now) {
        while (!warn.empty() && warn.begin()->first - 60 * lead <= now)
            warn.erase(warn.begin());
    }
    // Everything as a freshly started engine sees it.
    void restart(qint64 now, int lead) {
        const std::map<QString, Row> keep = rows;
        rows.clear();
        ripe.clear();
        warn.clear();
        last.clear();
        for (const auto& [token, m] : keep) {
            rows[token] = m;
            if (m.ripe > now)
                ripe.insert({m.ripe, token});
            if (m.ripe - 60 * lead > now)
                warn.insert({m.ripe, token});
            if (m.last)
                last.insert({m.ripe, token});
        }
    }
    std::vector<Seen> tick(qint64 now, int lead) {
        std::vector<Seen> due;
        while (!ripe.empty() && ripe.begin()->first <= now) {
            due.emplace_back(ripe.begin()->second, int(Alert::Kind::Ripe), ripe.begin()->first);
            ripe.erase(ripe.begin());
        }
        while (!warn.empty() && warn.begin()->first - 60 * lead <= now) {
            if (warn.begin()->first > now)
                due.emplace_back(warn.begin()->second, int(Alert::Kind::Warning),
                                 warn.begin()->first - 60 * lead);
            warn.erase(warn.begin());
        }
        while (!last.empty() && last.begin()->first < now) {
            const QString token = last.begin()->second;
            erase(token);
        }
        std::sort(due.begin(), due.end());
        return due;
    }
    // The next second at which something is due, or 0 for none.
    qint64 nextEvent(int lead) const {
        qint64 e = 0;
        const auto take = [&e](qint64 t) { e = e == 0 ? t : std::min(e, t); };
        if (!ripe.empty())
            take(ripe.begin()->first);
        if (!warn.empty())
            take(warn.begin()->first - 60 * lead);
        if (!last.empty())
            take(last.begin()->first + 1);
        return e;
    }

    std::map<QString, Row> rows;
    std::set<std::pair<qint64, QString>> ripe, warn, last;
};

// The running program's parts that the soak exercises, rebuilt at a restart.
struct Program {
    Program(const ManualClock& clock, StoreWriter& store, const QString& music, int lead)
        : engine(table, clock), persistence(
                                    [this, music] {
                                        StoreState s;
                                        s.musicPath = music;
                                        s.leadMinutes = engine.leadMinutes();
                                        s.rows = table.rows();
                                        return s;
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
    std::printf("soak: seed %u, %d days, %d reminders\n", kSeed, kDays, kRows);
    QRandomGenerator rng(kSeed);
    const auto pick = [&rng](qint64 lo, qint64 hi) { // inclusive
        return lo + qint64(rng.bounded(quint32(hi - lo + 1)));
    };
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ReminderStore store(dir.filePath(QStringLiteral("fruitwake/foodinfo.dat")));
    const QString music = QStringLiteral("/home/user/音乐/闹钟.mp3");

    ManualClock clock(kStart);
    Reference ref;
    auto program = std::make_unique<Program>(clock, store, music, 5);
    int lead = 5;
    quint64 tokens = 0;
    qint64 prevTick = TickEngine::kNoTick;

    std::vector<Seen> seen;
    bool seenCatchUp = false;
    int batches = 0;
    const auto listen = [&] {
        connect(&program->engine, &TickEngine::alertsRaised, this, [&](const AlertBatch& b) {
            ++batches;
            seenCatchUp = b.catchUp;
            for (const Alert& a : b.alerts)
                seen.emplace_back(a.row.note, int(a.kind), a.due);
        });
    };
    listen();

    const int ordinary = CropCatalogue::CropCount(SoilKind::Ordinary);
    const int redSoil = CropCatalogue::CropCount(SoilKind::RedSoil);
    const auto add = [&](qint64 earliest, qint64 latest) {
        ReminderRow r;
        const bool red = rng.bounded(5) == 0;
        r.cropIndex = int(rng.bounded(red ? redSoil : ordinary));
        r.cropName = red ? CropCatalogue::GetRedSoilCrop(r.cropIndex).name
                         : CropCatalogue::GetOrdinaryCrop(r.cropIndex).name;
        const int seasons = Seasons(r);
        // Now and then a season beyond the crop's last, which never goes.
        r.seasonNo = rng.bounded(50) == 0 ? seasons + 1 : int(pick(1, seasons));
        r.ripe = pick(earliest, latest);
        r.plant = r.ripe - pick(3600, 3 * 86400);
        r.note = QStringLiteral("第%1号").arg(++tokens);
        program->table.append(r);
        ref.insert(r.note, r, clock.now(), lead);
    };

    qint64 ticks = 0, alerts = 0, jumpsForward = 0, jumpsBack = 0, restarts = 0, nextSeasons = 0,
           deletes = 0, adds = 0, leadChanges = 0, sorts = 0;
    const auto tick = [&] {
        seen.clear();
        program->engine.tick();
        program->persistence.onTick();
        ++ticks;
        const qint64 now = clock.now();
        const std::vector<Seen> want = ref.tick(now, lead);
        std::sort(seen.begin(), seen.end());
        if (seen != want) {
            const auto show = [](const std::vector<Seen>& v) {
                QStringList s;
                for (const auto& [token, kind, due] : v)
                    if (s.size() < 40)
                        s << QStringLiteral("%1/%2@%3").arg(token).arg(kind).arg(due - kStart);
                return s.join(u' ');
            };
            qWarning("tick at +%lld: engine gave [%s], expected [%s]", now - kStart,
                     qPrintable(show(seen)), qPrintable(show(want)));
        }
        QCOMPARE(seen, want);
        if (!want.empty())
            QCOMPARE(seenCatchUp, prevTick != TickEngine::kNoTick && now - prevTick > 60);
        alerts += qint64(want.size());
        prevTick = now;
        QCOMPARE(program->table.count(), int(ref.rows.size()));
    };

    for (int i = 0; i < kRows; ++i)
        add(kStart - 3600, kStart + qint64(kDays) * 86400);
    adds = 0;

    const qint64 end = kStart + qint64(kDays) * 86400;
    qint64 nextRestart = kStart + pick(3600, 2 * 86400);
    while (clock.now() < end) {
        // How time moves on to the next tick.
        const int how = int(rng.bounded(100));
        if (how < 75) {
            // Jump to just before the next due second, then step through it.
            const qint64 e = ref.nextEvent(lead);
            if (e > clock.now() + 2) {
                clock.set(std::min(e - 1, end));
                tick();
            }
            for (int s = int(pick(1, 3)); s > 0; --s) {
                clock.advance(1);
                tick();
            }
        } else if (how < 95) {
            for (int s = int(pick(1, 240)); s > 0; --s) {
                clock.advance(1);
                tick();
            }
        } else if (how < 98) {
            clock.advance(pick(61, 12 * 3600)); // sleep, or the clock set forward
            ++jumpsForward;
            tick();
        } else {
            clock.advance(-pick(1, 3 * 3600)); // the clock set back
            ++jumpsBack;
            tick();
        }
        if (QTest::currentTestFailed())
            return;

        // What the user does in between.
        const qint64 now = clock.now();
        ReminderTable& table = program->table;
        bool changed = false;
        if (table.count() < kRows && rng.bounded(3) == 0) {
            for (int k = int(pick(1, 8)); k > 0; --k) {
                add(now - 600, now + pick(301, 4 * 86400));
                ++adds;
            }
            changed = true;
        }
        for (int look = 0; look < 4 && table.count() > 0 && rng.bounded(3) == 0; ++look) {
            const int pos = int(rng.bounded(quint32(table.count())));
            const ReminderRow r = table.row(pos);
            if (r.ripe <= now && r.seasonNo < Seasons(r)) {
                QVERIFY(ApplyNextSeason(table, r.rowId, now));
                ref.erase(r.note);
                const ReminderRow& fresh = table.row(table.count() - 1);
                QCOMPARE(fresh.note, r.note);
                QCOMPARE(fresh.seasonNo, r.seasonNo + 1);
                QVERIFY(fresh.ripe > now);
                ref.insert(fresh.note, fresh, now, lead);
                ++nextSeasons;
                changed = true;
            }
        }
        if (table.count() > 0 && rng.bounded(12) == 0) {
            QList<int> gone;
            for (int k = int(pick(1, 4)); k > 0; --k)
                gone << int(rng.bounded(quint32(table.count())));
            std::sort(gone.begin(), gone.end());
            gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
            for (int pos : gone)
                ref.erase(table.row(pos).note);
            if (rng.bounded(2))
                table.removeAndRenumber(gone);
            else
                for (auto it = gone.crbegin(); it != gone.crend(); ++it)
                    table.removeAt(*it);
            deletes += gone.size();
            changed = true;
        }
        if (rng.bounded(100) == 0) {
            lead = int(pick(1, 5));
            program->engine.setLeadMinutes(lead);
            ref.setLead(lead, now);
            ++leadChanges;
            changed = true;
        }
        if (rng.bounded(150) == 0) {
            table.sort(int(rng.bounded(7)),
                       rng.bounded(2) ? Qt::AscendingOrder : Qt::DescendingOrder);
            ++sorts;
            changed = true;
        }
        if (changed)
            program->persistence.markDirty();
        if (ticks % 64 == 0)
            QCoreApplication::processEvents(); // the change save, due at once here

        if (now >= nextRestart) {
            nextRestart = now + pick(3600, 2 * 86400);
            const SaveResult saved = program->persistence.saveNow();
            QVERIFY2(saved.ok, qPrintable(saved.error));
            const QVector<ReminderRow> before = program->table.rows();
            LoadResult loaded = ReminderStore(store.path()).load();
            QCOMPARE(loaded.status, LoadStatus::Whole);
            QCOMPARE(loaded.state.leadMinutes, lead);
            QCOMPARE(loaded.state.musicPath, music);
            QCOMPARE(loaded.state.rows.size(), before.size());
            for (qsizetype i = 0; i < before.size(); ++i)
                if (!loaded.state.rows[i].sameContent(before[i]))
                    QFAIL(qPrintable(QStringLiteral("row %1 (%2) differs after reload")
                                         .arg(i)
                                         .arg(before[i].note)));
            program.reset();
            program = std::make_unique<Program>(clock, store, music, loaded.state.leadMinutes);
            program->table.reset(std::move(loaded.state.rows));
            listen();
            ref.restart(now, lead);
            prevTick = TickEngine::kNoTick;
            // A fresh engine has no tick yet; the ticks of this second are done.
            ++restarts;
        }
    }

    std::printf("soak: %lld ticks, %lld alerts in %d batches, %lld forward and %lld backward "
                "jumps, %lld restarts, %lld adds, %lld deletes, %lld next seasons, %lld lead "
                "changes, %lld sorts, %d rows at the end\n",
                ticks, alerts, batches, jumpsForward, jumpsBack, restarts, adds, deletes,
                nextSeasons, leadChanges, sorts, program->table.count());
    // The run must have exercised what it is about.
    QVERIFY(alerts > kRows);
    QVERIFY(restarts >= 5);
    QVERIFY(jumpsForward > 0 && jumpsBack > 0);
    QVERIFY(nextSeasons > 0 && deletes > 0 && leadChanges > 0);
}

QTEST_GUILESS_MAIN(TestSoak)
#include "TestSoak.moc"
