// The worksheets as windows at the counter: their keys, where they open beside
// the Estimate screen, and the width of the boxes they show. The screen is
// 1200 × 900, so that there is room beside the Estimate screen or, when it is
// moved to the middle, none.

#include "estimate_counter.h"
#include "widgets.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

namespace {

QRect onScreen(const QWidget* w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

// Room for a title in the bold font window managers draw titles in, beside
// the window's three buttons.
int titleRoom(const QString& title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 3 * metrics.height();
}

} // namespace

class TestWorksheetWindows : public QObject {
    Q_OBJECT

private slots:
    void enterPressesTheButtonEscapeClosesWritingNothing()
    {
        const struct {
            const char *species, *sheet, *button;
            int service, charge;
        } sheets[] = {{"Option1", "frmEB", "Command1", 2, 2},
                      {"Option1", "frmFajita", "cmdFigure", 6, 6},
                      {"Option1", "frmJerky", "cmdFigure", 7, 7},
                      {"Option2", "frmCure", "cmdApply", 9, 26}};
        for (const auto& s : sheets) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
                EstimateCounter c;
                c.startWithSample();
                c.animal(QLatin1String(s.species), QStringLiteral("1000"));
                QPointer<QWidget> sheet = c.openWorksheet(s.service, QLatin1String(s.sheet));
                QLineEdit* weight = field(sheet, QStringLiteral("Text1"));
                typeInto(weight, QStringLiteral("10"));
                QWidget* target = key == Qt::Key_Escape ? weight : control(sheet, s.button);
                target->setFocus();
                QTest::keyClick(target, key);
                QVERIFY2(!sheet || !sheet->isVisible(), s.sheet);
                QCOMPARE(c.text6(s.charge) != QLatin1String("0"), key == Qt::Key_Return);
            }
        }
    }

    // A screen going away with a worksheet open that never figured puts the
    // row back without a word: no message box from a window being destroyed,
    // whatever the estimate would tell.
    void aScreenGoingTellsNothing()
    {
        EstimateCounter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        c.tick(0); // tenderising, its charge typed as no number
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("$50"));
        QVERIFY(c.openWorksheet(7, QStringLiteral("frmJerky")));
        c.dialogs.clear();
        c.screen.reset();
        QCOMPARE(c.dialogs.texts(), QStringList());
    }

    void worksheetsOpenBesideTheEstimateClearOfItsTotal()
    {
        EstimateCounter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        const QRect area = c.s()->screen()->availableGeometry();
        for (const bool roomBeside : {true, false}) {
            c.s()->move(roomBeside ? area.topLeft() : area.topLeft() + QPoint(230, 0));
            const QRect total = onScreen(control(c.s(), "Label5")) | onScreen(c.edit("Text5"));
            for (const auto& [service, name] :
                 {std::pair(2, "frmEB"), {4, "frmWsEst"}, {6, "frmFajita"}, {7, "frmJerky"}}) {
                c.screen->showWorksheet(ServiceAtBox(service)->id);
                QWidget* sheet = findScreen(QLatin1String(name));
                QVERIFY(sheet);
                const QRect placed = sheet->frameGeometry();
                QVERIFY2(area.contains(placed), name);
                QVERIFY2(!placed.intersects(total), name);
                QVERIFY2(!roomBeside || !placed.intersects(c.s()->frameGeometry()), name);
                sheet->close();
            }
        }
    }

    // Enter on Figure and a click on the total show boxes as wide as their
    // titles; Escape then closes the sheet with nothing written.
    void sausageBoxesFitTheirTitlesThenEscapeCloses()
    {
        EstimateCounter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        QWidget* sheet = c.openWorksheet(4, QStringLiteral("frmWsEst"));
        QPointer<QWidget> open(sheet);
        QMap<QString, int> widths;
        c.dialogs.onDialog = [&widths](const SeenDialog& seen) {
            widths[seen.title] = QApplication::activeModalWidget()->width();
        };
        c.dialogs.type(QStringLiteral("30")).press(QMessageBox::No);
        click(field(sheet, QStringLiteral("txtTotal")));
        auto* figure = control<QPushButton>(sheet, QStringLiteral("cmdClose"));
        figure->setFocus();
        QTest::keyClick(figure, Qt::Key_Return);
        const QStringList titles = {QStringLiteral("Is All Information Correct?"),
                                    QStringLiteral("Weight Of Total Meat Carryied In")};
        QCOMPARE(widths.keys(), titles);
        for (const QString& title : titles)
            QVERIFY2(widths[title] >= titleRoom(title), qPrintable(title));
        QApplication::setActiveWindow(sheet); // the desktop hands it back after a box
        QTest::keyClick(figure, Qt::Key_Escape);
        QVERIFY(!open || !open->isVisible());
        QCOMPARE(c.text6(4), QStringLiteral("0"));
    }
};

// A screen of 1200 × 900 pixels at 96 dots per inch.
int main(int argc, char* argv[])
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "counter", "x": 0, "y": 0, "width": 1200,
                     "height": 900, "logicalDpi": 96}]})") < 0)
        return 2;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TestWorksheetWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_worksheet_windows.moc"
