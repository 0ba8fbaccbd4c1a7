#include <QFile>
#include <QtEndian>
#include <QtTest>

namespace {

quint32 U32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint16 U16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

} // namespace

class TestChimeResource : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QFile f(QStringLiteral(":/sounds/chime.wav"));
        QVERIFY2(f.open(QIODevice::ReadOnly), "qrc:/sounds/chime.wav is not in the resources");
        m_wav = f.readAll();
        QCOMPARE(m_wav.size(), 33328);
    }

    void header_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<quint32>("value");
        QTest::newRow("RIFF size") << 4 << 4 << quint32(33328 - 8);
        QTest::newRow("fmt size") << 16 << 4 << quint32(16);
        QTest::newRow("PCM") << 20 << 2 << quint32(1);
        QTest::newRow("mono") << 22 << 2 << quint32(1);
        QTest::newRow("rate") << 24 << 4 << quint32(22050);
        QTest::newRow("byte rate") << 28 << 4 << quint32(44100);
        QTest::newRow("block align") << 32 << 2 << quint32(2);
        QTest::newRow("bits") << 34 << 2 << quint32(16);
        QTest::newRow("data size") << 40 << 4 << quint32(33284);
    }
    void header() {
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(quint32, value);
        QCOMPARE(m_wav.mid(0, 4), QByteArray("RIFF"));
        QCOMPARE(m_wav.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(m_wav.mid(36, 4), QByteArray("data"));
        QCOMPARE(width == 4 ? U32(m_wav, offset) : quint32(U16(m_wav, offset)), value);
    }

    void soundIsAShortBellWithoutClicks() {
        const int n = 33284 / 2;
        QVector<int> s(n);
        int peak = 0;
        for (int i = 0; i < n; ++i) {
            s[i] = qint16(U16(m_wav, 44 + 2 * i));
            peak = qMax(peak, qAbs(s[i]));
        }
        QVERIFY(peak > 8000 && peak < 32767); // audible, never clipped
        QVERIFY(qAbs(s[0]) < 200);            // soft attack
        QVERIFY(qAbs(s[n - 1]) < 200);        // faded out: no click at the end
        const auto energy = [&](int from, int to) {
            double e = 0;
            for (int i = from; i < to; ++i)
                e += double(s[i]) * s[i];
            return e / (to - from);
        };
        QVERIFY(energy(0, n / 4) > 4 * energy(3 * n / 4, n)); // it decays
    }

private:
    QByteArray m_wav;
};

QTEST_GUILESS_MAIN(TestChimeResource)
#include "TestChimeResource.moc"
