#include "catalogue/CropCatalogue.h"
#include "reminders/Cp936Codec.h"
#include "reminders/PersistenceController.h"

#include <QtTest>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

using namespace ReminderImage;

namespace {

StoreState sample(int n) {
    StoreState s{QStringLiteral("/home/用户/音乐/闹钟€.mp3"), 2, {}};
    for (int i = 0; i < n; ++i) {
        const CropSpec c = CropCatalogue::GetOrdinaryCrop(i % 10);
        const QString note = i % 2 ? QStringLiteral("好友%1号").arg(i) : QString();
        const qint64 t = 1254374700 + i;
        s.rows << ReminderRow{i, c.name, t, t + c.totalSpan, note, 1 + i % 9, 0};
    }
    return s;
}

// Decoded from a buffer of exactly that size, so a sanitizer sees any over-read.
LoadResult decodeExact(const QByteArray& bytes) {
    const std::vector<char> exact(bytes.begin(), bytes.end());
    return decode(QByteArrayView(exact.data(), qsizetype(exact.size())));
}

QString& fieldOf(StoreState& s, int field) {
    QString* const at[] = {&s.musicPath, &s.rows[0].cropName, &s.rows[0].note};
    return *at[field];
}

// At most 1 MiB, so a test gone wrong never reads a 2 GB file.
QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(1 << 20) : QByteArray();
}

// Takes at most `chunk` bytes per write and fails once `room` bytes are in.
struct FailDevice : QBuffer {
    FailDevice(qint64 room, qint64 chunk) : room(room), chunk(chunk) { open(WriteOnly); }
    qint64 writeData(const char* data, qint64 len) override {
        const qint64 n = std::min({len, room - size(), chunk});
        return n > 0 ? QBuffer::writeData(data, n) : -1;
    }
    qint64 room, chunk;
};

// The kind of a directory entry itself, not of what a link names.
mode_t kindOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

ReminderRow due(qint64 ripe, const QString& note = {}) {
    return ReminderRow{0, QStringLiteral("牧草"), ripe - 8 * 3600, ripe, note, 1, 0};
}

// Each row as its note followed by its id, in display order.
QString dump(const ReminderTable& t) {
    QString v;
    for (const ReminderRow& r : t.rows())
        v += r.note + QString::number(r.rowId) + u' ';
    return v;
}

} // namespace

class TestReminders : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
    StoreState m_state; // what the saver's snapshot takes
    std::optional<ReminderStore> m_store;
    std::optional<PersistenceController> m_saver;
    int m_saves = 0;

    // Ticks up to the next periodic save point; the saves so far.
    int period() {
        for (int i = 0; i < PersistenceController::kSaveEveryTicks; ++i)
            m_saver->onTick();
        return m_saves;
    }

private slots:
    void init() {
        QCoreApplication::setApplicationName(QStringLiteral("fruitwake"));
        std::signal(SIGXFSZ, SIG_IGN); // a write past the size limit fails instead
        m_dir.emplace();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path()));
        m_path = ReminderStore::defaultPath();
        m_state = {};
        m_saves = 0;
        m_store.emplace(m_path);
        m_store->setNowSource([] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); });
        m_saver.emplace([this] { return m_state; }, *m_store);
        connect(&*m_saver, &PersistenceController::saved, this, [this] { ++m_saves; });
    }

    // Record 0 shares its slot with the header; instants beyond 32 bits are clamped.
    void goldenImage() {
        QByteArray two(640, '\0');
        two.replace(0, 12, QByteArray::fromHex("c4acc8cfcce1d0d1c9f9d2f4"));
        two.replace(388, 4, QByteArray::fromHex("c4c1b2dd"));
        two.replace(400, 13, QByteArray::fromHex("2c3dc44aacadc44a01d5c5c8fd"));
        two.replace(500, 18, QByteArray::fromHex("030000000200000000000000f9ffffff6180"));
        two.replace(528, 9, QByteArray::fromHex("fbffffffffffff7fc8"));
        two.replace(537, 102, QByteArray(102, 'n'));
        StoreState s{QStringLiteral("默认提醒声音"), 3, {}};
        s.rows << ReminderRow{0, QStringLiteral("牧草"), 1254374700, 1254403500, "张三", 1, 0}
               << ReminderRow{-7, "a€", -5, qint64(1) << 33, QString(110, u'n'), 456, 0};
        QCOMPARE(encode(s).toHex(), two.toHex());
        const LoadResult back = decodeExact(two);
        // A signed crop position, the season's low byte unsigned.
        QVERIFY(back.status == LoadStatus::Whole && back.state.rows.size() == 2 &&
                back.state.rows[1].cropIndex == -7 && back.state.rows[1].seasonNo == 200);
    }

    // Texts are cut between characters, leaving their zero; the note edit agrees. (Record 1's
    // note is cut in the golden image.)
    void textLimits_data() {
        QTest::addColumn<int>("field"); // 0 music, 1 name, 2 note of record 0
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        const QString m(190, u'路'), a88(88, u'a');
        QTest::newRow("music, 383 bytes") << 0 << m + "a中b" << m + "a中";
        QTest::newRow("name, 11 bytes") << 1 << QString("草莓草莓草ab") << QString("草莓草莓草a");
        QTest::newRow("note, 90 bytes") << 2 << QString(45, u'字') << QString(45, u'字');
        QTest::newRow("note, € is one byte") << 2 << a88 + "a€中" << a88 + "a€";
        QTest::newRow("note, emoji kept whole") << 2 << a88 + "a😀😀" << a88 + "a😀";
    }
    void textLimits() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        StoreState s = sample(2);
        fieldOf(s, field) = text;
        LoadResult r = decodeExact(encode(s));
        QCOMPARE(r.status, LoadStatus::Whole);
        QCOMPARE(fieldOf(r.state, field), Cp936::decode(Cp936::encode(stored)));
        QVERIFY(field != 2 || (cutNote(text) == stored && fitsNote(text) == (text == stored)));
    }

    void damaged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("summary"); // status, rows, lead|music|first name|first note
        const QByteArray three = encode(sample(3));
        auto put = [&](int at, const QByteArray& b) {
            return QByteArray(three).replace(at, b.size(), b);
        };
        const QString g = CropCatalogue::GetOrdinaryCrop(0).name,
                      M = "|" + sample(0).musicPath + "|", G = M + g + "|";
        QTest::newRow("no bytes") << QByteArray() << "E 0 5|||";
        // An empty table still gets one record's room, zero-filled.
        QTest::newRow("no records") << encode(sample(0)) << "W 0 2" + M + "|";
        QTest::newRow("507 bytes: no header") << three.left(507) << "D 0 5" + M + "|";
        QTest::newRow("508 bytes: header, no record") << three.left(508) << "D 0 2" + M + "|";
        QTest::newRow("last record cut short") << three.left(384 + 256 + 60) << "D 2 2" + G;
        QTest::newRow("negative count") << put(504, "\xff\xff\xff\xff") << "D 0 2" + M + "|";
        QTest::newRow("largest count") << put(504, "\xff\xff\xff\x7f") << "D 3 2" + G;
        QTest::newRow("trailing bytes") << (three + "abc") << "D 3 2" + G;
        QTest::newRow("unterminated name and first note")
            << put(388, QByteArray(12, 'n')).replace(409, 91, QByteArray(91, 'x'))
            << "D 3 2" + M + QString(12, u'n') + "|" + QString(91, u'x');
        QTest::newRow("unterminated music")
            << put(0, QByteArray(384, 'm')) << "D 3 2|" + QString(384, u'm') + "|" + g + "|";
        QTest::newRow("no GBK text") << put(388, "\xff\xff") << "D 3 2" + M + "\uFFFD\uFFFD草|";
        // Bytes the writer would not give back: after a text's zero, after the header.
        QTest::newRow("byte after music's end") << put(383, "x") << "D 3 2" + G;
        QTest::newRow("byte after name's end") << put(399, "x") << "D 3 2" + G;
        QTest::newRow("byte after a note's end") << put(639, "x") << "D 3 2" + G;
        QTest::newRow("byte after the header") << put(511, "x") << "D 3 2" + G;
        // Records no writer makes end the loading; the rows before them are kept.
        QTest::newRow("season 0 in record 1") << put(408, QByteArray(1, 0)) << "D 0 2" + M + "|";
        QTest::newRow("no name in the third record") << put(644, QByteArray(12, 0)) << "D 2 2" + G;
        QTest::newRow("instants at the 32-bit ends")
            << put(400, QByteArray::fromHex("00000080ffffff7f")) << "W 3 2" + G;
    }
    void damaged() {
        QFETCH(QByteArray, bytes);
        const LoadResult r = decodeExact(bytes);
        const QList<ReminderRow>& rows = r.state.rows;
        const QString first = rows.isEmpty() ? "|" : rows[0].cropName + "|" + rows[0].note;
        QTEST(QString("MEWD"[int(r.status)]) +
                  QString(" %1 %2|").arg(rows.size()).arg(r.state.leadMinutes) + r.state.musicPath +
                  "|" + first,
              "summary");
        QCOMPARE(r.reason.isEmpty(), r.status != LoadStatus::Damaged);
        if (r.status == LoadStatus::Whole) // saved untouched, it is the same file
            QCOMPARE(encode(r.state).toHex(), bytes.toHex());
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].rowId, quint32(i));
    }

    // Unencodable: one '?' each, a lone surrogate keeps the next; a bad lead byte decodes
    // alone, as does one the text ends in (the view stops inside c4ac).
    void codecEdges() {
        QCOMPARE(Cp936::encode(QString("a😀b x\u0e01 a") + QChar(0xD800) + "b " + QChar(0xD800)),
                 QByteArray("a?b x? a?b ?"));
        QCOMPARE(Cp936::decode(QByteArrayView(QByteArray::fromHex("ff61812062c4ac")).first(6)),
                 QString::fromUtf16(u"\uFFFDa\uFFFD b\uFFFD"));
    }

    // A damaged file stays whole under a new name beside itself (behind a link too) without a
    // byte of it written again, however long it claims to be; what could be read replaces it at
    // once. Damaged again in the same second, it gets a name of its own.
    void damagedFileIsKeptAside_data() {
        QTest::addColumn<bool>("link");
        QTest::addColumn<qint64>("count"); // claimed; two records are written
        QTest::newRow("zero-filled record, behind a link") << true << qint64(3);
        QTest::newRow("16,000,000 claimed: 2 GB, sparse") << false << qint64(16'000'000);
    }
    void damagedFileIsKeptAside() {
        QFETCH(bool, link);
        QFETCH(qint64, count);
        const QString file = link ? m_dir->filePath("elsewhere.dat") : m_path;
        QByteArray bytes = encode(sample(2));
        qToLittleEndian<qint32>(qint32(count), bytes.data() + kCountOffset);
        QFile f(file);
        QVERIFY(QDir().mkpath(QFileInfo(m_path).path()) && f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(bytes) && f.resize(imageSize(count)) && (!link || f.link(m_path)));
        const long peak = peakKiB();
        const LoadResult r = m_store->load();
        QVERIFY2(peakKiB() - peak < 16 << 10, qPrintable(QString::number(peakKiB() - peak)));
        QVERIFY(r.status == LoadStatus::Damaged && r.state.rows.size() == 2);
        QCOMPARE(r.damagedCopy, file + ".damaged-20240506-070809");
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(r.damagedCopy).constData(), &st), 0);
        QVERIFY(st.st_size == imageSize(count) && st.st_blocks * 512 < 1 << 20);
        QCOMPARE(read(m_path), encode(sample(2)));
        QCOMPARE(kindOf(m_path), link ? mode_t(S_IFLNK) : mode_t(S_IFREG));
        QVERIFY(QFile::resize(m_path, 600));
        QCOMPARE(m_store->load().damagedCopy, r.damagedCopy + "-2");
        QCOMPARE(read(r.damagedCopy + "-2"), encode(sample(2)).left(600));
    }

    // Saving writes through a link to a regular file, which loads as well; a link to anything
    // else is replaced by a regular file, never written through. (Loading moves what is not a
    // regular file aside whole: the hostile-start run checks it.)
    void savingThroughALink_data() {
        QTest::addColumn<bool>("toFile");
        QTest::newRow("to a file") << true;
        QTest::newRow("to a folder") << false;
    }
    void savingThroughALink() {
        QFETCH(bool, toFile);
        const QString node = m_dir->filePath("node");
        QVERIFY(toFile ? ReminderStore(node).save(sample(2)).ok : QDir().mkpath(node));
        QVERIFY(QDir().mkpath(QFileInfo(m_path).path()) && QFile::link(node, m_path));
        QVERIFY(!toFile || encode(m_store->load().state) == encode(sample(2)));
        QVERIFY(m_store->save(sample(1)).ok);
        QCOMPARE(kindOf(m_path), toFile ? mode_t(S_IFLNK) : mode_t(S_IFREG));
        QCOMPARE(read(toFile ? node : m_path), encode(sample(1)));
        QCOMPARE(kindOf(node), toFile ? mode_t(S_IFREG) : mode_t(S_IFDIR));
    }

    // A full disk (EFBIG past 4 KiB, even for root) is told once per streak and keeps the old
    // file whole; the next save point (first streak) or the retry (second) writes it and tells
    // the recovery, even when the state went back to what the file holds meanwhile.
    void faultThenRecovery() {
        QSignalSpy failed(&*m_saver, &PersistenceController::saveFailed);
        QSignalSpy recovered(&*m_saver, &PersistenceController::saveRecovered);
        rlimit normal{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &normal), 0);
        const rlimit small{4096, normal.rlim_max};
        for (int streak = 1; streak <= 2; ++streak) {
            m_saver->setRetryDelay(streak == 2 ? 10 : PersistenceController::kRetryMs);
            m_state = sample(streak);
            QVERIFY(m_saver->saveNow().ok);
            m_state = sample(200);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            const bool ok = m_saver->saveNow().ok || m_saver->saveNow().ok;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &normal), 0);
            QVERIFY(!ok && failed.size() == streak && failed.last()[0].toString().contains(m_path));
            m_state = sample(streak); // as before the failed save
            QCOMPARE(read(m_path), encode(m_state));
            if (streak == 1)
                period();
            QTRY_COMPARE(recovered.size(), streak);
        }
    }

    void writeImageToFailingDevice() {
        const QByteArray image = encode(sample(1));
        for (auto [room, chunk, flushes] :
             {std::tuple(511, 64, true), {512, 4096, false}, {512, 7, true}}) {
            FailDevice device(room, chunk);
            QString error;
            const bool ok = writeImage(device, image, &error, [&] { return flushes; });
            QCOMPARE(ok, room == 512 && flushes);
            QCOMPARE(error.isEmpty(), ok);
            QCOMPARE(device.data(), image.left(room));
        }
    }

    // A steady stream of changes is saved about a second after the first of them, with the
    // state of its own time: later ones do not push it back.
    void streamOfChangesIsSaved() {
        for (int i = 0; i < 150 && m_saves == 0; ++i) { // 15 s at most
            m_saver->markDirty();
            m_state = sample(i % 3);
            QTest::qWait(100);
        }
        QCOMPARE(read(m_path), encode(m_state));
        m_saver->markDirty();
        QVERIFY(m_saver->saveNow().ok && !m_saver->isDirty()); // the pending change went with it
    }

    // Every 120 ticks, but only what differs from the last good save: idle
    // writes nothing; a change undone in between may be skipped, a change never.
    void periodicSaveOnlyWhenChanged() {
        QCOMPARE(period(), 1); // nothing known to be in the file yet
        QCOMPARE(period(), 1);
        m_state = sample(2); // as a tick's removal changes the rows
        QCOMPARE(period(), 2);
        m_state.leadMinutes = 1;
        QCOMPARE(period(), 3);
        m_state.leadMinutes = sample(2).leadMinutes; // undone before the next save
        const int n = period();
        QCOMPARE(read(m_path), encode(m_state));
        QCOMPARE(period(), n);
        m_state = sample(4);
        m_saver->markSaved(); // as a whole file just loaded
        QCOMPARE(period(), n);
    }

    // Once the fence says another process writes the file now, no save of any kind writes it
    // again, even if the fence would later say yes, and no "retried later" is told.
    void fenceHoldsForGood() {
        QSignalSpy failed(&*m_saver, &PersistenceController::saveFailed);
        bool mayWrite = false;
        m_saver->setWriteFence([&] { return mayWrite; });
        QCOMPARE(m_saver->saveNow().error, PersistenceController::fencedText());
        mayWrite = true;
        period();
        QVERIFY(!m_saver->saveNow().ok && !QFile::exists(m_path) && failed.isEmpty());
    }

    // Any column sorts by ripening, stably; ids and a view's selection move with rows, and no id
    // is given twice, not even after a reset.
    void sortAndRowIds() {
        ReminderTable t;
        QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
        t.reset({due(20, "a"), due(30, "b"), due(10, "c"), due(20, "d"), due(30, "e")});
        const QPersistentModelIndex selected(t.index(3, 0)); // "d"
        t.sort(ReminderTable::ColNote, Qt::AscendingOrder);
        QCOMPARE(dump(t), "c2 a0 d3 b1 e4 ");
        t.sort(ReminderTable::ColCropName, Qt::DescendingOrder);
        QCOMPARE(dump(t), "b1 e4 a0 d3 c2 ");
        t.removeAt(1); // as the tick does
        t.append(due(40, "f"));
        t.removePositions({3, 0, 3, 9}); // any order; duplicates and strays ignored
        t.append(due(5, "g"));
        QCOMPARE(dump(t) + t.row(selected.row()).note, "a0 d3 f5 g6 d");
        // Scattered rows go in one pass: what is left, and where views point.
        QList<int> odd;
        for (int i = 0; i < 40; ++i)
            odd << 2 * i + 1; // those past the end are ignored
        t.reset(QVector<ReminderRow>(40, due(1, "x")));
        const QPersistentModelIndex kept(t.index(38, 1)), gone(t.index(39, 1));
        t.removePositions(odd);
        QVERIFY(kept.row() == 19 && !gone.isValid());
        QVERIFY(dump(t).startsWith("x7 x9 x11 ") && dump(t).endsWith("x43 x45 "));
    }

    void countdownTexts() {
        ReminderTable t;
        t.append(due(5000));
        const QModelIndex cell = t.index(0, ReminderTable::ColCountdown);
        QStringList shown{t.data(cell).toString()}; // empty until the first tick
        for (qint64 remaining : {90061, 0, -1}) {
            t.setNow(5000 - remaining);
            shown << t.data(cell).toString();
        }
        QCOMPARE(shown.join(u','), ",1天1小时1分1秒成熟,0天0小时0分0秒成熟,点击下一季开始！");
    }
};

QTEST_GUILESS_MAIN(TestReminders)
#include "TestReminders.moc"
