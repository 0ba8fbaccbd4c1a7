#include "PixelProbe.h"
#include "controls/CXPGroupBox.h"
#include "controls/DialogColouring.h"

#include <QLabel>
#include <QTest>

class TestDialogColouring : public QObject {
    Q_OBJECT
private slots:
    void captionsOverTheBox_data() {
        QTest::addColumn<bool>("transparent");
        QTest::newRow("unnamed label") << true;
        QTest::newRow("label with an id") << false;
    }
    void captionsOverTheBox() {
        QFETCH(bool, transparent);
        QWidget dialog;
        dialog.resize(300, 200);
        QPalette pal = dialog.palette();
        pal.setColor(QPalette::Window, QColor(240, 240, 240));
        dialog.setPalette(pal);
        auto* box = new CXPGroupBox(QStringLiteral("控制区域"), &dialog);
        box->setGeometry(0, 0, 300, 200);
        box->SetLook(1).SetFillColors(0xE7A27B, 0xF7DFD6);
        // A sibling over the box, as the dialog places its captions.
        auto* label = new QLabel(QStringLiteral("分钟"), &dialog);
        label->setGeometry(40, 80, 100, 20);
        (transparent ? MakeTransparentCaption : KeepDefaultBackground)(label);
        QImage img(dialog.size(), QImage::Format_ARGB32_Premultiplied);
        dialog.render(&img);
        QCOMPARE(At(img, 138, 98), transparent ? QColor(214, 223, 247) : QColor(240, 240, 240));
        QVERIFY(DarkBox(img, label->geometry()).isValid());
    }
};

QTEST_MAIN(TestDialogColouring)
#include "TestDialogColouring.moc"
