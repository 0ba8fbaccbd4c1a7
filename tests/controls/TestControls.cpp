#include "controls/CDigitGateEdit.h"
#include "controls/CFlipSortListCtrl.h"
#include "controls/CInkStatic.h"
#include "controls/CRimGlowButton.h"
#include "controls/CXPGroupBox.h"
#include "controls/DialogColouring.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QColor kFill(Qt::magenta);

// Paints a widget and its children over kFill without its window background.
QImage renderOver(QWidget& w) {
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(kFill);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

// Bounding box (device pixels) of the pixels in `area` darker than `grey`.
QRect darkBox(const QImage& img, QRect area, int grey = 110) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < grey)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Records the sort requests instead of sorting.
using Calls = QList<QPair<int, Qt::SortOrder>>;
struct RecordingModel : QStandardItemModel {
    using QStandardItemModel::QStandardItemModel;
    void sort(int column, Qt::SortOrder order) override { calls.append({column, order}); }
    Calls calls;
};

constexpr int kW = 80, kH = 30; // button face rows 2..28; rim rows 1..2, 27..28, columns 1..3
const QColor kBody(214, 223, 247);
constexpr auto A = Qt::AscendingOrder, D = Qt::DescendingOrder;
} // namespace

class TestControls : public QObject {
    Q_OBJECT
private slots:
    // Only digits, one point and a leading minus stay, among the first 19 bytes (a
    // double-byte character counts two); the caret stays after what was kept before it.
    void digitEdit() {
        const QString d18 = QStringLiteral("123456789012345678");
        const QList<std::tuple<QString, int, QString, int>> cases{
            {".-5", 3, ".5", 2},
            {"1中2", 3, "12", 2},
            {"１2", 2, "2", 1}, // a full-width digit goes
            {"1x23", 2, "123", 1},
            {d18 + "9abc", 22, d18 + "9abc", 22}, // junk past byte 19 is left
            {d18 + "a9xyz", 5, d18, 5},
            {d18 + "中77", 21, d18, 18},
            {"1a23456789012345678999", 22, d18, 18}};
        for (const auto& [text, caret, result, newCaret] : cases) {
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
    }

    void sortHeaderClicks_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<Calls>("calls"); // all by the ripening time, whatever the header
        QTest::addColumn<bool>("ascending");
        QTest::newRow("flips, restarts on another header")
            << 3 << QList<int>{0, 0, 0, 2, 2, 5}
            << Calls{{3, A}, {3, D}, {3, A}, {3, A}, {3, D}, {3, A}} << true;
        QTest::newRow("empty: state only") << 0 << QList<int>{0, 0} << Calls{} << false;
    }
    void sortHeaderClicks() {
        QFETCH(int, rows);
        QFETCH(QList<int>, clicks);
        RecordingModel model(rows, 7);
        CFlipSortListCtrl view;
        view.setModel(&model);
        view.resize(800, 300); // every header in sight
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view, 10000));
        QHeaderView* h = view.horizontalHeader();
        for (int c : clicks)
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                              {h->sectionViewportPosition(c) + 5, h->height() / 2});
        QTEST(model.calls, "calls");
        QCOMPARE(view.sortColumn(), clicks.last());
        QTEST(view.isAscending(), "ascending");
    }

    // Hover and focus light the rim each its own way, hover over focus; the default button and
    // hover change the face; a disabled button never lights, and leaving puts it out.
    void buttonStates() {
        QWidget window;
        auto* b = new CRimGlowButton(QStringLiteral("删除"), &window);
        b->setGeometry(10, 10, kW, kH);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window, 10000));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QEvent leave(QEvent::Leave);
        auto look = [&](const QString& state) { // hover, focus, lit (default), disabled
            state.contains(u'f') ? b->setFocus() : b->clearFocus();
            b->setDefault(state.contains(u'l'));
            for (int i = 0; i < 2; ++i) { // hovered before and after disabling
                QApplication::sendEvent(b, state.contains(u'h') ? &enter : &leave);
                b->setEnabled(!state.contains(u'd'));
            }
            const QImage img = renderOver(*b);
            return std::pair(img.pixelColor(2, kH / 2), img.pixelColor(5, 26)); // rim, face
        };
        const auto idle = look(""), lit = look("l"), hover = look("h"), focus = look("f");
        QVERIFY(hover.first != idle.first && focus.first != lit.first &&
                focus.first != hover.first);
        QCOMPARE(look("hf").first, hover.first);
        QVERIFY(lit.second != idle.second && hover.second != idle.second);
        QVERIFY(look("hd") == idle && look("") == idle);
        b->resize(kW, 4); // a face with no height draws without dividing by zero
        QCOMPARE(renderOver(*b).height(), 4);
    }

    // The caption's ink sits left, centred or right in either look; the banded look fills its
    // body, the frame look does not. A face name holds 31 bytes.
    void groupBox() {
        using Look = CXPGroupBox::Look;
        using Align = CXPGroupBox::CaptionAlign;
        for (Look look : {Look::Frame, Look::Banded})
            for (Align align : {Align::Left, Align::Centre, Align::Right}) {
                CXPGroupBox box(QStringLiteral("时间"));
                box.resize(240, 160);
                box.SetLook(look).SetFillColors(0xE7A27B, 0xF7DFD6).SetCaptionAlign(align);
                const QImage img = renderOver(box);
                const QRect ink = darkBox(img, QRect(0, 0, 240, 30));
                const int at[] = {ink.left() < 24, qAbs(ink.center().x() - 120) <= 2,
                                  ink.right() > 216};
                QVERIFY(at[int(align)]);
                QCOMPARE(img.pixelColor(120, 80), look == Look::Frame ? kFill : kBody);
            }
        CXPGroupBox box;
        box.SetCaptionFace(QString(40, u'A'));
        QCOMPARE(box.captionFont().families().value(0), QString(31, u'A'));
    }

    // Over a banded group box an unnamed caption and a CInkStatic show the box behind their text;
    // the ink never reads its text as markup.
    void captionsOverTheBox() {
        QWidget dialog;
        dialog.resize(300, 200);
        auto* box = new CXPGroupBox(QStringLiteral("控制区域"), &dialog);
        box->setGeometry(0, 0, 300, 200);
        box->SetLook(CXPGroupBox::Look::Banded).SetFillColors(0xE7A27B, 0xF7DFD6);
        auto* caption = new QLabel(QStringLiteral("分钟"), &dialog);
        caption->setGeometry(40, 80, 100, 20);
        makeTransparentCaption(caption);
        auto* ink = new CInkStatic(QStringLiteral("<b>x</b>"), &dialog);
        ink->setGeometry(160, 80, 100, 40);
        QImage img(dialog.size(), QImage::Format_ARGB32_Premultiplied);
        dialog.render(&img);
        QCOMPARE(ink->textFormat(), Qt::PlainText);
        QVERIFY(img.pixelColor(138, 98) == kBody && img.pixelColor(259, 119) == kBody);
    }
};

QTEST_MAIN(TestControls)
#include "TestControls.moc"
