#include "catalogue/CropCatalogue.h"
#include "catalogue/TimeText.h"
#include "reminders/Cp936Codec.h"
#include "reminders/ReminderImage.h"
#include "reminders/ReminderStore.h"

#include <QTest>
#include <QtEndian>
#include <ctime>
#include <limits>
#include <memory>

using namespace ReminderImage;

namespace {

ReminderRow Row(int crop, const QString& name, qint64 plant, qint64 ripe, const QString& note,
                int season) {
    ReminderRow r;
    r.cropIndex = crop;
    r.cropName = name;
    r.plant = plant;
    r.ripe = ripe;
    r.note = note;
    r.seasonNo = season;
    return r;
}

StoreState Sample(int n) {
    StoreState s;
    s.musicPath = QStringLiteral("/home/用户/音乐/闹钟.mp3");
    s.leadMinutes = 2;
    for (int i = 0; i < n; ++i) {
        const bool red = i % 3 == 2;
        const int k = red ? i % CropCatalogue::CropCount(SoilKind::RedSoil)
                          : i % CropCatalogue::CropCount(SoilKind::Ordinary);
        const CropSpec c =
            red ? CropCatalogue::GetRedSoilCrop(k) : CropCatalogue::GetOrdinaryCrop(k);
        const QString note = i % 2 ? QStringLiteral("好友%1号").arg(i) : QString();
        s.rows.push_back(
            Row(k, c.name, 1254374700 + 37 * i, 1254374700 + c.totalSpan + i, note, 1 + i % 9));
    }
    return s;
}

qint32 At(const QByteArray& b, int offset) {
    return qFromLittleEndian<qint32>(b.constData() + offset);
}
void Put(QByteArray& b, int offset, qint32 v) {
    qToLittleEndian<qint32>(v, b.data() + offset);
}

// Decoded from a buffer of exactly that size, so a sanitizer sees any over-read.
LoadResult DecodeExact(const QByteArray& bytes) {
    std::unique_ptr<char[]> exact(new char[size_t(qMax<qsizetype>(bytes.size(), 1))]);
    std::memcpy(exact.get(), bytes.constData(), size_t(bytes.size()));
    return Decode(QByteArrayView(exact.get(), bytes.size()));
}

} // namespace

class TestReminderImage : public QObject {
    Q_OBJECT
private slots:
    void init() {
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    void workedExample() {
        StoreState s;
        s.musicPath = QStringLiteral("默认提醒声音");
        s.rows.push_back(Row(0, QStringLiteral("牧草"), *TimeText::Parse(u"2009-10-01 13:25:00"),
                             *TimeText::Parse(u"2009-10-01 21:25:00"), QString(), 1));
        QByteArray expected(512, '\0');
        const QByteArray music = QByteArray::fromHex("c4acc8cfcce1d0d1c9f9d2f4");
        expected.replace(0, music.size(), music);
        expected.replace(388, 4, QByteArray::fromHex("c4c1b2dd"));
        expected.replace(400, 8, QByteArray::fromHex("2c3dc44aacadc44a"));
        expected[408] = 1;
        expected[500] = 5;
        expected[504] = 1;
        QCOMPARE(Encode(s).toHex(), expected.toHex());
    }

    void roundTrip_data() {
        QTest::addColumn<int>("n");
        for (int n : {1, 2, 9, 300})
            QTest::addRow("%d rows", n) << n;
    }
    void roundTrip() {
        QFETCH(int, n);
        const StoreState s = Sample(n);
        const QByteArray image = Encode(s);
        QCOMPARE(image.size(), (3 + n) * 128);
        const LoadResult r = DecodeExact(image);
        QCOMPARE(r.status, LoadStatus::Whole);
        QCOMPARE(r.state.musicPath, s.musicPath);
        QCOMPARE(r.state.leadMinutes, 2);
        QCOMPARE(r.state.rows.size(), n);
        for (int i = 0; i < n; ++i) {
            QVERIFY2(r.state.rows[i].sameContent(s.rows[i]), qPrintable(QString::number(i)));
            QCOMPARE(r.state.rows[i].rowId, quint32(i));
        }
    }

    void singleRowHeader() {
        StoreState s = Sample(1);
        s.leadMinutes = 3;
        const QByteArray image = Encode(s);
        QCOMPARE(image.size(), 512);
        QCOMPARE(At(image, 500), 3);
        QCOMPARE(At(image, 504), 1);
    }

    void emptiedTableIsSaved() {
        StoreState s = Sample(0);
        const QByteArray image = Encode(s);
        QCOMPARE(image.size(), 512);
        QCOMPARE(At(image, 504), 0);
        const LoadResult r = DecodeExact(image);
        QCOMPARE(r.status, LoadStatus::Whole);
        QVERIFY(r.state.rows.isEmpty());
        QCOMPARE(r.state.musicPath, s.musicPath);
        QCOMPARE(r.state.leadMinutes, 2);
    }

    void valuesOutsideTheFields() {
        StoreState s;
        s.rows.push_back(Row(-7, QStringLiteral("x"), -5, qint64(1) << 33, {}, 257));
        const LoadResult r = DecodeExact(Encode(s));
        QCOMPARE(r.state.rows[0].cropIndex, -7);
        QCOMPARE(r.state.rows[0].plant, 0);
        QCOMPARE(r.state.rows[0].ripe, std::numeric_limits<qint32>::max());
        QCOMPARE(r.state.rows[0].seasonNo, 1);
    }

    void longTextsAreCut_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("stored");
        const QString a89(89, u'a');
        QTest::newRow("record 0, ascii") << 0 << QString(95, u'n') << QString(90, u'n');
        QTest::newRow("record 0, double byte across 90") << 0 << a89 + "中文" << a89;
        QTest::newRow("record 0, 46 double bytes") << 0 << QString(46, u'字') << QString(45, u'字');
        QTest::newRow("record 1, fits") << 1 << QString(95, u'n') << QString(95, u'n');
        QTest::newRow("record 1, ascii") << 1 << QString(110, u'n') << QString(102, u'n');
        QTest::newRow("record 1, double byte across 102")
            << 1 << QString(101, u'b') + "中" << QString(101, u'b');
    }
    void longTextsAreCut() {
        QFETCH(int, row);
        QFETCH(QString, note);
        QFETCH(QString, stored);
        StoreState s = Sample(2);
        s.musicPath = QString(190, u'路') + "abc";           // 383 bytes fit: 380 + 3
        s.rows[0].cropName = QStringLiteral("草莓草莓草莓"); // 12 bytes
        s.rows[row].note = note;
        const QByteArray image = Encode(s);
        QCOMPARE(At(image, 500), 2);
        QCOMPARE(At(image, 504), 2);
        const LoadResult r = DecodeExact(image);
        QCOMPARE(r.status, LoadStatus::Whole);
        QCOMPARE(r.state.rows[row].note, stored);
        QCOMPARE(r.state.rows[0].cropName, QStringLiteral("草莓草莓草"));
        QCOMPARE(r.state.musicPath, QString(190, u'路') + "abc");
        s.musicPath += "d";
        QCOMPARE(DecodeExact(Encode(s)).state.musicPath, QString(190, u'路') + "abc");
    }

    void damaged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("lead");
        QTest::addColumn<QString>("music");
        QTest::addColumn<QString>("name0");
        QTest::addColumn<QString>("note0");
        const QByteArray three = Encode(Sample(3));
        const QString music = Sample(0).musicPath;
        const QString g = CropCatalogue::GetOrdinaryCrop(0).name;
        const int W = int(LoadStatus::Whole), D = int(LoadStatus::Damaged);
        auto with = [&](int offset, qint32 v) {
            QByteArray b = three;
            Put(b, offset, v);
            return b;
        };
        auto fill = [&](int offset, int len, char c) {
            QByteArray b = three;
            b.replace(offset, len, QByteArray(len, c));
            return b;
        };
        QTest::newRow("no bytes") << QByteArray() << int(LoadStatus::Empty) << 0 << 5 << ""
                                  << ""
                                  << "";
        QTest::newRow("music text only") << three.left(100) << D << 0 << 5 << music << ""
                                         << "";
        QTest::newRow("507 bytes: no header") << three.left(507) << D << 0 << 5 << music << ""
                                              << "";
        QTest::newRow("508 bytes: header, no record")
            << three.left(508) << D << 0 << 2 << music << ""
            << "";
        QTest::newRow("count beyond the file") << with(504, 10) << D << 3 << 2 << music << g << "";
        QTest::newRow("last record cut short")
            << three.left(384 + 256 + 60) << D << 2 << 2 << music << g << "";
        QTest::newRow("negative count") << with(504, -1) << D << 0 << 2 << music << ""
                                        << "";
        QTest::newRow("largest count")
            << with(504, std::numeric_limits<qint32>::max()) << D << 3 << 2 << music << g << "";
        QTest::newRow("zero count, longer file") << with(504, 0) << D << 0 << 2 << music << ""
                                                 << "";
        QTest::newRow("trailing bytes") << three + "abc" << D << 3 << 2 << music << g << "";
        QTest::newRow("unterminated name")
            << fill(388, 12, 'n') << D << 3 << 2 << music << QString(12, u'n') << "";
        QTest::newRow("unterminated first note")
            << fill(409, 91, 'x') << D << 3 << 2 << music << g << QString(91, u'x');
        QTest::newRow("unterminated music")
            << fill(0, 384, 'm') << D << 3 << 2 << QString(384, u'm') << g << "";
        QTest::newRow("garbage bytes")
            << fill(388, 2, '\xff') << D << 3 << 2 << music << QString(2, QChar(0xFFFD)) + "草"
            << "";
        QByteArray unknown = with(384, 999);
        unknown.replace(388, 6, Cp936::Encode(QStringLiteral("不存在")));
        QTest::newRow("unknown crop") << unknown << W << 3 << 2 << music << "不存在"
                                      << "";
        QByteArray odd = with(404, 1); // ripened long ago
        odd[408] = char(200);          // season far beyond the last
        QTest::newRow("past ripening, odd season") << odd << W << 3 << 2 << music << g << "";
    }
    void damaged() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(int, rows);
        const LoadResult r = DecodeExact(bytes);
        QCOMPARE(int(r.status), status);
        QCOMPARE(r.reason.isEmpty(), status != int(LoadStatus::Damaged));
        QCOMPARE(r.state.rows.size(), rows);
        QTEST(int(r.state.leadMinutes), "lead");
        QTEST(r.state.musicPath, "music");
        QTEST(rows ? r.state.rows[0].cropName : QString(), "name0");
        QTEST(rows ? r.state.rows[0].note : QString(), "note0");
        for (int i = 0; i < rows; ++i)
            QCOMPARE(r.state.rows[i].rowId, quint32(i));
    }

    void loadedSettings_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("lead");
        QTest::addColumn<int>("selector");
        QTest::addColumn<QString>("strMusic");
        QTest::addColumn<QString>("player");
        QTest::addColumn<QString>("label");
        const int W = int(LoadStatus::Whole);
        const QString dflt = QStringLiteral("默认提醒声音");
        const QString mp3 = QStringLiteral("/m/歌.mp3");
        QTest::newRow("missing") << int(LoadStatus::Missing) << 3 << mp3 << true << 5 << -1 << ""
                                 << ""
                                 << "默认音乐";
        QTest::newRow("empty") << int(LoadStatus::Empty) << 3 << mp3 << true << 5 << -1 << ""
                               << ""
                               << "默认音乐";
        QTest::newRow("lead 3") << W << 3 << mp3 << true << 3 << 2 << mp3 << mp3 << mp3;
        QTest::newRow("lead 9") << W << 9 << mp3 << true << 5 << 0 << mp3 << mp3 << mp3;
        QTest::newRow("lead 1") << W << 1 << mp3 << true << 1 << 4 << mp3 << mp3 << mp3;
        QTest::newRow("lead 0") << W << 0 << mp3 << true << 0 << -1 << mp3 << mp3 << mp3;
        QTest::newRow("lowest lead")
            << W << std::numeric_limits<qint32>::min() << mp3 << true
            << std::numeric_limits<qint32>::min() << -1 << mp3 << mp3 << mp3;
        QTest::newRow("music gone") << W << 5 << mp3 << false << 5 << 0 << dflt << "" << dflt;
        QTest::newRow("default stored") << W << 5 << dflt << false << 5 << 0 << dflt << "" << dflt;
        QTest::newRow("nothing stored") << W << 4 << "" << true << 4 << 1 << dflt << "" << dflt;
        QTest::newRow("damaged") << int(LoadStatus::Damaged) << 5 << mp3 << true << 5 << 0 << mp3
                                 << mp3 << mp3;
    }
    void loadedSettings() {
        QFETCH(int, status);
        QFETCH(int, stored);
        QFETCH(QString, path);
        QFETCH(bool, exists);
        LoadResult r;
        r.status = LoadStatus(status);
        r.state.leadMinutes = stored;
        r.state.musicPath = path;
        QStringList asked;
        const LoadedSettings s = AdoptLoaded(r, [&](const QString& p) {
            asked << p;
            return exists;
        });
        QTEST(int(s.leadMinutes), "lead");
        QTEST(s.selectorIndex, "selector");
        QTEST(s.strMusic, "strMusic");
        QTEST(s.playerPath, "player");
        QTEST(s.musicLabel, "label");
        if (!s.playerPath.isEmpty())
            QCOMPARE(asked, QStringList{path});
    }

    void noteLimit_data() {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("cut");
        QTest::newRow("short") << QStringLiteral("张三") << QStringLiteral("张三");
        QTest::newRow("90 bytes") << QString(45, u'字') << QString(45, u'字');
        QTest::newRow("double byte across 90") << QString(89, u'a') + "字" << QString(89, u'a');
        QTest::newRow("unencodable kept") << QString(89, u'a') + "😀😀" << QString(89, u'a') + "😀";
    }
    void noteLimit() {
        QFETCH(QString, note);
        QFETCH(QString, cut);
        QCOMPARE(CutNote(note), cut);
        QCOMPARE(FitsNote(note), note == cut);
        QVERIFY(FitsNote(CutNote(note)));
    }
};

QTEST_GUILESS_MAIN(TestReminderImage)
#include "TestReminderImage.moc"
