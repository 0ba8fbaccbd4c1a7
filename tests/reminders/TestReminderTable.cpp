#include "reminders/ReminderTable.h"

#include <QSet>
#include <QTest>

namespace {

ReminderRow Row(qint64 ripe, const QString& note = {}) {
    ReminderRow r;
    r.cropName = QStringLiteral("牧草");
    r.plant = ripe - 8 * 3600;
    r.ripe = ripe;
    r.note = note;
    return r;
}

QVector<qint64> Ripes(const ReminderTable& t) {
    QVector<qint64> v;
    for (const ReminderRow& r : t.rows())
        v << r.ripe;
    return v;
}

QVector<QString> Notes(const ReminderTable& t) {
    QVector<QString> v;
    for (const ReminderRow& r : t.rows())
        v << r.note;
    return v;
}

} // namespace

class TestReminderTable : public QObject {
    Q_OBJECT
private slots:
    void idsStayUniqueAfterTickRemovals() {
        ReminderTable t;
        QVector<ReminderRow> rows;
        for (int i = 0; i < 5; ++i)
            rows << Row(1000 + i);
        t.reset(rows);
        t.removeAt(0); // the tick drops rows, leaving ids 1..4
        t.removeAt(1);
        const quint32 a = t.append(Row(2000));
        const quint32 b = t.append(Row(2001));
        QSet<quint32> ids;
        for (const ReminderRow& r : t.rows())
            ids.insert(r.rowId);
        QCOMPARE(ids.size(), t.count());
        QCOMPARE(t.findRow(a), t.count() - 2);
        QCOMPARE(t.findRow(b), t.count() - 1);
    }

    void removeAndRenumber() {
        ReminderTable t;
        QVector<ReminderRow> rows;
        for (int i = 0; i < 6; ++i)
            rows << Row(1000 + i, QString::number(i));
        t.reset(rows);
        t.sort(0, Qt::DescendingOrder);
        t.removeAndRenumber({4, 0, 4, 2});
        QCOMPARE(Notes(t), (QVector<QString>{"4", "2", "0"}));
        for (int i = 0; i < t.count(); ++i)
            QCOMPARE(t.row(i).rowId, quint32(i));
        QCOMPARE(t.row(t.findRow(t.append(Row(1)))).rowId, quint32(3));
    }

    void sortByRipening_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QVector<QString>>("notes");
        QTest::newRow("ascending")
            << int(Qt::AscendingOrder) << QVector<QString>{"c", "a", "d", "b", "e"};
        QTest::newRow("descending")
            << int(Qt::DescendingOrder) << QVector<QString>{"b", "e", "a", "d", "c"};
    }
    void sortByRipening() {
        QFETCH(int, order);
        ReminderTable t;
        t.reset({Row(20, "a"), Row(30, "b"), Row(10, "c"), Row(20, "d"), Row(30, "e")});
        t.sort(ReminderTable::ColNote, Qt::SortOrder(order));
        // equal times keep the order they had
        if (order == Qt::DescendingOrder)
            QCOMPARE(Ripes(t), (QVector<qint64>{30, 30, 20, 20, 10}));
        QTEST(Notes(t), "notes");
    }

    void countdown_data() {
        QTest::addColumn<qint64>("remaining");
        QTest::addColumn<QString>("text");
        QTest::newRow("1d1h1m1s") << qint64(90061) << "1天1小时1分1秒成熟";
        QTest::newRow("0") << qint64(0) << "0天0小时0分0秒成熟";
        QTest::newRow("59 s") << qint64(59) << "0天0小时0分59秒成熟";
        QTest::newRow("-1") << qint64(-1) << "点击下一季开始！";
    }
    void countdown() {
        QFETCH(qint64, remaining);
        QTEST(ReminderTable::CountdownText(remaining), "text");
        ReminderTable t;
        t.append(Row(5000));
        const QModelIndex cell = t.index(0, ReminderTable::ColCountdown);
        QCOMPARE(t.data(cell).toString(), QString());
        t.setNow(5000 - remaining);
        QTEST(t.data(cell).toString(), "text");
    }

    void headers() {
        const QStringList expected{"序号", "作物名称",   "种植时间", "成熟时间",
                                   "备注", "成熟倒计时", "季数"};
        ReminderTable t;
        QCOMPARE(t.columnCount(), expected.size());
        for (int c = 0; c < expected.size(); ++c)
            QCOMPARE(t.headerData(c, Qt::Horizontal).toString(), expected[c]);
    }

    void noteIsPlainText() {
        ReminderTable t;
        t.append(Row(5000, QStringLiteral("<b>x</b>")));
        const QString shown = t.data(t.index(0, ReminderTable::ColNote)).toString();
        QCOMPARE(shown.size(), 8);
        QCOMPARE(shown, QStringLiteral("<b>x</b>"));
    }
};

QTEST_GUILESS_MAIN(TestReminderTable)
#include "TestReminderTable.moc"
