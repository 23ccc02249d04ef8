// The Quote accuracy window over a real book of saved estimates: the figures of
// a small set worked out by hand, the days and the species that narrow them, a
// range without a final bill said plainly, and the measured ranges of the
// hanging weight adopted as the shop's own only when the owner says Yes.

#include "book/estimate_book.h"
#include "core/clock.h"
#include "core/shop_settings.h"
#include "dialog_answerer.h"
#include "estimate/likely_range.h"
#include "estimate/quote_rules.h"
#include "estimate/service_catalog.h"
#include "pickups.h"
#include "pricelist/price_list.h"
#include "pricelist/sample_price_list.h"
#include "screens/accuracy_window.h"
#include "screens/estimates_window.h"
#include "ui/spread_chart.h"
#include "widgets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

namespace {

constexpr int Tenderising = 1 << int(ServiceId::Tenderising);
constexpr int MinuteSteaks = 1 << int(ServiceId::MinuteSteaks);
constexpr int PaperWrapp = 1 << int(ServiceId::PaperWrapp);

struct Shop {
    QTemporaryDir dir;
    EstimateBook book{dir.filePath(QStringLiteral("Estimates.db"))};
    // The shop's price list, which keeps its ranges: this counter's, and
    // another counter's over the same file.
    const bool made = CreateSamplePriceList(dir.filePath(QStringLiteral("Lockers.db"))).saved;
    PriceList prices{dir.filePath(QStringLiteral("Lockers.db"))};
    PriceList otherCounter{dir.filePath(QStringLiteral("Lockers.db"))};
    // A species' range as the other counter reads it; empty when none is set.
    QList<double> range(const char* species)
    {
        if (otherCounter.open() != PriceSource::OpenResult::Opened)
            return {-1};
        const auto s = otherCounter.shopSettings().ratio(QLatin1String(species));
        return s ? QList<double>{s->low, s->high, s->middle} : QList<double>();
    }
    DialogAnswerer dialogs;
    std::unique_ptr<AccuracyWindow> window;

    // One estimate in dollars and pounds; billed when `final` is above 0,
    // weighed when `hanging` is.
    void add(const QString& species, double quote, double final = 0, double live = 0,
             double hanging = 0, int quoted = 0, int charged = 0)
    {
        EstimateRecord r;
        r.customer = QStringLiteral("Customer of %1").arg(quote);
        r.species = species;
        r.quoteState = QStringLiteral("as quoted");
        r.quoteCents = std::llround(quote * 100);
        r.quoteServices = quoted;
        if (final > 0) {
            r.finalState = QStringLiteral("as billed");
            r.finalCents = std::llround(final * 100);
            r.finalServices = charged;
        }
        if (live > 0)
            r.livePounds = live;
        if (hanging > 0)
            r.weighedHanging = hanging;
        QVERIFY(book.save(r).done);
    }
    // Six beef estimates, five of them billed, and two pork bills, none weighed.
    void smallSet()
    {
        const double finals[] = {950, 1000, 1030, 1080, 1200};
        const double hangings[] = {620, 600, 640, 610, 630};
        const int quoted[] = {0, 0, 0, PaperWrapp, 0};
        const int charged[] = {0, Tenderising, Tenderising, 0, MinuteSteaks};
        for (int i = 0; i < 5; ++i)
            add(QStringLiteral("Beef"), 1000, finals[i], 1000, hangings[i], quoted[i], charged[i]);
        add(QStringLiteral("Beef"), 1000);
        add(QStringLiteral("Pork"), 400, 380);
        add(QStringLiteral("Pork"), 500, 560);
    }
    void backdate(qint64 number, const QDate& day)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "backdate");
            db.setDatabaseName(book.path());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("Update Estimates Set Created = '%1' "
                                                      "Where Number = %2")
                                           .arg(day.startOfDay().toString(Qt::ISODate))
                                           .arg(number)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("backdate"));
    }
    void open()
    {
        QVERIFY(made && prices.open() == PriceSource::OpenResult::Opened);
        window = std::make_unique<AccuracyWindow>(book, prices, nullptr);
        window->show();
    }
    QTableWidget* table() const { return control<QTableWidget>(window.get(), "reportTable"); }
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < table()->columnCount(); ++c)
            cells << table()->item(r, c)->text();
        return cells;
    }
    QString text(const char* label) const { return control<QLabel>(window.get(), label)->text(); }
    const QList<SpreadRow>& chart() const
    {
        return control<SpreadChart>(window.get(), "spreadChart")->rows();
    }
    void choose(const QString& species) const
    {
        auto* box = control<QComboBox>(window.get(), "speciesChoice");
        box->setCurrentIndex(box->findText(species));
    }
    void adopt() const { click(control<QPushButton>(window.get(), "adoptRanges")); }
};

} // namespace

class TestAccuracyWindow : public QObject {
    Q_OBJECT

    QTemporaryDir config_;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path())); }
    void init() { QFile::remove(ShopSettingsPath()); }

    // Beef: bills of 950, 1000, 1030, 1080 and 1200 on quotes of 1000, so the
    // middle bill is 30 over (3 %), three are within 5 % and four within 10 %;
    // hanging 0.60 to 0.64 of the live weight, 0.62 in the middle, 0.604 and
    // 0.636 at the 10th and 90th percentiles.
    void theTableAndTheChartShowTheBillsAgainstTheirQuotes()
    {
        Shop shop;
        shop.smallSet();
        shop.open();
        QCOMPARE(shop.table()->rowCount(), 2);
        QCOMPARE(shop.row(0), QStringList({"Beef", "6", "5", "0.62 (0.60\u20130.64)",
                                           "+$30.00 (+3.0 %)", "60 % (3 of 5)", "80 % (4 of 5)"}));
        QCOMPARE(shop.row(1).mid(0, 4), QStringList({"Pork", "2", "2", "\u2014"}));
        QCOMPARE(shop.row(1)[5], QStringLiteral("50 % (1 of 2)"));
        QVERIFY(shop.text("reportNote").startsWith(QLatin1String("8 estimates saved from ")));
        QVERIFY(shop.text("servicesChanged")
                    .contains(QLatin1String("Beef: added Tenderising (2), Minute Steaks (1); "
                                            "dropped Paper Wrapp (1).")));
        QVERIFY(shop.text("servicesChanged").contains(QLatin1String("Pork: none added")));

        const QList<SpreadRow> rows = shop.chart();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].label, QStringLiteral("Beef"));
        const QList<double> beef = {0.95, 1.0, 1.03, 1.08, 1.2};
        QCOMPARE(rows[0].sortedValues.size(), beef.size());
        for (int i = 0; i < beef.size(); ++i)
            QVERIFY(std::abs(rows[0].sortedValues[i] - beef[i]) < 1e-9);
        QCOMPARE(rows[1].sortedValues.size(), 2);

        // The Saved Estimates window opens it over the same book, once.
        const SystemClock clock;
        EstimatesWindow estimates(shop.book, shop.prices, clock, nullptr);
        estimates.show();
        auto* button = control<QPushButton>(&estimates, "showAccuracy");
        click(button);
        click(button);
        const QList<AccuracyWindow*> opened = estimates.findChildren<AccuracyWindow*>();
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0]->isVisible());
        QCOMPARE(control<QTableWidget>(opened[0], "reportTable")->rowCount(), 2);
    }

    void theDaysAndTheSpeciesNarrowTheReport()
    {
        Shop shop;
        shop.smallSet();
        const QDate lastYear(QDate::currentDate().year() - 1, 6, 15);
        shop.backdate(7, lastYear);
        shop.backdate(8, lastYear);
        shop.open();
        auto* from = control<QDateEdit>(shop.window.get(), "dateFrom");
        auto* to = control<QDateEdit>(shop.window.get(), "dateTo");
        QCOMPARE(from->date(), QDate(QDate::currentDate().year(), 1, 1));
        QCOMPARE(to->date(), QDate::currentDate());
        QCOMPARE(shop.table()->rowCount(), 1); // the pork bills are of last year
        from->setDate(lastYear.addDays(-30));
        QCOMPARE(shop.table()->rowCount(), 2);
        shop.choose(QStringLiteral("Pork"));
        QCOMPARE(shop.table()->rowCount(), 1);
        QCOMPARE(shop.row(0).mid(0, 3), QStringList({"Pork", "2", "2"}));
        QCOMPARE(shop.chart().size(), 1);
        to->setDate(lastYear.addDays(-1));
        QCOMPARE(shop.table()->rowCount(), 0);
        QVERIFY(shop.text("reportNote").startsWith(QLatin1String("No pork estimate was saved")));
        shop.choose(QStringLiteral("All species"));
        to->setDate(QDate::currentDate());
        QCOMPARE(shop.table()->rowCount(), 2);
    }

    void aRangeWithoutFinalBillsSaysSo()
    {
        Shop shop;
        shop.open();
        QVERIFY(shop.text("reportNote").startsWith(QLatin1String("No estimate was saved")));
        for (const double quote : {800, 900, 1000})
            shop.add(QStringLiteral("Beef"), quote);
        shop.window->refresh();
        QCOMPARE(shop.text("reportNote"),
                 QStringLiteral("None of the 3 estimates in this range has a final bill yet, so "
                                "there is nothing to compare."));
        QCOMPARE(shop.table()->rowCount(), 0);
        QVERIFY(shop.chart().isEmpty());
        QVERIFY(shop.text("servicesChanged").isEmpty());
        shop.dialogs.press(QMessageBox::Ok);
        shop.adopt(); // nothing to adopt: told, nothing asked
        QCOMPARE(shop.dialogs.seen().size(), 1);
        QCOMPARE(shop.dialogs.unexpected(), 0);
        QVERIFY(shop.dialogs.texts().last().endsWith(QLatin1String("Nothing was changed.")));
        QVERIFY(shop.range("Beef").isEmpty());
    }

    // 41 beef bills weighed at 0.580 to 0.620 of the live weight: 0.584, 0.600
    // and 0.616 at the 10th, 50th and 90th percentiles. Pork has 3 weighed
    // bills of 20; deer hangs at 0.92 to 0.96, beyond any allowed range.
    void adoptingSetsTheMeasuredRangesAfterYes()
    {
        Shop shop;
        for (int i = 0; i < 41; ++i) {
            const double live = 1000 + 10 * i, quote = 1200 + 15 * i;
            const double ratio = 0.58 + 0.001 * ((i * 17) % 41);
            shop.add(QStringLiteral("Beef"), quote, quote * (1 + ((i * 7) % 21 - 8) / 100.0), live,
                     live * ratio);
        }
        for (int i = 0; i < 20; ++i)
            shop.add(QStringLiteral("Pork"), 500 + 5 * i, 510 + 4 * i, 250, i < 3 ? 180 : 0);
        for (int i = 0; i < 5; ++i)
            shop.add(QStringLiteral("Deer"), 150, 160, 100, 92 + i);
        shop.open();
        QCOMPARE(shop.row(0)[3], QStringLiteral("0.60 (0.58\u20130.62)"));

        shop.dialogs.press(QMessageBox::No);
        shop.adopt();
        const QString asked = shop.dialogs.texts().last();
        QVERIFY(asked.contains(QLatin1String("Beef: 0.58 to 0.62 of the live weight (now ")));
        QVERIFY(asked.contains(QLatin1String("Pork: 3 weighed animals, and 5 are needed")));
        QVERIFY(asked.contains(QLatin1String("Deer: 0.92 to 0.96 of the field-dressed weight. ") +
                               RatioProblem(0.92, 0.96)));
        QVERIFY(shop.range("Beef").isEmpty());

        shop.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        shop.adopt();
        const auto range = [&shop](const char* species) {
            return shop.range(species);
        };
        QCOMPARE(range("Beef"), QList<double>({0.58, 0.62, 0}));
        QVERIFY(range("Pork").isEmpty() && range("Deer").isEmpty());
        QVERIFY(shop.dialogs.texts().last().contains(QLatin1String("Beef: 0.58 to 0.62")));

        click(control<QCheckBox>(shop.window.get(), "adoptMiddle"));
        shop.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        shop.adopt();
        QCOMPARE(range("Beef"), QList<double>({0.58, 0.62, 0.60}));
        QVERIFY(!shop.otherCounter.shopSettings().ratio(QStringLiteral("Beef"))->forQuotes);
        // The middle for quotes: new beef quotes figure at 0.60 of the live weight.
        click(control<QCheckBox>(shop.window.get(), "adoptForQuotes"));
        shop.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        shop.adopt();
        QVERIFY(
            shop.dialogs.texts().last().contains(QLatin1String("middle 0.60, used for quotes")));
        QCOMPARE(StoreRules(shop.otherCounter).adoptedFactor(Species::Beef),
                 std::optional<double>(0.6));
        // Kept with the prices, not in this machine's settings file.
        QVERIFY(SettingsFileShopWide().isEmpty());

        // Pork alone: nothing can be adopted, and nothing is asked.
        shop.choose(QStringLiteral("Pork"));
        const qsizetype before = shop.dialogs.seen().size();
        shop.dialogs.press(QMessageBox::Ok);
        shop.adopt();
        QCOMPARE(shop.dialogs.seen().size(), before + 1);
        QVERIFY(shop.dialogs.texts().last().endsWith(QLatin1String("Nothing was changed.")));
        QVERIFY(range("Pork").isEmpty());
        QCOMPARE(shop.dialogs.unexpected(), 0);
        QCOMPARE(shop.dialogs.unanswered(), 0);
    }

    // The take-home quoted against the packaged weights of the orders killed
    // in the days shown; the measured yields adopted after Yes, for every
    // counter.
    void theTakeHomeIsCheckedAgainstThePickups()
    {
        Shop shop;
        for (int i = 0; i < 6; ++i)
            QVERIFY(Pickups::PickedUpBeef(shop.book, i, 1100 + 40 * i, 0.6, 0.95 + 0.01 * i));
        shop.open();
        control<QDateEdit>(shop.window.get(), "dateFrom")->setDate(Pickups::Opening);
        control<QDateEdit>(shop.window.get(), "dateTo")->setDate(Pickups::Opening.addDays(60));
        QVERIFY2(shop.text("lblYields")
                     .startsWith(QLatin1String(
                         "Beef: 6 of 6 pickups within the take-home quoted; packaged 0.9")),
                 qPrintable(shop.text("lblYields")));
        // Days before the season: none.
        control<QDateEdit>(shop.window.get(), "dateTo")->setDate(Pickups::Opening.addDays(-1));
        QVERIFY(shop.text("lblYields").startsWith(QLatin1String("No order killed")));
        shop.dialogs.press(QMessageBox::Ok);
        click(control<QPushButton>(shop.window.get(), "adoptYields"));
        QVERIFY(shop.dialogs.texts().last().contains(QLatin1String("Nothing was changed")));

        control<QDateEdit>(shop.window.get(), "dateTo")->setDate(Pickups::Opening.addDays(60));
        shop.dialogs.press(QMessageBox::No);
        click(control<QPushButton>(shop.window.get(), "adoptYields"));
        QVERIFY(shop.dialogs.texts().last().startsWith(
            QLatin1String("Make these the shop's yields of meat")));
        QVERIFY(shop.prices.shopSettings().yields.isEmpty());
        shop.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        click(control<QPushButton>(shop.window.get(), "adoptYields"));
        PriceList other(shop.prices.path());
        QVERIFY(other.open() == PriceSource::OpenResult::Opened);
        QVERIFY2(StoreRules(other).yields(Species::Beef).measured < 1,
                 qPrintable(other.shopSettings().yields.value(QStringLiteral("Beef"))));
        QCOMPARE(shop.dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestAccuracyWindow)
#include "test_accuracy_window.moc"
