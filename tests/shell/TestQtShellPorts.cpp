#include "shell/QtAlertPresenter.h"
#include "shell/QtShellPorts.h"

#include <QtTest>
#include <QtWidgets>

class TestQtShellPorts : public QObject {
    Q_OBJECT
private slots:
    void trayMenu() {
        QtTrayPort tray(nullptr, 0);
        QSignalSpy closes(&tray, &TrayPort::closeChosen), abouts(&tray, &TrayPort::aboutChosen);
        QStringList seen; // each entry with the close and About signals so far
        for (QAction* a : tray.menu()->actions()) {
            a->trigger();
            seen << a->text() + QString::asprintf(":%d%d", int(closes.size()), int(abouts.size()));
        }
        QCOMPARE(seen, (QStringList{"关闭:10", "关于 Fruitwake(&A)...:11"}));
    }

    // The ripe box, the close question and the exit-save notice show their texts as given and
    // block no other window; Escape or closing the question counts as Cancel, and the notice
    // goes on however it ends. The ripe box, after the window was brought forward, stays on
    // top and is shown without activation (whether the focus stays is for tests/e2e). The
    // question's OK is pressed in tests/e2e/exit_save_box.sh.
    void boxes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("how"); // a button, a key, or 0 for closing the box
        QTest::addColumn<QString>("answer");
        QTest::newRow("ripe OK") << "ripe" << int(QMessageBox::Ok) << "done";
        QTest::newRow("question Escape") << "question" << int(Qt::Key_Escape) << "Cancel";
        QTest::newRow("question closed") << "question" << 0 << "Cancel";
        QTest::newRow("notice Escape") << "notice" << int(Qt::Key_Escape) << "done";
    }
    void boxes() {
        QFETCH(QString, kind);
        QFETCH(int, how);
        QWidget owner;
        owner.show();
        QString answer, caption = QStringLiteral("Fruitwake");
        const QString text = QString::fromUtf8("<b>牧草</b>成熟了！");
        QStringList forwarded;
        QtAlertPresenter presenter([&forwarded](const QString& t) { forwarded << t; });
        connect(&presenter, &AlertPresenter::dismissed, [&answer] { answer = "done"; });
        if (kind == "ripe")
            presenter.present({false, {{Alert::Kind::Ripe, 0, {}, 0, text}}});
        else if (kind == "notice")
            messageBoxNotice (&owner)(text, [&answer] { answer = "done"; });
        else
            messageBoxQuestion (&owner)(caption = QStringLiteral("关闭提醒"), text,
                                        [&](bool ok) { answer = ok ? "OK" : "Cancel"; });
        QMessageBox* box =
            kind == "ripe" ? presenter.currentBox() : owner.findChild<QMessageBox*>();
        QVERIFY(box && answer.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(box->isVisible(), 10000);
        QCOMPARE(box->windowTitle() + u'|' + box->text(), caption + u'|' + text);
        QVERIFY(box->textFormat() == Qt::PlainText &&
                box->windowModality() != Qt::ApplicationModal);
        if (kind == "ripe")
            QVERIFY(forwarded == QStringList{text} &&
                    box->testAttribute(Qt::WA_ShowWithoutActivating) &&
                    (box->windowFlags() & Qt::WindowStaysOnTopHint));
        if (how == Qt::Key_Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else if (how)
            box->button(QMessageBox::StandardButton(how))->click();
        else
            box->close();
        QTRY_VERIFY_WITH_TIMEOUT(!answer.isEmpty(), 10000);
        QTEST(answer, "answer");
        QVERIFY(!presenter.currentBox());
    }

    // Where a window cannot come up without taking the focus, the window and the box wait
    // until the user comes to Fruitwake.
    void boxWaitsForTheUser() {
        bool may = false;
        QStringList forwarded;
        QtAlertPresenter presenter([&forwarded](const QString& t) { forwarded << t; });
        presenter.setMayShow([&may] { return may; });
        presenter.present({false, {{Alert::Kind::Ripe, 0, {}, 0, "ripe"}}});
        QVERIFY(!presenter.currentBox() && forwarded.isEmpty());
        may = true;
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QVERIFY(presenter.currentBox());
        QCOMPARE(forwarded, QStringList{"ripe"});
    }
};

QTEST_MAIN(TestQtShellPorts)
#include "TestQtShellPorts.moc"
