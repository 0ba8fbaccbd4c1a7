#include "app/CAboutBox.h"
#include "app/DialogUnits.h"
#include "app/ProgramIcon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void texts() {
        CAboutBox box;
        QCOMPARE(box.windowTitle(), QString::fromUtf8("关于 Fruitwake"));
        auto* ok = box.findChild<QPushButton*>(QStringLiteral("idc_1"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QString::fromUtf8("确定"));
        QVERIFY(ok->isDefault());
        QStringList texts;
        for (const QLabel* label : box.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
                QCOMPARE(label->textFormat(), Qt::PlainText);
            }
        }
        QVERIFY(texts.contains(QString::fromUtf8("Fruitwake V1.8版")));
        QCOMPARE(texts.size(), 4);
    }

    void layoutInDialogUnits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("dlu");
        QTest::newRow("version") << QString::fromUtf8("Fruitwake V1.8版") << QRect(40, 10, 119, 8);
        QTest::newRow("OK") << QString::fromUtf8("确定") << QRect(171, 7, 50, 14);
        QTest::newRow("icon") << QString() << QRect(11, 10, 20, 20);
    }
    void layoutInDialogUnits() {
        QFETCH(QString, text);
        QFETCH(QRect, dlu);
        CAboutBox box;
        const DialogUnits du(DialogUnits::DialogFont());
        QCOMPARE(box.size(), QSize(du.x(228), du.y(60)));
        QWidget* widget = box.iconLabel();
        if (!text.isEmpty()) {
            widget = nullptr;
            for (QWidget* w : box.findChildren<QWidget*>()) {
                const auto* label = qobject_cast<QLabel*>(w);
                const auto* button = qobject_cast<QPushButton*>(w);
                if ((label && label->text() == text) || (button && button->text() == text))
                    widget = w;
            }
        }
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), du.rect(dlu.x(), dlu.y(), dlu.width(), dlu.height()));
    }

    void iconShown() {
        CAboutBox box;
        const QPixmap shown = box.iconLabel()->pixmap();
        QVERIFY(!shown.isNull());
        // The icon's red skin, not an empty picture.
        const QImage image = shown.toImage();
        QVERIFY(image.pixelColor(image.width() / 3, image.height() / 2).red() > 150);
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    }

    void iconSizes_data() {
        QTest::addColumn<int>("size");
        for (const int size : ProgramIcon::Sizes())
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }
    void iconSizes() {
        QFETCH(int, size);
        ProgramIcon::Icon(); // registers the resources
        const QImage image(QStringLiteral(":/icons/fruitwake-%1.png").arg(size));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        QVERIFY(ProgramIcon::Icon().availableSizes().contains(QSize(size, size)));
    }

    void closes_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK click") << "ok" << int(QDialog::Accepted);
        QTest::newRow("Enter") << "enter" << int(QDialog::Accepted);
        QTest::newRow("Escape") << "escape" << int(QDialog::Rejected);
        QTest::newRow("close button") << "close" << int(QDialog::Rejected);
    }
    void closes() {
        QFETCH(QString, how);
        CAboutBox box;
        QSignalSpy finished(&box, &QDialog::finished);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        if (how == QLatin1String("ok"))
            QTest::mouseClick(box.okButton(), Qt::LeftButton);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(&box, Qt::Key_Return);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            QVERIFY(box.close());
        QCOMPARE(finished.size(), 1);
        QTEST(finished.at(0).at(0).toInt(), "result");
        QVERIFY(!box.isVisible());
    }

    void openKeepsOneBox() {
        QWidget owner;
        owner.show();
        CAboutBox* first = CAboutBox::Open(&owner);
        QVERIFY(first->isVisible());
        // No nested loop: Open returned while the box is up.
        QCOMPARE(CAboutBox::Open(&owner), first);
        QPointer<CAboutBox> watch(first);
        first->accept();
        QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), 10000);
        CAboutBox* second = CAboutBox::Open(&owner);
        QVERIFY(second);
        QVERIFY(second->isVisible());
        second->reject();
    }
};

QTEST_MAIN(TestAboutBox)
#include "TestAboutBox.moc"
