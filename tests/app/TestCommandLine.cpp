#include "app/CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("outcome"); // run/hidden or exit code, stdout's start, stderr
        // (--help, --version and an unknown option are run in tests/e2e/command_line.sh)
        QTest::newRow("none") << QStringList{} << "run||";
        QTest::newRow("hidden") << QStringList{"--hidden"} << "hidden||";
        QTest::newRow("toolkit's own") << QStringList{"-platform", "xcb", "-hidden"} << "hidden||";
        QTest::newRow("stray") << QStringList{"a b"}
                               << "2||fruitwake: 多余的参数：a b（用 --help 查看用法）";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        const auto o = CommandLine::parse(QStringList{"/usr/bin/fruitwake"} + args);
        const QString head =
            o.run ? QString(o.hidden ? "hidden" : "run") : QString::number(o.exitCode);
        QTEST(head + u'|' + o.out.section(u'\n', 0, 0) + u'|' + o.err.trimmed(), "outcome");
    }
};

QTEST_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
