// The program's icon, built into it so that each of its windows carries it on
// any desktop, without Qt's SVG plugin: a picture at every size a desktop asks
// for, each drawn at that size.

#include <QImage>
#include <QTest>

class TestWindowIcon : public QObject {
    Q_OBJECT

private slots:
    void everySizeIsBuiltIn_data()
    {
        QTest::addColumn<int>("size");
        // The title bar and the task bar, the window switcher, the desktop's
        // menus and its software centre.
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }
    void everySizeIsBuiltIn()
    {
        QFETCH(int, size);
        const QString path = QStringLiteral(":/icons/%1x%1/locker-estimate.png").arg(size);
        const QImage picture(path);
        QVERIFY2(!picture.isNull(), qPrintable(path + QStringLiteral(" is not built in")));
        QCOMPARE(picture.size(), QSize(size, size));
        // The rounded corner is clear and the sheet in the middle is solid.
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(picture.pixel(size / 2, size / 2)), 255);
    }
};

QTEST_GUILESS_MAIN(TestWindowIcon)
#include "test_window_icon.moc"
