#include "app/QtChinese.h"

#include <QtTest>
#include <QtWidgets>

class TestQtChinese : public QObject {
    Q_OBJECT
private slots:
    // Qt's own button texts in Chinese, whatever the locale.
    void boxButtons() {
        if (!installQtChinese(qApp))
            QSKIP("Qt's Chinese catalogues (qt6-translations-l10n) are not installed");
        QMessageBox question(QMessageBox::NoIcon, "", "", QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(question.button(QMessageBox::Ok)->text() +
                     question.button(QMessageBox::Cancel)->text(),
                 QStringLiteral("确定取消"));
    }
};

QTEST_MAIN(TestQtChinese)
#include "TestQtChinese.moc"
