#include "app/QtShellPorts.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestQtShellPorts : public QObject {
    Q_OBJECT
private slots:
    void trayMenu() {
        QtTrayPort tray(nullptr, 0);
        const QList<QAction*> actions = tray.menu()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions.at(0)->text(), QString::fromUtf8("关闭"));
        QCOMPARE(actions.at(1)->text(), QString::fromUtf8("关于 Fruitwake(&A)..."));
        QSignalSpy closes(&tray, &TrayPort::closeChosen);
        QSignalSpy abouts(&tray, &TrayPort::aboutChosen);
        actions.at(0)->trigger();
        QCOMPARE(closes.size(), 1);
        QCOMPARE(abouts.size(), 0);
        actions.at(1)->trigger();
        QCOMPARE(abouts.size(), 1);
    }

    void noTrayOffscreen() {
        // The offscreen platform has no notification area: the shell must minimise.
        QtTrayPort tray(nullptr, 0);
        QCOMPARE(tray.isAvailable(), QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(!tray.isAvailable());
    }

    void windowRestoredFromMinimised() {
        QWidget widget;
        QtWindowPort window(&widget);
        window.showMinimized();
        QVERIFY(widget.windowState() & Qt::WindowMinimized);
        window.hide();
        QVERIFY(!window.isVisible());
        window.showAndActivate();
        QVERIFY(window.isVisible());
        QVERIFY(!(widget.windowState() & Qt::WindowMinimized));
    }

    void question_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << "ok" << true;
        QTest::newRow("Cancel") << "cancel" << false;
        QTest::newRow("Escape") << "escape" << false;
        QTest::newRow("closed") << "close" << false;
    }
    void question() {
        QFETCH(QString, how);
        QWidget owner;
        owner.show();
        QList<bool> answers;
        MessageBoxQuestion (&owner)(ShellController::CloseCaption(),
                                    ShellController::CloseQuestion(),
                                    [&answers](bool ok) { answers << ok; });
        // Not answered yet: the box does not block the caller.
        QVERIFY(answers.isEmpty());
        auto* box = owner.findChild<QMessageBox*>();
        QVERIFY(box);
        QTRY_VERIFY_WITH_TIMEOUT(box->isVisible(), 10000);
        QCOMPARE(box->windowTitle(), QString::fromUtf8("关闭提醒"));
        QCOMPARE(box->text(), QString::fromUtf8("是否关闭提醒器?"));
        if (how == QLatin1String("ok"))
            box->button(QMessageBox::Ok)->click();
        else if (how == QLatin1String("cancel"))
            box->button(QMessageBox::Cancel)->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, 10000);
        QTEST(answers.at(0), "ok");
    }
};

QTEST_MAIN(TestQtShellPorts)
#include "TestQtShellPorts.moc"
