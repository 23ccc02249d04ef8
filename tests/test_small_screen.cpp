// The screens at a scale factor of 2, where the Estimate screen is wider than
// the screen and the sausage worksheet taller: each window stays on the
// screen, keeps its name, and scrolls to every control.

#include "estimate_counter.h"
#include "widgets.h"

#include <QScreen>
#include <QScrollArea>

class TestSmallScreen : public QObject {
    Q_OBJECT

private slots:
    void windowsFitTheScreenAndScrollToEveryControl()
    {
        EstimateCounter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        QWidget* sheet = c.openWorksheet(4, QStringLiteral("frmWsEst"));
        QVERIFY(sheet);
        const QRect area = c.s()->screen()->availableGeometry();
        // The far edges: the total at the right, Slicing at the bottom, Figure.
        for (const auto& [window, far] : {std::pair(c.s(), "Text5"), std::pair(c.s(), "Check1_7"),
                                          std::pair(sheet, "cmdClose")}) {
            QVERIFY(window->isWindow());
            QVERIFY2(area.contains(window->frameGeometry()), far);
            auto* scroll = control<QScrollArea>(window, QStringLiteral("scrollArea"));
            QWidget* control = ::control(window, QLatin1String(far));
            const QRect onPage(control->mapTo(scroll->widget(), QPoint(0, 0)), control->size());
            scroll->ensureVisible(onPage.center().x(), onPage.center().y(), onPage.width() / 2 + 1,
                                  onPage.height() / 2 + 1);
            const QRect shown(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
            QVERIFY2(scroll->viewport()->rect().contains(shown), far);
        }
    }
};

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestSmallScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_small_screen.moc"
