#include "controls/CDigitGateEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

class TestCDigitGateEdit : public QObject {
    Q_OBJECT
private slots:
    void filter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("result");
        const QString d18 = QStringLiteral("123456789012345678");
        QTest::newRow("letter") << "12a3" << true << "123";
        QTest::newRow("second point") << "1.2.3" << true << "1.23";
        QTest::newRow("two minus") << "--5" << true << "-5";
        QTest::newRow("trailing minus") << "5-" << true << "5";
        QTest::newRow("minus after point") << ".-5" << true << ".5";
        QTest::newRow("lone minus") << "-" << false << QString();
        QTest::newRow("lone point") << "." << false << QString();
        QTest::newRow("minus point") << "-." << false << QString();
        QTest::newRow("empty") << "" << false << QString();
        QTest::newRow("double byte whole") << "1中2" << true << "12";
        QTest::newRow("full-width digit") << "１2" << true << "2";
        QTest::newRow("19 then junk untouched") << d18 + "9abc" << false << QString();
        QTest::newRow("junk within 19 cuts the rest") << d18 + "a9xyz" << true << d18;
        QTest::newRow("double byte across byte 19") << d18 + "中77" << true << d18;
        QTest::newRow("double bytes count two")
            << QStringLiteral("中文中文中文中文中7a") << true << "7";
    }
    void filter() {
        QFETCH(QString, text);
        QFETCH(bool, changed);
        QFETCH(QString, result);
        const std::optional<QString> out = CDigitGateEdit::Filter(text);
        QCOMPARE(out.has_value(), changed);
        if (changed) {
            QCOMPARE(*out, result);
            QVERIFY(!CDigitGateEdit::Filter(*out)); // a second pass finds nothing
        }
    }

    void caret_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("newCaret");
        QTest::newRow("junk at end") << "12b" << 3 << "12" << 2;
        QTest::newRow("junk before caret") << "1x23" << 2 << "123" << 1;
        QTest::newRow("junk after caret") << "12x3" << 1 << "123" << 1;
        QTest::newRow("past the looked-at bytes")
            << "1a23456789012345678999" << 22 << "123456789012345678" << 18;
    }
    void caret() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, result);
        QFETCH(int, newCaret);
        CDigitGateEdit edit;
        {
            const QSignalBlocker block(&edit); // the text as the user left it
            edit.setText(text);
            edit.setCursorPosition(caret);
        }
        emit edit.textChanged(edit.text());
        QCOMPARE(edit.text(), result);
        QCOMPARE(edit.cursorPosition(), newCaret);
    }

    void typingAndPasting() {
        CDigitGateEdit edit;
        QTest::keyClicks(&edit, QStringLiteral("4x2.5.0-"));
        QCOMPARE(edit.text(), QStringLiteral("42.50"));
        QApplication::clipboard()->setText(QStringLiteral("1中.3"));
        if (QApplication::clipboard()->text() != QStringLiteral("1中.3"))
            QSKIP("no clipboard here");
        edit.paste();
        QCOMPARE(edit.text(), QStringLiteral("42.5013"));
    }
};

QTEST_MAIN(TestCDigitGateEdit)
#include "TestCDigitGateEdit.moc"
