#include "reminders/Cp936Codec.h"

#include <QTest>

class TestCp936Codec : public QObject {
    Q_OBJECT
private slots:
    void knownBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("ascii") << QStringLiteral("C:\\a b.mp3") << QByteArray("C:\\a b.mp3");
        QTest::newRow("default sound")
            << QStringLiteral("默认提醒声音") << QByteArray::fromHex("c4acc8cfcce1d0d1c9f9d2f4");
        QTest::newRow("crop") << QStringLiteral("牧草") << QByteArray::fromHex("c4c1b2dd");
        QTest::newRow("mixed") << QStringLiteral("a牧b") << QByteArray::fromHex("61c4c162");
        QTest::newRow("euro") << QStringLiteral("€") << QByteArray::fromHex("80");
    }
    void knownBytes() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp936::Encode(text).toHex(), bytes.toHex());
        QCOMPARE(Cp936::EncodedLength(text), bytes.size());
        bool clean = false;
        QCOMPARE(Cp936::Decode(bytes, &clean), text);
        QVERIFY(clean);
    }

    void cutAtCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("bytes");
        for (int limit : {90, 102, 383}) {
            const QString before(limit - 1, u'a');
            QTest::addRow("%d, double byte across", limit) << before + "中" << limit << limit - 1;
            QTest::addRow("%d, double byte ends it", limit)
                << QString(limit - 2, u'a') + "中中" << limit << limit;
            QTest::addRow("%d, all double", limit)
                << QString(limit, u'字') << limit << limit / 2 * 2;
            QTest::addRow("%d, fits", limit) << QString(limit, u'b') << limit << limit;
        }
    }
    void cutAtCharacters() {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(int, bytes);
        const QByteArray cut = Cp936::EncodeCut(text, limit);
        QCOMPARE(cut.size(), bytes);
        QVERIFY(Cp936::Encode(text).startsWith(cut));
        bool clean = false;
        const QString back = Cp936::Decode(cut, &clean);
        QVERIFY(clean);
        QVERIFY(text.startsWith(back));
    }

    void unencodable_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("emoji") << QStringLiteral("a😀b") << QByteArray("a?b");
        QTest::newRow("thai") << QStringLiteral("x\u0e01") << QByteArray("x?");
        QTest::newRow("lone surrogate")
            << (QStringLiteral("a") + QChar(0xD800) + "b") << QByteArray("a?b");
    }
    void unencodable() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp936::Encode(text), bytes);
        QCOMPARE(Cp936::EncodeCut(text, 2), bytes.left(2));
    }

    void garbage_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("viewSize");
        QTest::addColumn<QString>("text");
        const QString bad(QChar(0xFFFD));
        QTest::newRow("ff") << QByteArray("\xff") << 1 << bad;
        QTest::newRow("lead byte at the end") << QByteArray("a\x81") << 2 << "a" + bad;
        QTest::newRow("lead byte, bad trail") << QByteArray("\x81 b") << 3 << bad + " b";
        QTest::newRow("view ends inside a character") << QByteArray("\xc4\xac") << 1 << bad;
    }
    void garbage() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, viewSize);
        bool clean = true;
        QTEST(Cp936::Decode(QByteArrayView(bytes.constData(), viewSize), &clean), "text");
        QVERIFY(!clean);
    }
};

QTEST_GUILESS_MAIN(TestCp936Codec)
#include "TestCp936Codec.moc"
