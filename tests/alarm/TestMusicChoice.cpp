#include "alarm/MusicChoice.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using namespace MusicChoice;

class TestMusicChoice : public QObject {
    Q_OBJECT
private slots:
    void choose_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("music");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("refused");

        const QString song = QStringLiteral("/home/用户/音乐/丰收.mp3");
        const QString old = QStringLiteral("/music/old.wav");
        const QString def = QStringLiteral("默认提醒声音");
        // 383 bytes fit: "/" + 191 two-byte characters.
        const QString longest = u'/' + QString(191, QChar(0x6b4c));
        const QString tooLong = longest + u'x';

        QTest::newRow("choose with none before")
            << song << QString() << true << song << song << false;
        QTest::newRow("choose over a choice") << song << old << true << song << song << false;
        QTest::newRow("cancel with none: default label only")
            << QString() << QString() << false << QString() << def << false;
        QTest::newRow("cancel with a choice clears it")
            << QString() << old << true << QString() << QString() << false;
        QTest::newRow("cancel after a stored default text clears it")
            << QString() << def << true << QString() << QString() << false;
        QTest::newRow("383 bytes accepted")
            << longest << old << true << longest << longest << false;
        QTest::newRow("384 bytes refused") << tooLong << old << false << old << QString() << true;
        QTest::newRow("character the file cannot hold refused")
            << QStringLiteral("/music/\U0001F33Bsong.mp3") << QString() << false << QString()
            << QString() << true;
    }
    void choose() {
        QFETCH(QString, chosen);
        QFETCH(QString, current);
        QFETCH(bool, changed);
        QFETCH(QString, music);
        QFETCH(QString, label);
        QFETCH(bool, refused);

        const ChooseOutcome out = OnChooseMusic(chosen, current);
        QCOMPARE(out.changed, changed);
        QCOMPARE(out.music, music);
        QCOMPARE(out.label, label);
        QCOMPARE(!out.message.isEmpty(), refused);
    }

    void preview_data() {
        QTest::addColumn<QString>("music");
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("action");

        QTest::newRow("none chosen") << QString() << false << int(PreviewAction::ShowNoSongMessage);
        QTest::newRow("none chosen, deck active")
            << QString() << true << int(PreviewAction::ShowNoSongMessage);
        QTest::newRow("chosen, idle")
            << QStringLiteral("/a.mp3") << false << int(PreviewAction::Play);
        QTest::newRow("chosen, playing or finished")
            << QStringLiteral("/a.mp3") << true << int(PreviewAction::Nothing);
        QTest::newRow("stored default text plays (and finds nothing)")
            << QStringLiteral("默认提醒声音") << false << int(PreviewAction::Play);
    }
    void preview() {
        QFETCH(QString, music);
        QFETCH(bool, active);
        QFETCH(int, action);
        QCOMPARE(int(OnPreviewMusic(music, active)), action);
        QCOMPARE(NoSongText(), QString::fromUtf8("\xe5\xbd\x93\xe5\x89\x8d\xe6\xb2\xa1\xe6\x9c\x89"
                                                 "\xe9\x80\x89\xe6\x8b\xa9\xe6\xad\x8c\xe6\x9b\xb2"
                                                 "\xef\xbc\x81"));
    }

    // Qt reads a filter as "description (patterns)", the patterns in the last
    // parentheses, separated by spaces.
    void filterShowsBothKinds() {
        const QRegularExpression qtFilter(QStringLiteral("^(.*)\\(([a-zA-Z0-9_.,*? +;#\\-]*)\\)$"));
        const auto m = qtFilter.match(FileFilter());
        QVERIFY(m.hasMatch());
        QCOMPARE(m.captured(1).trimmed(), QStringLiteral("mp3或wav Files (*.wav,*.mp3)"));
        const QStringList patterns = m.captured(2).split(u' ', Qt::SkipEmptyParts);
        for (const char* name : {"收获.mp3", "bell.wav", "SONG.MP3"})
            QVERIFY2(QDir::match(patterns, QString::fromUtf8(name)), name);
        QVERIFY(!QDir::match(patterns, QStringLiteral("notes.txt")));
    }
};

QTEST_GUILESS_MAIN(TestMusicChoice)
#include "TestMusicChoice.moc"
