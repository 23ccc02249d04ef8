// The editing side of the price list: setting, removing, saving a whole table,
// CSV export and import, and files that refuse a change.

#include "core/numbers.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_editor.h"
#include "pricelist/sample_price_list.h"
#include "store/csv.h"
#include "test_price_list.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <algorithm>

namespace {

const QString Summer = PriceItem::Summer;
const QString SnackSticks = QStringLiteral("Snack Sticks");

// The rows as (item, cost as a number, category), for comparing lists whose
// costs are written differently.
struct Row {
    QString item;
    double cost;
    QString category;
    bool operator==(const Row& o) const
    {
        return item == o.item && cost == o.cost && category == o.category;
    }
};

QList<Row> rowsOf(const QList<PriceEntry>& entries)
{
    QList<Row> rows;
    for (const PriceEntry& e : entries)
        rows.append({e.item, StrictNumber(e.cost).value_or(-1), e.category});
    return rows;
}

QList<Row> rowsOf(const QList<Csv::Record>& records)
{
    QList<Row> rows;
    for (int r = 1; r < records.size(); ++r) {
        const QStringList& f = records[r].fields;
        rows.append({f.value(0), StrictNumber(f.value(1)).value_or(-1), f.value(2)});
    }
    return rows;
}

} // namespace

class TestPriceListEditor : public QObject {
    Q_OBJECT

private slots:
    void opensOnlyAnExistingPriceList()
    {
        TestPriceList file;
        PriceListEditor missing(file.path());
        QCOMPARE(missing.open(), PriceList::OpenResult::FileMissing);
        QVERIFY(missing.problem().contains(file.path()));
        QVERIFY(!QFileInfo::exists(file.path()));

        writeFile(file.path(), "Item,Cost,Category\nSummer,2.50,Sausage\n");
        PriceListEditor notAList(file.path());
        QCOMPARE(notAList.open(), PriceList::OpenResult::Unusable);
        QVERIFY2(notAList.problem().startsWith(QLatin1String("The price list cannot be used")),
                 qPrintable(notAList.problem()));
        QCOMPARE(readFile(file.path()),
                 QStringLiteral("Item,Cost,Category\nSummer,2.50,Sausage\n"));
        QVERIFY(!notAList.setCost(Summer, QStringLiteral("3")).done);
    }

    void setChangesTheCostAndKeepsTheCategory()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        const EditResult result = editor.setCost(PriceItem::PaperWrapp, QStringLiteral("0.49"));
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(result.changed, 1);
        QCOMPARE(result.added, 0);
        QVERIFY(file.rows().contains(QStringLiteral("Paper Wrapp|0.49|Processing")));
        QCOMPARE(file.rows().size(), SampleRows());
    }

    void setChangesEveryRowOfTheName()
    {
        TestPriceList file;
        file.withSample().sql(
            {QStringLiteral("Insert Into Charges1 Values ('Summer', 2.75, 'Second')")});
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.setCost(Summer, QStringLiteral("2.6"));
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(result.changed, 2);
        const QStringList rows = file.rows();
        QVERIFY(rows.contains(QStringLiteral("Summer|2.6|Sausage")));
        QVERIFY(rows.contains(QStringLiteral("Summer|2.6|Second")));
        QCOMPARE(rows.size(), SampleRows() + 1);
    }

    void setWithACategoryWritesIt()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        editor.open();
        QVERIFY(editor.setCost(Summer, QStringLiteral("2.5"), QStringLiteral("Smokehouse")).done);
        QVERIFY(file.rows().contains(QStringLiteral("Summer|2.5|Smokehouse")));
    }

    void setAddsAMissingItem()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        editor.open();
        EditResult result = editor.setCost(SnackSticks, QStringLiteral("3.25"));
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(result.added, 1);
        QCOMPARE(result.changed, 0);
        QCOMPARE(file.rows().last(),
                 QStringLiteral("Snack Sticks|3.25|") + PriceListEditor::DefaultCategory);

        result = editor.setCost(QStringLiteral("Beef Sticks"), QStringLiteral("3"),
                                QStringLiteral("Sausage"));
        QCOMPARE(result.added, 1);
        QCOMPARE(file.rows().last(), QStringLiteral("Beef Sticks|3|Sausage"));
        QCOMPARE(file.rows().size(), SampleRows() + 2);
    }

    void changesAreSeenByAnotherConnectionAtOnce()
    {
        TestPriceList file;
        file.withSample();
        PriceList screen(file.path());
        QCOMPARE(screen.open(), PriceList::OpenResult::Opened);
        QCOMPARE(screen.lookupCost(PriceItem::Processing).cost, 0.37);
        PriceListEditor editor(file.path());
        editor.open();
        QVERIFY(editor.setCost(PriceItem::Processing, QStringLiteral("0.41")).done);
        QCOMPARE(screen.lookupCost(PriceItem::Processing).cost, 0.41);
        QVERIFY(editor.setCost(SnackSticks, QStringLiteral("3.1234")).done);
        QCOMPARE(screen.lookupCost(SnackSticks).cost, 3.1234);
    }

    void aFileDeletedAfterOpeningIsNotWrittenInSecret()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(QFile::remove(file.path()));
        const EditResult result = editor.setCost(Summer, QStringLiteral("2.6"));
        QVERIFY(!result.done);
        QVERIFY2(result.problem.contains(QLatin1String("no longer there")),
                 qPrintable(result.problem));
        QVERIFY(!QFileInfo::exists(file.path()));
    }

    void aFileReplacedAfterOpeningIsTheOneChanged()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        TestPriceList other;
        other.withSample();
        QVERIFY(QFile::remove(file.path()));
        QVERIFY(QFile::rename(other.path(), file.path()));
        QVERIFY(editor.setCost(Summer, QStringLiteral("2.6")).done);
        QVERIFY(file.rows().contains(QStringLiteral("Summer|2.6|Sausage")));
    }

    void setRefusesACostThatIsNotMoney_data()
    {
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("problem");
        QTest::newRow("negative") << "-1"
                                  << "A price cannot be negative.";
        QTest::newRow("five decimals") << "1.23456"
                                       << "A price has at most four decimals.";
        QTest::newRow("letters") << "abc"
                                 << "\"abc\" is not an amount of money.";
        QTest::newRow("comma") << "2,50"
                               << "\"2,50\" is not an amount of money.";
        QTest::newRow("dollar sign") << "$2.50"
                                     << "\"$2.50\" is not an amount of money.";
        QTest::newRow("empty") << ""
                               << "\"Summer\" has no cost.";
        QTest::newRow("blank") << "   "
                               << "\"Summer\" has no cost.";
    }
    void setRefusesACostThatIsNotMoney()
    {
        QFETCH(QString, cost);
        QFETCH(QString, problem);
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.setCost(Summer, cost);
        QVERIFY(!result.done);
        QCOMPARE(result.problem, problem);
        QCOMPARE(file.rows(), before);
    }

    void setRefusesAnItemWithoutAProperName_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("line break") << "Summer\nSausage";
        QTest::newRow("tab") << "Summer\t";
    }
    void setRefusesAnItemWithoutAProperName()
    {
        QFETCH(QString, item);
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.setCost(item, QStringLiteral("1"));
        QVERIFY(!result.done);
        QCOMPARE(result.problem, PriceListEditor::itemNameProblem(item));
        QVERIFY(!result.problem.isEmpty());
        QCOMPARE(file.rows(), before);
    }

    void itemNamesHaveAtMostAHundredCharacters()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        editor.open();
        // Characters, not bytes: a hundred cows fit.
        for (const QString& longest :
             {QStringLiteral("x").repeated(100), QStringLiteral("🐄").repeated(100)})
            QVERIFY2(editor.setCost(longest, QStringLiteral("1")).done, qPrintable(longest));
        const QStringList before = file.rows();
        const QString tooLong = QStringLiteral("y").repeated(101);
        const QString why = QStringLiteral("An item name can be at most 100 characters long; this "
                                           "one has 101.");
        QCOMPARE(editor.setCost(tooLong, QStringLiteral("1")).problem, why);
        QCOMPARE(editor.importCsvText(QStringLiteral("Item,Cost,Category\n%1,1,\n").arg(tooLong))
                     .problem,
                 QStringLiteral("Line 2: %1 Nothing was changed.").arg(why));
        QVERIFY(
            editor.saveChanges({{RowChange::Kind::Add, 0, {}, {tooLong, QStringLiteral("1"), {}}}})
                .problem.contains(why));
        QCOMPARE(file.rows(), before);
    }

    void removeTakesEveryRowOfTheName()
    {
        TestPriceList file;
        file.withSample().sql(
            {QStringLiteral("Insert Into Charges1 Values ('Summer', 2.75, 'Second')")});
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.remove(Summer);
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(result.removed, 2);
        QCOMPARE(file.rows().size(), SampleRows() - 1);
        for (const QString& row : file.rows())
            QVERIFY(!row.startsWith(QLatin1String("Summer|")));
    }

    void removeOfAMissingItemIsRefused()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        // Names are exact: another spelling is another item.
        const EditResult result = editor.remove(QStringLiteral("summer"));
        QVERIFY(!result.done);
        QCOMPARE(result.removed, 0);
        QCOMPARE(result.problem,
                 QStringLiteral("\"summer\" is not in the price list, so nothing was removed."));
        QCOMPARE(file.rows(), before);
    }

    void replaceAllWritesTheRowsInTheirOrder()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        editor.open();
        const QList<PriceEntry> rows = {
            {PriceItem::SmokedSausageJalepono, QStringLiteral("2.95"), QStringLiteral("Sausage")},
            {PriceItem::BeefKill, QStringLiteral("18"), QStringLiteral("Kill")},
            {QStringLiteral("Odd, \"quoted\""), QStringLiteral("0.0125"), QString()},
            {PriceItem::BeefKill, QStringLiteral("19.5"), QStringLiteral("Second")},
        };
        const EditResult result = editor.replaceAll(rows);
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(result.removed, SampleRows());
        QCOMPARE(result.added, 4);
        QCOMPARE(file.rows(), QStringList({
                                  "Smoked Sausage w/ Jalepono & Cheddar|2.95|Sausage",
                                  "BeefKill|18|Kill",
                                  "Odd, \"quoted\"|0.0125|",
                                  "BeefKill|19.5|Second",
                              }));
        // The first row of a name is the one that counts.
        PriceList screen(file.path());
        screen.open();
        QCOMPARE(screen.lookupCost(PriceItem::BeefKill).cost, 18.0);
    }

    void replaceAllWithABadRowChangesNothing()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const QList<PriceEntry> rows = {
            {PriceItem::BeefKill, QStringLiteral("18"), QStringLiteral("Kill")},
            {PriceItem::Deer, QStringLiteral("90"), QStringLiteral("Processing")},
            {PriceItem::Summer, QStringLiteral("2.5O"), QStringLiteral("Sausage")},
        };
        const EditResult result = editor.replaceAll(rows);
        QVERIFY(!result.done);
        QCOMPARE(result.problem,
                 QStringLiteral("Row 3: \"2.5O\" is not an amount of money. Nothing was saved."));
        QCOMPARE(file.rows(), before);
    }

    void replaceAllIsOneTransaction()
    {
        // The file itself refuses the third row: the rows already written and
        // the removal of the old ones go back with it.
        TestPriceList file;
        file.withSample().refuseInserting(QStringLiteral("Boom"));
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.replaceAll({
            {PriceItem::BeefKill, QStringLiteral("18"), QStringLiteral("Kill")},
            {PriceItem::Deer, QStringLiteral("90"), QStringLiteral("Processing")},
            {QStringLiteral("Boom"), QStringLiteral("1"), QString()},
            {PriceItem::Summer, QStringLiteral("2.6"), QStringLiteral("Sausage")},
        });
        QVERIFY(!result.done);
        QVERIFY2(result.problem.contains(QLatin1String("no Boom here")),
                 qPrintable(result.problem));
        QVERIFY(result.problem.contains(file.path()));
        QCOMPARE(result.added, 0);
        QCOMPARE(file.rows(), before);
        // The connection is usable afterwards: no transaction was left open.
        QVERIFY(editor.setCost(Summer, QStringLiteral("2.6")).done);
        QVERIFY(file.rows().contains(QStringLiteral("Summer|2.6|Sausage")));
    }

    void saveChangesWritesOnlyTheChangedRows()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        editor.open();
        const QList<PriceEntry> read = editor.entries();
        const auto row = [&](const QString& item) {
            return *std::find_if(read.begin(), read.end(),
                                 [&](const PriceEntry& e) { return e.item == item; });
        };
        // Meanwhile another program changes a row that the window leaves alone.
        file.price(PriceItem::BeefKill, 18);
        PriceEntry summer = row(Summer);
        summer.cost = QStringLiteral("2.6");
        summer.category = QStringLiteral("Smokehouse");
        PriceEntry renamed = row(PriceItem::Jerky);
        renamed.item = QStringLiteral("Beef Jerky");
        const EditResult result = editor.saveChanges({
            {RowChange::Kind::Change, summer.rowId, row(Summer), summer},
            {RowChange::Kind::Change, renamed.rowId, row(PriceItem::Jerky), renamed},
            {RowChange::Kind::Remove, row(PriceItem::HotStix).rowId, row(PriceItem::HotStix), {}},
            {RowChange::Kind::Add, 0, {}, {SnackSticks, QStringLiteral("3.25"), QString()}},
        });
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(result.changed, 2);
        QCOMPARE(result.removed, 1);
        QCOMPARE(result.added, 1);
        const QStringList rows = file.rows();
        QVERIFY(rows.contains(QStringLiteral("BeefKill|18|Kill")));
        QVERIFY(rows.contains(QStringLiteral("Summer|2.6|Smokehouse")));
        QVERIFY(rows.contains(QStringLiteral("Beef Jerky|3.5|Sausage")));
        QCOMPARE(rows.last(), QStringLiteral("Snack Sticks|3.25|"));
        QCOMPARE(rows.size(), SampleRows());
    }

    void saveChangesRefusesRowsChangedElsewhere()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        editor.open();
        const QList<PriceEntry> read = editor.entries();
        file.price(read[0].item, 18).without(read[1].item);
        const QStringList before = file.rows();
        QList<RowChange> changes;
        for (int i = 0; i < 3; ++i) {
            PriceEntry now = read[i];
            now.cost = QStringLiteral("1");
            changes.append({RowChange::Kind::Change, now.rowId, read[i], now});
        }
        const EditResult result = editor.saveChanges(changes);
        QVERIFY(!result.done);
        QCOMPARE(result.conflicts, QStringList({read[0].item, read[1].item}));
        QVERIFY2(result.problem.contains(read[0].item) && result.problem.contains(read[1].item),
                 qPrintable(result.problem));
        QCOMPARE(file.rows(), before);
    }

    void saveChangesNamesEveryBadRowAndEveryNameHeldTwice()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const QList<PriceEntry> read = editor.entries();
        PriceEntry cheap = read[0], unnamed = read[1], taken = read[2];
        cheap.cost = QStringLiteral("-1");
        unnamed.item = QStringLiteral("Deer ");
        taken.item = Summer;
        EditResult result = editor.saveChanges({
            {RowChange::Kind::Change, cheap.rowId, read[0], cheap},
            {RowChange::Kind::Change, unnamed.rowId, read[1], unnamed},
            {RowChange::Kind::Add, 0, {}, {SnackSticks, QStringLiteral("1e9"), QString()}},
        });
        QVERIFY(!result.done);
        QCOMPARE(result.problem.count(QLatin1Char('\n')), 3); // three bad rows, then the end
        QVERIFY(result.problem.contains(QLatin1String("negative")));
        QVERIFY(result.problem.contains(QLatin1String("blank")));
        QVERIFY(result.problem.contains(SnackSticks));
        result = editor.saveChanges({
            {RowChange::Kind::Change, taken.rowId, read[2], taken},
            {RowChange::Kind::Add, 0, {}, {PriceItem::Jerky, QStringLiteral("1"), QString()}},
        });
        QVERIFY(!result.done);
        QVERIFY2(result.problem.startsWith(QLatin1String("\"Jerky\", \"Summer\" are already")),
                 qPrintable(result.problem));
        QCOMPARE(file.rows(), before);
    }

    void newNamesThatLookLikeOthersNeedConfirming()
    {
        TestPriceList file;
        file.withSample().sql({QStringLiteral("Insert Into Charges1 Values ('Snack Sticks', 3, "
                                              "'Sausage')")});
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const QStringList lookAlikes[] = {{"paper wrapp", "Paper Wrapp"},
                                          {"PaperWrapp", "Paper Wrapp"},
                                          {"SNACK STICKS", "Snack Sticks"}};
        for (const QStringList& pair : lookAlikes) {
            const EditResult set = editor.setCost(pair[0], QStringLiteral("1.25"));
            QVERIFY(!set.done);
            QCOMPARE(set.lookAlike, pair[1]);
            QVERIFY2(set.problem.contains(QStringLiteral("did you mean \"%1\"?").arg(pair[1])),
                     qPrintable(set.problem));
        }
        const EditResult imported = editor.importCsvText(
            QStringLiteral("Item,Cost,Category\nSummer,2.6,\nPROCESSING,0.39,\n"));
        QVERIFY(!imported.done);
        QVERIFY2(imported.problem.startsWith(QLatin1String("Line 3: ")),
                 qPrintable(imported.problem));
        QCOMPARE(imported.lookAlike, PriceItem::Processing);
        QCOMPARE(file.rows(), before);

        QVERIFY(
            editor.setCost(QStringLiteral("paper wrapp"), QStringLiteral("1.25"), {}, true).done);
        QCOMPARE(
            editor.importCsvText(QStringLiteral("Item,Cost,Category\nPROCESSING,0.39,\n"), true)
                .added,
            1);
        QCOMPARE(file.rows().size(), before.size() + 2);
    }

    void csvRoundTripOfEverySampleItem()
    {
        TestPriceList sample;
        sample.withSample();
        PriceListEditor from(sample.path());
        QCOMPARE(from.open(), PriceList::OpenResult::Opened);
        const QString csvPath = sample.folder() + QStringLiteral("/prices.csv");
        const EditResult exported = from.exportCsv(csvPath);
        QVERIFY2(exported.done, qPrintable(exported.problem));
        QCOMPARE(exported.exported, SampleRows());

        QString problem;
        const QList<Csv::Record> written = Csv::parse(readFile(csvPath), &problem);
        QVERIFY(problem.isEmpty());
        QCOMPARE(written.first().fields, PriceListEditor::CsvHeader);
        const QList<Row> sampleRows = rowsOf(Csv::parse(SamplePricesCsv(), &problem));
        QCOMPARE(sampleRows.size(), SampleRows());
        QCOMPARE(rowsOf(written), sampleRows);

        // Into an empty price list, and the same rows come back.
        TestPriceList empty;
        empty.sql({QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric, Category "
                                  "Text)")});
        PriceListEditor to(empty.path());
        QCOMPARE(to.open(), PriceList::OpenResult::Opened);
        const EditResult imported = to.importCsv(csvPath);
        QVERIFY2(imported.done, qPrintable(imported.problem));
        QCOMPARE(imported.added, SampleRows());
        QCOMPARE(empty.rows(), sample.rows());
        QCOMPARE(rowsOf(to.entries()), sampleRows);
        QVERIFY(empty.rows().contains(
            QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar|2.75|Sausage")));
        QVERIFY(empty.rows().contains(QStringLiteral("Paper Wrapp|0.47|Processing")));
    }

    void awkwardNamesRoundTripExactly()
    {
        const QStringList names = {
            QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar"),
            QStringLiteral("Paper Wrapp"),
            QStringLiteral("Ham, \"Country\" Style"),
            QStringLiteral("Jalapeño Brats"),
            QStringLiteral("'Quoted' ; Drop Table Charges1; --"),
            QStringLiteral("=1+1"),
            QStringLiteral("+Extra"),
            QStringLiteral("-Special-"),
            QStringLiteral("@Home"),
            QStringLiteral("'=Quoted formula"),
            QStringLiteral("''Two apostrophes"),
            QStringLiteral("'"),
        };
        TestPriceList file;
        file.sql({QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric, Category "
                                 "Text)")});
        PriceListEditor editor(file.path());
        editor.open();
        for (const QString& name : names)
            QVERIFY(
                editor.setCost(name, QStringLiteral("1.5"), name + QStringLiteral(" cat")).done);
        QString problem;
        const QString csv = editor.csvText(&problem);
        QVERIFY(problem.isEmpty());

        TestPriceList copy;
        copy.sql({QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric, Category "
                                 "Text)")});
        PriceListEditor other(copy.path());
        other.open();
        const EditResult result = other.importCsvText(csv);
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(copy.rows(), file.rows());
        QStringList items;
        for (const PriceEntry& e : other.entries())
            items << e.item;
        QCOMPARE(items, names);
    }

    void importAddsAndChangesAndLeavesTheRest()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.importCsvText(QStringLiteral("Item,Cost,Category\n"
                                                                      "Summer,2.60,\n"
                                                                      "Jerky,3.75\n"
                                                                      "Snack Sticks,3.25,Sausage\n"
                                                                      "Deer,90,Game\n"));
        QVERIFY2(result.done, qPrintable(result.problem));
        QCOMPARE(result.added, 1);
        QCOMPARE(result.changed, 3);
        const QStringList rows = file.rows();
        QCOMPARE(rows.size(), SampleRows() + 1);
        QVERIFY(rows.contains(QStringLiteral("Summer|2.6|Sausage")));
        QVERIFY(rows.contains(QStringLiteral("Jerky|3.75|Sausage")));
        QVERIFY(rows.contains(QStringLiteral("Deer|90|Game")));
        QCOMPARE(rows.last(), QStringLiteral("Snack Sticks|3.25|Sausage"));
        for (const QString& row : before) {
            if (!row.startsWith(QLatin1String("Summer|")) &&
                !row.startsWith(QLatin1String("Jerky|")) && !row.startsWith(QLatin1String("Deer|")))
                QVERIFY2(rows.contains(row), qPrintable(row));
        }
    }

    void importReadsSpreadsheetFiles()
    {
        // A byte order mark, Windows line ends, a header in other capitals.
        TestPriceList file;
        file.withSample();
        const QString csvPath = file.folder() + QStringLiteral("/from-spreadsheet.csv");
        writeFile(csvPath, "\xEF\xBB\xBF\"ITEM\",cost,Category\r\n"
                           "\"Paper Wrapp\",0.52,Processing\r\n"
                           "\r\n"
                           "Jalape\xC3\xB1o Brats,3.10,Sausage\r\n");
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.importCsv(csvPath);
        QVERIFY2(result.done, qPrintable(result.problem));
        QVERIFY(file.rows().contains(QStringLiteral("Paper Wrapp|0.52|Processing")));
        QCOMPARE(file.rows().last(), QStringLiteral("Jalapeño Brats|3.1|Sausage"));
    }

    void importWithABadLineChangesNothing_data()
    {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("problem");
        const QString head = QStringLiteral("Item,Cost,Category\nSummer,2.60,Sausage\n");
        QTest::newRow("cost not a number") << head + "Jerky,3.75,Sausage\nHotStix,three,Sausage\n"
                                           << "Line 4: \"three\" is not an amount of money.";
        QTest::newRow("negative cost") << head + "Jerky,-3.75,Sausage\n"
                                       << "Line 3: A price cannot be negative.";
        QTest::newRow("five decimals") << head + "Jerky,3.75001,Sausage\n"
                                       << "Line 3: A price has at most four decimals.";
        QTest::newRow("no cost") << head + "Jerky,,Sausage\n"
                                 << "Line 3: \"Jerky\" has no cost.";
        QTest::newRow("one field") << head + "Jerky\n"
                                   << "Line 3: a line holds Item,Cost,Category, but this one has "
                                      "1 field.";
        QTest::newRow("four fields") << head + "Jerky,3.75,Sausage,extra\n"
                                     << "Line 3: a line holds Item,Cost,Category, but this one "
                                        "has 4 fields.";
        QTest::newRow("no item") << head + ",3.75,Sausage\n"
                                 << "Line 3: An item needs a name.";
        QTest::newRow("item twice") << head + "Jerky,3.75,Sausage\n\nSummer,2.70,Sausage\n"
                                    << "Line 5: \"Summer\" is already on line 2; an item may "
                                       "appear once.";
        QTest::newRow("after a quoted line break")
            << head + "Jerky,2.70,\"Sausage\nSpecial\"\n\"Sticks,1,Sausage\n"
            << "Line 5: a quoted field is not closed.";
        QTest::newRow("quote not closed") << head + "\"Jerky,3.75,Sausage\n"
                                          << "Line 3: a quoted field is not closed.";
        QTest::newRow("no header") << QStringLiteral("Summer,2.60,Sausage\n")
                                   << "Line 1: the first line must be the header "
                                      "Item,Cost,Category.";
        QTest::newRow("empty") << QString()
                               << "Line 1: the first line must be the header Item,Cost,Category.";
    }
    void importWithABadLineChangesNothing()
    {
        QFETCH(QString, csv);
        QFETCH(QString, problem);
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.importCsvText(csv);
        QVERIFY(!result.done);
        QCOMPARE(result.problem, problem + QStringLiteral(" Nothing was changed."));
        QCOMPARE(file.rows(), before);
    }

    void importRefusesAnEndlessOrHugeFile()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        EditResult result = editor.importCsv(QStringLiteral("/dev/zero"));
        QVERIFY2(result.problem.contains(QLatin1String("Line 1 of /dev/zero is longer than "
                                                       "10,000 characters")),
                 qPrintable(result.problem));
        const QString longLine = file.folder() + QStringLiteral("/long.csv");
        writeFile(longLine, "Item,Cost,Category\nSummer,2.6,\n" + QByteArray(10001, 'x'));
        result = editor.importCsv(longLine);
        QVERIFY2(result.problem.startsWith(QLatin1String("Line 3 of")), qPrintable(result.problem));
        const QString huge = file.folder() + QStringLiteral("/huge.csv");
        writeFile(huge, "Item,Cost,Category\n");
        QVERIFY(QFile(huge).resize(PriceListEditor::MaxImportBytes + 1));
        result = editor.importCsv(huge);
        QVERIFY2(result.problem.contains(QLatin1String("larger than 50 MB")),
                 qPrintable(result.problem));
        QCOMPARE(file.rows(), before);
    }

    void refusalsSayWhatIsWrong()
    {
        TestPriceList file;
        file.withSample().refuseInserting(QStringLiteral("Boom"));
        PriceListEditor editor(file.path());
        editor.open();
        EditResult result = editor.importCsvText(QStringLiteral("Item;Cost;Category\nSummer;3;\n"));
        QVERIFY2(result.problem.contains(QLatin1String("a comma must separate them")),
                 qPrintable(result.problem));
        result = editor.importCsvText(QStringLiteral("Item,Cost,Category\nSummer,2.6,\nBoom,1,\n"));
        QVERIFY2(result.problem.contains(QLatin1String("at line 3 (\"Boom\")")),
                 qPrintable(result.problem));

        // Charges1 as a view over another table.
        TestPriceList view;
        view.sql({QStringLiteral("Create Table Prices (Item Text, Cost Numeric, Category Text)"),
                  QStringLiteral("Insert Into Prices Values ('Summer', 2.5, 'Sausage')"),
                  QStringLiteral("Create View Charges1 As Select * From Prices")});
        PriceListEditor viewEditor(view.path());
        QCOMPARE(viewEditor.open(), PriceList::OpenResult::Opened);
        result = viewEditor.setCost(Summer, QStringLiteral("3"));
        QVERIFY2(result.problem.contains(QLatin1String("is a view, not a table")),
                 qPrintable(result.problem));

        // A price list that may be written, in a folder that may not: SQLite
        // cannot make its journal there.
        if (!file.makeFolderReadOnly())
            QSKIP("this machine cannot make a folder read-only");
        result = editor.setCost(Summer, QStringLiteral("3"));
        QVERIFY(!result.done);
        QVERIFY2(result.problem.contains(QLatin1String("the folder of the price list may not be "
                                                       "written"),
                                         Qt::CaseInsensitive),
                 qPrintable(result.problem));
    }

    void importIsOneTransaction()
    {
        TestPriceList file;
        file.withSample().refuseInserting(QStringLiteral("Boom"));
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.importCsvText(QStringLiteral("Item,Cost,Category\n"
                                                                      "Summer,2.60,\n"
                                                                      "New Item,1,Test\n"
                                                                      "Boom,1,\n"
                                                                      "Jerky,3.75,\n"));
        QVERIFY(!result.done);
        QVERIFY2(result.problem.startsWith(QLatin1String("The import could not be saved")),
                 qPrintable(result.problem));
        QCOMPARE(file.rows(), before);
    }

    void importRefusesFilesItCannotRead()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        editor.open();
        const QString missing = file.folder() + QStringLiteral("/none.csv");
        EditResult result = editor.importCsv(missing);
        QVERIFY(!result.done);
        QCOMPARE(result.problem,
                 QStringLiteral("There is no file %1. Nothing was changed.").arg(missing));

        const QString latin1 = file.folder() + QStringLiteral("/latin1.csv");
        writeFile(latin1, "Item,Cost,Category\nJalape\xF1o Brats,3.10,Sausage\n");
        result = editor.importCsv(latin1);
        QVERIFY(!result.done);
        QVERIFY2(result.problem.contains(QLatin1String("is not UTF-8 text")),
                 qPrintable(result.problem));
        QCOMPARE(file.rows(), before);
    }

    void exportWritesMoneyWithCentsAndQuotesWhereNeeded()
    {
        TestPriceList file;
        file.sql({QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric, Category "
                                 "Text)"),
                  QStringLiteral("Insert Into Charges1 Values ('BeefKill', 17, 'Kill')"),
                  QStringLiteral("Insert Into Charges1 Values ('Ham, \"Country\"', 0.5, 'Cure')"),
                  QStringLiteral("Insert Into Charges1 Values ('Odd', 0.1234, '')")});
        PriceListEditor editor(file.path());
        editor.open();
        QCOMPARE(editor.csvText(), QStringLiteral("Item,Cost,Category\n"
                                                  "BeefKill,17.00,Kill\n"
                                                  "\"Ham, \"\"Country\"\"\",0.50,Cure\n"
                                                  "Odd,0.1234,\n"));
    }

    void exportRefusesToWriteOverThePriceList()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        editor.open();
        const EditResult result = editor.exportCsv(file.path());
        QVERIFY(!result.done);
        QVERIFY(result.problem.contains(QLatin1String("is the price list itself")));
        QCOMPARE(file.integrity(), QStringLiteral("ok"));
        QCOMPARE(file.rows().size(), SampleRows());

        const QString nowhere = file.folder() + QStringLiteral("/no/such/folder/prices.csv");
        const EditResult unwritable = editor.exportCsv(nowhere);
        QVERIFY(!unwritable.done);
        QVERIFY(unwritable.problem.startsWith(nowhere + QStringLiteral(" could not be written")));
    }

    void exportKeepsSpreadsheetsFromRunningFormulas()
    {
        TestPriceList file;
        file.sql({QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric, Category "
                                 "Text)"),
                  QStringLiteral("Insert Into Charges1 Values ('=HYPERLINK(\"x\")', 1, '+cat')"),
                  QStringLiteral("Insert Into Charges1 Values ('@SUM(A1)', 2, '-cat')"),
                  QStringLiteral("Insert Into Charges1 Values ('''=1', 3, 'Plain')"),
                  QStringLiteral("Insert Into Charges1 Values ('''Tis', 4, '''')")});
        PriceListEditor editor(file.path());
        editor.open();
        QCOMPARE(editor.csvText(), QStringLiteral("Item,Cost,Category\n"
                                                  "\"'=HYPERLINK(\"\"x\"\")\",1.00,'+cat\n"
                                                  "'@SUM(A1),2.00,'-cat\n"
                                                  "''=1,3.00,Plain\n"
                                                  "'Tis,4.00,'\n"));
    }

    void moneyTextShowsCents_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << "17"
                               << "17.00";
        QTest::newRow("one decimal") << "0.5"
                                     << "0.50";
        QTest::newRow("cents") << "0.37"
                               << "0.37";
        QTest::newRow("four decimals") << "0.1234"
                                       << "0.1234";
        QTest::newRow("zero") << "0"
                              << "0.00";
        QTest::newRow("not a number") << "abc"
                                      << "abc";
        QTest::newRow("empty") << ""
                               << "";
    }
    void moneyTextShowsCents()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(PriceListEditor::moneyText(stored), shown);
    }

    void aReadOnlyFileRefusesEveryChange()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        if (!file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        PriceListEditor editor(file.path());
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QCOMPARE(editor.entries().size(), SampleRows());
        const QList<EditResult> results = {
            editor.setCost(Summer, QStringLiteral("2.6")),
            editor.remove(Summer),
            editor.replaceAll({{Summer, QStringLiteral("2.6"), QString()}}),
            editor.importCsvText(QStringLiteral("Item,Cost,Category\nSummer,2.6,\n")),
        };
        for (const EditResult& result : results) {
            QVERIFY(!result.done);
            QVERIFY2(result.problem.contains(QLatin1String("the price list file is read-only"),
                                             Qt::CaseInsensitive),
                     qPrintable(result.problem));
            QVERIFY(result.problem.contains(QLatin1String("Nothing was changed")));
            QVERIFY(result.problem.contains(file.path()));
        }
        QCOMPARE(file.rows(), before);
    }

    void aFileLockedByAnotherProgramRefusesAndKeepsItsRows()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        PriceListEditor editor(file.path());
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        {
            OtherProgram other(file.path());
            QVERIFY(other.lock());
            const EditResult set = editor.setCost(Summer, QStringLiteral("2.6"));
            QVERIFY(!set.done);
            QVERIFY2(set.problem.contains(QLatin1String("another program holds the price list "
                                                        "locked"),
                                          Qt::CaseInsensitive),
                     qPrintable(set.problem));
            QVERIFY(set.problem.contains(file.path()));
            const EditResult imported =
                editor.importCsvText(QStringLiteral("Item,Cost,Category\nJerky,4,\n"));
            QVERIFY(!imported.done);
            QVERIFY(imported.problem.contains(QLatin1String("locked")));
        }
        QCOMPARE(file.rows(), before);
        // Once the other program is done, the same change goes through.
        QVERIFY(editor.setCost(Summer, QStringLiteral("2.6")).done);
        QVERIFY(file.rows().contains(QStringLiteral("Summer|2.6|Sausage")));
    }
};

QTEST_GUILESS_MAIN(TestPriceListEditor)
#include "test_price_list_editor.moc"
