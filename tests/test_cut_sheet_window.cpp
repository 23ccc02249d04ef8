// The cut sheet at the counter: filled from the Estimate screen, what
// contradicts itself told at once and kept from being saved, the take-home
// following every choice, the sheet saved with the estimate and read back,
// printed for the cutting room (read back from the PDF), and locked once the
// carcass is cut, a change then made as the owner and recorded.

#include "book_checks.h"
#include "estimate/cut_rules.h"
#include "estimate_counter.h"
#include "pricelist/price_history.h"
#include "print_watch.h"
#include "save_dialog.h"
#include "screens/estimate_layout.h"
#include "screens/kill_calendar_window.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Counter : EstimateCounter {
    SaveDialogAnswerer saving;

    // Opens the cut sheet from the Estimate screen.
    QWidget* openSheet() const
    {
        click(control<QPushButton>(s(), QStringLiteral("cmdCutSheet")));
        QWidget* sheet = QApplication::activeModalWidget();
        return sheet && sheet->objectName() == QLatin1String("frmCutSheet") ? sheet : nullptr;
    }
    const EstimateValue& value() const { return screen->estimate().value(); }
    // Opens the cut sheet of the booking kept under `number` from the kill
    // calendar, on its kill day.
    QWidget* openSheetOfBooking(qint64 number) const
    {
        QString problem;
        const std::optional<Booking> booking = screen->book().booking(number, &problem);
        if (!booking)
            return nullptr;
        screen->showKillCalendar();
        QWidget* calendar = findScreen(QStringLiteral("frmKillCalendar"));
        control<MonthView>(calendar, QStringLiteral("monthView"))->choose(booking->kill);
        auto* day = control<QTableWidget>(calendar, QStringLiteral("lstDay"));
        for (int row = 0; row < day->rowCount(); ++row)
            if (day->item(row, 0)->text() == QString::number(number))
                day->setCurrentCell(row, 0);
        click(control<QPushButton>(calendar, QStringLiteral("cmdBookingCutSheet")));
        QWidget* sheet = QApplication::activeModalWidget();
        return sheet && sheet->objectName() == QLatin1String("frmCutSheet") ? sheet : nullptr;
    }
};

template <typename T> T* in(QWidget* window, const QString& name)
{
    return control<T>(window, name);
}

void choose(QWidget* window, const QString& box, const QString& text)
{
    auto* combo = in<QComboBox>(window, box);
    const int at = combo->findText(text);
    QVERIFY2(at >= 0, qPrintable(text));
    combo->setCurrentIndex(at);
}

void type(QWidget* window, const QString& field, const QString& text)
{
    auto* edit = in<QLineEdit>(window, field);
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestCutSheetWindow : public QObject {
    Q_OBJECT

private slots:
    void aBeefSheetFromTheCounterToTheCuttingRoom()
    {
        Counter c;
        c.startWithSample();

        // No species yet: there is no master to fill.
        c.dialogs.press(QMessageBox::Ok);
        QVERIFY(!c.openSheet());
        QVERIFY(c.dialogs.texts().last().contains(QStringLiteral("species")));

        c.animal(QStringLiteral("Option1"), QStringLiteral("1200"));
        // The jerky worksheet's cut, which the sheet shows and never changes.
        c.tick(ServiceBox(ServiceId::Slicing));
        Estimate& e = c.screen->liveEstimate();
        SheetEntries jerky;
        jerky.chosen = {0};
        QVERIFY(e.applySheet(e.identity(), ServiceId::Slicing,
                             {QStringLiteral("20"), QStringLiteral("30"), jerky}));
        c.screen->sheetWritten(ServiceId::Slicing);
        const QString standard = in<QLabel>(c.s(), QStringLiteral("lblTakeHome"))->text();
        QVERIFY2(standard.startsWith(QStringLiteral("About ")) &&
                     standard.contains(QStringLiteral("lb of meat")),
                 qPrintable(standard));

        const QString total = c.value().total.text;
        QWidget* sheet = c.openSheet();
        QVERIFY(sheet);
        const QListWidget* products = in<QListWidget>(sheet, QStringLiteral("lstProducts"));
        QCOMPARE(products->count(), 1);
        QVERIFY(products->item(0)->text().contains(QLatin1String(CutRules::CutNames[0])));
        QVERIFY(products->item(0)->text().contains(QStringLiteral("20 lb")));
        QVERIFY(products->isEnabled()); // read, scrolled, never a field to change

        auto* takeHome = in<QLabel>(sheet, QStringLiteral("lblSheetTakeHome"));
        const QString before = takeHome->text();
        choose(sheet, QStringLiteral("cboUse_0"), QStringLiteral("ground")); // the chuck
        QVERIFY2(takeHome->text() != before, qPrintable(takeHome->text()));
        // The rib's thickness mistyped: told at once, and OK keeps the window.
        type(sheet, QStringLiteral("txtThickness_1"), QStringLiteral("1..25"));
        auto* problems = in<QLabel>(sheet, QStringLiteral("lblProblems"));
        QVERIFY2(problems->text().contains(QStringLiteral("Rib: \"1..25\" is not a number")),
                 qPrintable(problems->text()));
        c.dialogs.press(QMessageBox::Ok);
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetOK")));
        QVERIFY(c.dialogs.texts().last().contains(QStringLiteral("not a number")));
        QVERIFY(sheet->isVisible());
        QVERIFY(!c.value().cutSheet);
        type(sheet, QStringLiteral("txtThickness_1"), QStringLiteral("1.25"));
        QVERIFY(problems->text().isEmpty());
        choose(sheet, QStringLiteral("cboLean"), QStringLiteral("85/15"));
        in<QCheckBox>(sheet, QStringLiteral("chkKeep_0"))->setChecked(true); // the liver
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetOK")));
        QTRY_VERIFY(!sheet->isVisible());

        QVERIFY(c.value().cutSheet);
        const CutSheet filled = *c.value().cutSheet;
        QCOMPARE(filled.keeps, QStringList{QStringLiteral("Liver")});
        QCOMPARE(filled.lean, QStringLiteral("85/15"));
        QCOMPARE(filled.choices.value(0).use, PrimalUse::Ground);
        QCOMPARE(filled.choices.value(1).thickness, 1.25);
        // The chuck ground instead of roasted: less meat than the standard way.
        const QString chosen = in<QLabel>(c.s(), QStringLiteral("lblTakeHome"))->text();
        QVERIFY2(chosen != standard, qPrintable(chosen));
        QCOMPARE(c.value().total.text, total); // a sheet changes no charge

        // Saved with the estimate, and the same when it is opened again.
        c.saving.save(QStringLiteral("Ann Beef"));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdSaveEstimate")));
        QCOMPARE(c.saving.unexpected, 0);
        const qint64 number = c.screen->record().number;
        QVERIFY(number > 0);
        c.screen->newEstimate();
        QVERIFY(!c.value().cutSheet);
        QVERIFY(c.screen->openEstimate(number));
        QCOMPARE(c.value().cutSheet, std::optional<CutSheet>(filled));

        // Printed for the cutting room: the tag, the customer, every choice in
        // the master's order, the keeps and the worksheet's jerky.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("cut.pdf"));
        sheet = c.openSheet();
        QVERIFY(sheet);
        {
            PrintToPdfWatch printing(pdf);
            click(in<QPushButton>(sheet, QStringLiteral("cmdPrintSheet")));
            QCOMPARE(printing.shown, 1);
        }
        const QStringList lines = pdfTextLines(pdf);
        const QString page = lines.join(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("Tag Estimate %1").arg(number)), qPrintable(page));
        QVERIFY(page.contains(QStringLiteral("Ann Beef")));
        QVERIFY(page.contains(QStringLiteral("Beef, whole, hanging likely")));
        const int chuck = lines.indexOf(QStringLiteral("Chuck: ground"));
        const int rib = lines.indexOf(QStringLiteral("Rib: steaks, 1.25 in thick"));
        const int round = lines.indexOf(QStringLiteral("Round: roasts"));
        QVERIFY2(chuck >= 0 && rib > chuck && round > rib, qPrintable(page));
        QVERIFY(lines.contains(QStringLiteral("Ground: the shop's usual packages, 85/15")));
        QVERIFY(lines.contains(QStringLiteral("Keep: Liver")));
        QVERIFY(page.contains(QLatin1String(CutRules::CutNames[0])));
        QVERIFY(page.contains(QStringLiteral("Expected: about")));
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetCancel")));
        QTRY_VERIFY(!sheet->isVisible());

        // The quote's printout gives the take-home the screen shows.
        const QString quotePdf = dir.filePath(QStringLiteral("quote.pdf"));
        {
            PrintToPdfWatch printing(quotePdf);
            click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
            QCOMPARE(printing.shown, 1);
        }
        QString shown = in<QLabel>(c.s(), QStringLiteral("lblTakeHome"))->text();
        shown[0] = shown[0].toLower();
        QVERIFY2(pdfTextLines(quotePdf).contains(QStringLiteral("Take-home: %1.").arg(shown)),
                 qPrintable(pdfTextLines(quotePdf).join('\n')));
    }

    // Once the booking billed by the estimate is cut, the sheet is locked:
    // only a change made as the owner is kept, recorded with who and when.
    void theCutCarcassLocksItsSheet()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1100"));
        c.saving.save(QStringLiteral("Bo Cut"));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdSaveEstimate")));
        const qint64 number = c.screen->record().number;
        QVERIFY(number > 0);
        Booking booked = BookChecks::BookedBeef(QStringLiteral("Bo Cut"), QDate(2026, 11, 2));
        booked.estimates = {number};
        booked.state = Booking::State::Cut;
        QVERIFY(c.screen->book().keep(booked).done);

        // From the booking, with another customer's estimate on the screen.
        const QDateTime cutDay(QDate(2026, 11, 9), QTime(10, 15));
        c.screen->testClock().at = cutDay;
        c.screen->newEstimate();
        QWidget* sheet = c.openSheetOfBooking(booked.number);
        QVERIFY(sheet);
        QCOMPARE(c.screen->record().number, number);
        auto* chuck = in<QComboBox>(sheet, QStringLiteral("cboUse_0"));
        QVERIFY(!chuck->isEnabled());
        QVERIFY(!in<QCheckBox>(sheet, QStringLiteral("chkKeep_0"))->isEnabled());
        QVERIFY(!in<QLabel>(sheet, QStringLiteral("lblLocked"))->text().isEmpty());
        // Said No: still locked.
        c.dialogs.press(QMessageBox::No);
        click(in<QPushButton>(sheet, QStringLiteral("cmdUnlockSheet")));
        QVERIFY(!chuck->isEnabled());
        c.dialogs.press(QMessageBox::Yes);
        click(in<QPushButton>(sheet, QStringLiteral("cmdUnlockSheet")));
        QVERIFY(chuck->isEnabled());
        choose(sheet, QStringLiteral("cboUse_0"), QStringLiteral("stew"));
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetOK")));
        QTRY_VERIFY(!sheet->isVisible());

        QVERIFY(c.value().cutSheet);
        const QList<SheetChange> changes = c.value().cutSheet->changes;
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0].what, QStringLiteral("Chuck: roasts → Chuck: stew"));
        QCOMPARE(changes[0].when, cutDay);
        QCOMPARE(changes[0].who, PriceHistory::ThisUser());
        // Kept with the estimate as every change is.
        c.saving.save(QStringLiteral("Bo Cut"));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdSaveEstimate")));
        QVERIFY(c.screen->openEstimate(number));
        QCOMPARE(c.value().cutSheet->changes, changes);
        QString problem;
        QCOMPARE(c.screen->book().open(number, &problem)->sheetChanges, 1);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // A beef in a half and two quarters: each buyer fills a sheet of their
    // own part from their screen; two keeping the one tongue, or two front
    // quarters beside a half, stand in the way of saving the shares until
    // mended; the quarter's page names the animal's tag and its part.
    void eachBuyerOfABeefHasASheet()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1200"));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdShares")));
        QWidget* shares = findScreen(QStringLiteral("frmShares"));
        QVERIFY(shares);
        typeInto(field(shares, "animalTag"), QStringLiteral("B-7"));
        auto* table = control<QTableWidget>(shares, "sharesTable");
        for (const auto& [name, part] :
             {std::pair{"Ann", "half"}, std::pair{"Bo", "quarter"}, std::pair{"Cy", "quarter"}}) {
            click(control<QPushButton>(shares, "addShare"));
            table->item(table->rowCount() - 1, 0)->setText(QLatin1String(name));
            table->item(table->rowCount() - 1, 2)->setText(QLatin1String(part));
        }
        // A buyer's worksheet product, written on the buyer's screen.
        const auto product = [&](ServiceId service, const QString& pounds,
                                 const SheetEntries& entries) {
            c.tick(ServiceBox(service));
            Estimate& e = c.screen->liveEstimate();
            QVERIFY(e.applySheet(e.identity(), service, {pounds, QStringLiteral("60"), entries}));
            c.screen->sheetWritten(service);
        };
        SheetEntries summer, jerky;
        summer.sausage = {{1, QStringLiteral("Summer"), QString(), QStringLiteral("10")}};
        jerky.chosen = {0};
        // Each buyer's sheet, filled from the buyer's screen, which shows
        // the buyer's own products.
        const auto fillSheet = [&](int row, const QString& part, const QString& keep,
                                   const QString& chuck, const std::function<void()>& write = {},
                                   const QString& listed = QString()) {
            table->selectRow(row);
            click(control<QPushButton>(shares, "shareServices"));
            if (write)
                write();
            QWidget* sheet = c.openSheet();
            QVERIFY(sheet);
            if (!listed.isEmpty()) {
                const QListWidget* products = in<QListWidget>(sheet, QStringLiteral("lstProducts"));
                QStringList lines;
                for (int i = 0; i < products->count(); ++i)
                    lines << products->item(i)->text();
                QVERIFY2(lines.join(QLatin1Char('\n')).contains(listed),
                         qPrintable(lines.join('\n')));
            }
            auto* parts = in<QComboBox>(sheet, QStringLiteral("cboPart"));
            QVERIFY(parts->isEnabled());
            choose(sheet, QStringLiteral("cboPart"), part);
            if (!chuck.isEmpty())
                choose(sheet, QStringLiteral("cboUse_0"), chuck);
            for (QCheckBox* box : sheet->findChildren<QCheckBox*>())
                if (box->objectName().startsWith(QLatin1String("chkKeep_")))
                    box->setChecked(box->text() == keep);
            click(in<QPushButton>(sheet, QStringLiteral("cmdSheetOK")));
            QTRY_VERIFY(!sheet->isVisible());
            click(control<QPushButton>(c.s(), QStringLiteral("cmdShares"))); // back
        };
        fillSheet(
            0, QStringLiteral("half"), QStringLiteral("Tongue"), QStringLiteral("ground"),
            [&] { product(ServiceId::BeefSausage, QStringLiteral("20"), summer); },
            QStringLiteral("Summer"));
        fillSheet(
            1, QStringLiteral("front quarter"), QStringLiteral("Tongue"), QString(),
            [&] { product(ServiceId::Slicing, QStringLiteral("8"), jerky); },
            QLatin1String(CutRules::CutNames[0]));
        fillSheet(2, QStringLiteral("front quarter"), QStringLiteral("Liver"),
                  QStringLiteral("stew"));
        auto* problems = control<QLabel>(shares, "sharesProblems");
        QVERIFY2(problems->text().contains(QStringLiteral("2 buyers keep the Tongue")) &&
                     problems->text().contains(QStringLiteral("more of the front quarters")),
                 qPrintable(problems->text()));
        c.dialogs.press(QMessageBox::Ok);
        click(control<QPushButton>(shares, "saveShares"));
        QString problem;
        QVERIFY(c.screen->book().animal(QStringLiteral("B-7"), &problem).isEmpty());

        fillSheet(1, QStringLiteral("front quarter"), QStringLiteral("Heart"), QString(), {},
                  QLatin1String(CutRules::CutNames[0]));
        fillSheet(2, QStringLiteral("hind quarter"), QStringLiteral("Liver"), QString());
        QVERIFY2(problems->text().isEmpty(), qPrintable(problems->text()));
        click(control<QPushButton>(shares, "saveShares"));
        const QList<EstimateRecord> saved =
            c.screen->book().animal(QStringLiteral("B-7"), &problem);
        QCOMPARE(saved.size(), 3);
        QStringList parts;
        for (const EstimateRecord& r : saved)
            parts << PartWords(EstimateValue::fromRecord(r.quoteState)->cutSheet.value().part);
        QCOMPARE(parts, (QStringList{QStringLiteral("half"), QStringLiteral("front quarter"),
                                     QStringLiteral("hind quarter")}));
        // Each buyer's products kept with the buyer's own estimate.
        QVERIFY(EstimateValue::fromRecord(saved[0].quoteState)->row(ServiceId::BeefSausage).ticked);
        QVERIFY(!EstimateValue::fromRecord(saved[0].quoteState)->row(ServiceId::Slicing).ticked);
        QVERIFY(EstimateValue::fromRecord(saved[1].quoteState)->row(ServiceId::Slicing).ticked);

        // Cy's page for the cutting room: the animal's tag, the hind primals.
        table->selectRow(2);
        click(control<QPushButton>(shares, "shareServices"));
        QWidget* sheet = c.openSheet();
        QVERIFY(sheet);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("cy.pdf"));
        {
            PrintToPdfWatch printing(pdf);
            click(in<QPushButton>(sheet, QStringLiteral("cmdPrintSheet")));
        }
        const QStringList lines = pdfTextLines(pdf);
        QVERIFY2(lines.contains(QStringLiteral("Tag B-7")), qPrintable(lines.join('\n')));
        QVERIFY(lines.contains(QStringLiteral("Round: roasts")));
        QVERIFY(!lines.contains(QStringLiteral("Chuck: roasts")));
        QVERIFY(lines.join(QLatin1Char(' ')).contains(QStringLiteral("hind quarter")));
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetCancel")));

        // Booked, the animal's bookings give each buyer's sheet: the clerk
        // says whose, and the buyer's share comes up with it.
        click(control<QPushButton>(c.s(), QStringLiteral("cmdShares")));
        Booking booked = BookChecks::BookedBeef(QStringLiteral("Ann"), QDate(2026, 11, 2));
        booked.estimates.clear();
        for (const EstimateRecord& r : saved)
            booked.estimates << r.number;
        QVERIFY(c.screen->book().keep(booked).done);
        c.dialogs.type(QStringLiteral("%1  Bo (quarter)").arg(saved[1].number));
        sheet = c.openSheetOfBooking(booked.number);
        QVERIFY(sheet);
        QCOMPARE(in<QComboBox>(sheet, QStringLiteral("cboPart"))->currentText(),
                 QStringLiteral("front quarter"));
        const QList<QCheckBox*> boxes = sheet->findChildren<QCheckBox*>();
        QVERIFY(std::any_of(boxes.begin(), boxes.end(), [](QCheckBox* box) {
            return box->objectName().startsWith(QLatin1String("chkKeep_")) &&
                   box->text() == QLatin1String("Heart") && box->isChecked();
        }));
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetCancel")));
        QVERIFY(c.dialogs.texts().last().contains(QStringLiteral("Whose cut sheet?")));

        // Cut: each buyer's sheet is locked; the owner's change to Bo's is
        // recorded, and kept when the shares are saved.
        booked = *c.screen->book().booking(booked.number, &problem);
        booked.state = Booking::State::Cut;
        QVERIFY(c.screen->book().keep(booked).done);
        c.dialogs.type(QStringLiteral("%1  Bo (quarter)").arg(saved[1].number));
        sheet = c.openSheetOfBooking(booked.number);
        QVERIFY(sheet);
        QVERIFY(!in<QComboBox>(sheet, QStringLiteral("cboUse_0"))->isEnabled());
        c.dialogs.press(QMessageBox::Yes);
        click(in<QPushButton>(sheet, QStringLiteral("cmdUnlockSheet")));
        choose(sheet, QStringLiteral("cboUse_0"), QStringLiteral("ground"));
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetOK")));
        QTRY_VERIFY(!sheet->isVisible());
        click(control<QPushButton>(c.s(), QStringLiteral("cmdShares"))); // back
        click(control<QPushButton>(shares, "saveShares"));
        const EstimateRecord bo = *c.screen->book().open(saved[1].number, &problem);
        QCOMPARE(bo.sheetChanges, 1);
        QCOMPARE(EstimateValue::fromRecord(bo.quoteState)->cutSheet->changes.value(0).what,
                 QStringLiteral("Chuck: roasts → Chuck: ground"));
    }

    // The owner's masters in the Price List area: a wrong text refused whole,
    // naming the line; a master saved is the one the counter's sheets offer.
    void theOwnerKeepsTheMasters()
    {
        Counter c;
        c.startWithSample();
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPriceList")));
        QWidget* prices = findScreen(QStringLiteral("frmPriceList"));
        QVERIFY(prices);
        click(control<QPushButton>(prices, QStringLiteral("cmdCutSheetMasters")));
        QWidget* masters = findScreen(QStringLiteral("frmCutSheetMasters"));
        QVERIFY(masters);
        auto* status = in<QLabel>(masters, QStringLiteral("lblMasterStatus"));
        QVERIFY2(status->text().startsWith(QStringLiteral("The sample's master")),
                 qPrintable(status->text()));
        choose(masters, QStringLiteral("cboMasterSpecies"), QStringLiteral("Pork"));
        auto* text = in<QPlainTextEdit>(masters, QStringLiteral("txtMaster"));
        const QString sample = text->toPlainText();
        QCOMPARE(sample, CutMaster::Sample(QStringLiteral("Pork")).text());

        text->setPlainText(sample + QStringLiteral("\nprimal Jowl|2|front|cured"));
        click(in<QPushButton>(masters, QStringLiteral("cmdSaveMaster")));
        QVERIFY2(status->text().startsWith(QStringLiteral("Not saved:")) &&
                     status->text().contains(QStringLiteral("Jowl")),
                 qPrintable(status->text()));
        QVERIFY(c.screen->priceList().shopSettings().cutSheets.isEmpty());

        QString kept = sample;
        kept.replace(QStringLiteral("keeps Liver|Heart|Fat|Hocks"),
                     QStringLiteral("keeps Liver|Heart|Fat|Hocks|Jowl"));
        QVERIFY(kept != sample);
        text->setPlainText(kept);
        click(in<QPushButton>(masters, QStringLiteral("cmdSaveMaster")));
        QVERIFY2(status->text().startsWith(QStringLiteral("Saved")), qPrintable(status->text()));
        masters->close();
        prices->close();

        c.animal(QStringLiteral("Option2"), QStringLiteral("250"));
        QWidget* sheet = c.openSheet();
        QVERIFY(sheet);
        QStringList keeps;
        for (QCheckBox* box : sheet->findChildren<QCheckBox*>())
            if (box->objectName().startsWith(QLatin1String("chkKeep_")))
                keeps << box->text();
        QCOMPARE(keeps.last(), QStringLiteral("Jowl"));
        click(in<QPushButton>(sheet, QStringLiteral("cmdSheetCancel")));
    }

    // A deer's sheet is tagged with the hunter's tag and lists its jerky; a
    // hog's lists its cures, each as the worksheet left it.
    void aDeerWithItsTagAndAHogWithItsCures()
    {
        Counter c;
        c.startWithSample();
        QTemporaryDir dir;
        const auto printed = [&](const QString& name) {
            QWidget* sheet = c.openSheet();
            if (!sheet)
                return QStringList();
            const QString pdf = dir.filePath(name);
            {
                PrintToPdfWatch printing(pdf);
                click(in<QPushButton>(sheet, QStringLiteral("cmdPrintSheet")));
            }
            click(in<QPushButton>(sheet, QStringLiteral("cmdSheetCancel")));
            return pdfTextLines(pdf);
        };
        const auto written = [&](ServiceId service, const SheetEntries& entries) {
            c.tick(ServiceBox(service));
            Estimate& e = c.screen->liveEstimate();
            QVERIFY(e.applySheet(e.identity(), service,
                                 {QStringLiteral("12"), QStringLiteral("18"), entries}));
            c.screen->sheetWritten(service);
        };

        c.animal(QStringLiteral("Option3"), QStringLiteral("140"));
        SheetEntries jerky;
        jerky.chosen = {1};
        written(ServiceId::Slicing, jerky);
        SaveDialogAnswer deer{QStringLiteral("Dee Hunter"), {}, {}, std::nullopt, false,
                              QStringLiteral("WI-55821")};
        c.saving.answer(deer);
        click(control<QPushButton>(c.s(), QStringLiteral("cmdSaveEstimate")));
        QCOMPARE(c.screen->record().hunter, QStringLiteral("WI-55821"));
        QStringList lines = printed(QStringLiteral("deer.pdf"));
        QVERIFY2(lines.contains(QStringLiteral("Tag WI-55821")), qPrintable(lines.join('\n')));
        QVERIFY(lines.contains(QStringLiteral("Backstrap: steaks")));
        QVERIFY(lines.join(QLatin1Char(' ')).contains(QLatin1String(CutRules::CutNames[1])));

        c.screen->newEstimate();
        c.animal(QStringLiteral("Option2"), QStringLiteral("260"));
        SheetEntries cures;
        cures.chosen = {0, 1}; // the hams and the bacon
        written(ServiceId::PorkCuring, cures);
        lines = printed(QStringLiteral("hog.pdf"));
        const QString page = lines.join(QLatin1Char(' '));
        QVERIFY2(page.contains(QStringLiteral("Pork curing")) &&
                     page.contains(QStringLiteral("Hams")) &&
                     page.contains(QStringLiteral("Bacon")),
                 qPrintable(page));
        QVERIFY(lines.contains(QStringLiteral("Ham: cured")));
        QCOMPARE(c.saving.unexpected, 0);
    }
};

QTEST_MAIN(TestCutSheetWindow)
#include "test_cut_sheet_window.moc"
