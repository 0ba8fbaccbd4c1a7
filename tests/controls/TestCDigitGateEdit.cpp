#include "controls/CDigitGateEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

class TestCDigitGateEdit : public QObject {
    Q_OBJECT
private slots:
    void filter_data();
    void filter();
    void typing_data();
    void typing();
    void pasteGoesThroughFilter();
    void correctionKeepsCaret_data();
    void correctionKeepsCaret();
};

void TestCDigitGateEdit::filter_data() {
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
    QTest::newRow("number") << "-12.5" << false << QString();
    QTest::newRow("empty") << "" << false << QString();
    QTest::newRow("only junk") << "abc" << true << "";
    QTest::newRow("space") << " 7" << true << "7";
    QTest::newRow("double byte whole") << "1中2" << true << "12";
    QTest::newRow("full-width digit") << "１2" << true << "2";
    QTest::newRow("19 then junk untouched") << d18 + "9abc" << false << QString();
    QTest::newRow("19 then double byte untouched") << d18 + "9中" << false << QString();
    QTest::newRow("junk within 19 cuts the rest") << d18 + "a9xyz" << true << d18;
    QTest::newRow("double byte across byte 19") << d18 + "中77" << true << d18;
    QTest::newRow("double bytes count two")
        << QStringLiteral("中文中文中文中文中") + "7" + "a" << true << "7";
    QTest::newRow("double bytes fill 19")
        << QStringLiteral("中文中文中文中文中文") + "7" << true << "";
}

void TestCDigitGateEdit::filter() {
    QFETCH(QString, text);
    QFETCH(bool, changed);
    QFETCH(QString, result);
    const std::optional<QString> out = CDigitGateEdit::Filter(text);
    QCOMPARE(out.has_value(), changed);
    if (changed) {
        QCOMPARE(*out, result);
        // Filtering its own output again finds nothing to drop.
        QVERIFY(!CDigitGateEdit::Filter(*out).has_value());
    }
}

void TestCDigitGateEdit::typing_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << "42"
                            << "42";
    QTest::newRow("letters dropped") << "4x2"
                                     << "42";
    QTest::newRow("second point") << "1.5.0"
                                  << "1.50";
    QTest::newRow("minus later") << "3-"
                                 << "3";
}

void TestCDigitGateEdit::typing() {
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    CDigitGateEdit edit;
    QTest::keyClicks(&edit, keys);
    QCOMPARE(edit.text(), shown);
}

void TestCDigitGateEdit::pasteGoesThroughFilter() {
    CDigitGateEdit edit;
    edit.setText(QStringLiteral("1"));
    edit.setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("2中.3.4"));
    if (QApplication::clipboard()->text() != QStringLiteral("2中.3.4"))
        QSKIP("no clipboard on this platform");
    edit.paste();
    QCOMPARE(edit.text(), QStringLiteral("12.34"));
}

void TestCDigitGateEdit::correctionKeepsCaret_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("newCaret");
    QTest::newRow("junk at end") << "12b" << 3 << "12" << 2;
    QTest::newRow("junk before caret") << "1x23" << 2 << "123" << 1;
    QTest::newRow("junk after caret") << "12x3" << 1 << "123" << 1;
    QTest::newRow("caret at start") << "a12" << 0 << "12" << 0;
    QTest::newRow("beyond the looked-at bytes")
        << QStringLiteral("1a23456789012345678999") << 22 << "123456789012345678" << 18;
}

void TestCDigitGateEdit::correctionKeepsCaret() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, result);
    QFETCH(int, newCaret);
    CDigitGateEdit edit;
    {
        // Put the text in unfiltered with the caret where the user left it.
        const QSignalBlocker block(&edit);
        edit.setText(text);
        edit.setCursorPosition(caret);
    }
    emit edit.textChanged(edit.text());
    QCOMPARE(edit.text(), result);
    QCOMPARE(edit.cursorPosition(), newCaret);
}

QTEST_MAIN(TestCDigitGateEdit)
#include "TestCDigitGateEdit.moc"
