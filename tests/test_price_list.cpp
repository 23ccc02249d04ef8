// The price list file: opening, lookups, adding an item.

#include "test_price_list.h"

#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "pricelist/sample_price_list.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestPriceListFile : public QObject {
    Q_OBJECT

private slots:
    void missingFileIsNotCreated()
    {
        TestPriceList file;
        PriceList list(file.path());
        QCOMPARE(list.open(), PriceList::OpenResult::FileMissing);
        QVERIFY(!list.isOpen());
        QVERIFY(!QFileInfo::exists(file.path()));
        QVERIFY(list.openProblem().contains(file.path()));
        const CostLookup lookup = list.lookupCost(PriceItem::BeefKill);
        QCOMPARE(lookup.status, CostLookup::Status::Failed);
        QVERIFY(!list.addItem(QStringLiteral("X"), 1, QString()).saved);
        QVERIFY(!QFileInfo::exists(file.path()));
    }

    void unusableFilesAreFoundAtOpening_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a database") << QByteArray("Item,Cost\nBeefKill,17\n", 22) << "26";
        QTest::newRow("empty file") << QByteArray() << "Charges1";
    }
    void unusableFilesAreFoundAtOpening()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        TestPriceList file;
        QFile f(file.path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        PriceList list(file.path());
        QCOMPARE(list.open(), PriceList::OpenResult::Unusable);
        QVERIFY2(list.openProblem().contains(reason), qPrintable(list.openProblem()));
        QCOMPARE(QFileInfo(file.path()).size(), qint64(content.size()));
    }

    void databaseWithoutThePriceTableIsUnusable()
    {
        TestPriceList file;
        file.sql({QStringLiteral("Create Table Prices (Item Text, Cost Numeric)")});
        PriceList list(file.path());
        QCOMPARE(list.open(), PriceList::OpenResult::Unusable);
        QVERIFY(list.openProblem().contains(QLatin1String("Charges1")));
    }

    void sampleHoldsEveryItemTheProgramSends()
    {
        TestPriceList file;
        file.withSample();
        PriceList list(file.path());
        QCOMPARE(list.open(), PriceList::OpenResult::Opened);
        const QString items[] = {PriceItem::BeefKill,
                                 PriceItem::PorkKill,
                                 PriceItem::Deer,
                                 PriceItem::Processing,
                                 PriceItem::PaperWrapp,
                                 PriceItem::Cooling,
                                 PriceItem::MinuteSteaks,
                                 PriceItem::Curing,
                                 PriceItem::SausageSeasoning,
                                 PriceItem::ExtraBoning,
                                 PriceItem::Slicing,
                                 PriceItem::FajitaStrips,
                                 PriceItem::Summer,
                                 PriceItem::Jerky,
                                 PriceItem::HotStix,
                                 PriceItem::SmokedSausage,
                                 PriceItem::SmokedSausageJalepono,
                                 PriceItem::PorkTrim};
        for (const QString& item : items)
            QVERIFY2(list.lookupCost(item).found(), qPrintable(item));
        // The built-in prices of the screens are the sample's.
        QCOMPARE(list.lookupCost(PriceItem::Processing).cost, 0.37);
        QCOMPARE(list.lookupCost(PriceItem::PaperWrapp).cost, 0.47);
        QCOMPARE(list.lookupCost(PriceItem::Curing).cost, 0.42);
        QCOMPARE(list.lookupCost(PriceItem::ExtraBoning).cost, 0.17);
        QCOMPARE(list.lookupCost(PriceItem::BeefKill).cost, 17.0);
        QCOMPARE(list.entries().size(), SampleRows());
        // It is never made over an existing file.
        QVERIFY(!CreateSamplePriceList(file.path()).saved);
        QCOMPARE(list.entries().size(), SampleRows());
    }

    void lookupsFindTheFirstRowOfAName()
    {
        TestPriceList file;
        file.withSample().sql(
            {QStringLiteral("Insert Into Charges1 Values ('Curing', 9.99, 'Second')")});
        PriceList list(file.path());
        QCOMPARE(list.open(), PriceList::OpenResult::Opened);
        QCOMPARE(list.lookupCost(PriceItem::Curing).cost, 0.42);
        const ItemRows rows = list.findItemRows(PriceItem::Curing);
        QCOMPARE(rows.count, 2);
        QCOMPARE(rows.first.cost, 0.42);
    }

    void theFirstRowIsTheOneStoredFirstWithTheExactName()
    {
        // Files made elsewhere: an index that returns rows in another order,
        // and a column that compares names without regard to case.
        TestPriceList indexed;
        indexed.sql({QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric, Category "
                                    "Text)"),
                     QStringLiteral("Create Index ItemCost On Charges1 (Item, Cost)"),
                     QStringLiteral("Insert Into Charges1 Values ('Curing', 0.42, 'First')"),
                     QStringLiteral("Insert Into Charges1 Values ('Curing', 0.10, 'Second')")});
        TestPriceList folded;
        folded.sql({QStringLiteral("Create Table Charges1 (Item Text Collate NoCase, Cost "
                                   "Numeric, Category Text)"),
                    QStringLiteral("Insert Into Charges1 Values ('curing', 0.10, 'Other')"),
                    QStringLiteral("Insert Into Charges1 Values ('Curing', 0.42, 'First')")});
        for (TestPriceList* file : {&indexed, &folded}) {
            PriceList list(file->path());
            QCOMPARE(list.open(), PriceList::OpenResult::Opened);
            for (const auto form :
                 {PriceList::CostStatement::Plain, PriceList::CostStatement::TrailingBlank,
                  PriceList::CostStatement::WideFrom})
                QCOMPARE(list.lookupCost(PriceItem::Curing, form).cost, 0.42);
            const ItemRows rows = list.findItemRows(PriceItem::Curing);
            QCOMPARE(rows.first.cost, 0.42);
            QCOMPARE(rows.count, file == &indexed ? 2 : 1);
            const QList<PriceEntry> entries = list.entries();
            QCOMPARE(entries.size(), 2);
            QVERIFY(entries[0].rowId > 0 && entries[0].rowId < entries[1].rowId);
        }
    }

    void aCostThatCannotBeAPriceIsNeverUsed()
    {
        TestPriceList file;
        file.withSample().sql(
            {QStringLiteral("Update Charges1 Set Cost = -0.55 Where Item = 'Processing'"),
             QStringLiteral("Update Charges1 Set Cost = 99999999999999 Where Item = 'Summer'"),
             QStringLiteral("Update Charges1 Set Cost = 100000 Where Item = 'Deer'")});
        PriceList list(file.path());
        list.open();
        const CostLookup negative = list.lookupCost(PriceItem::Processing);
        QCOMPARE(negative.status, CostLookup::Status::NoPrice);
        QVERIFY2(negative.problem.contains(QLatin1String("-0.55")), qPrintable(negative.problem));
        const ItemRows absurd = list.findItemRows(PriceItem::Summer);
        QCOMPARE(absurd.count, 1);
        QCOMPARE(absurd.first.status, CostLookup::Status::NoPrice);
        QVERIFY2(absurd.first.problem.contains(QLatin1String("99999999999999")),
                 qPrintable(absurd.first.problem));
        QCOMPARE(list.lookupCost(PriceItem::Deer).cost, 100000.0);
    }

    void everyStatementFormFindsTheSameRows()
    {
        TestPriceList file;
        file.withSample();
        PriceList list(file.path());
        list.open();
        for (const auto form :
             {PriceList::CostStatement::Plain, PriceList::CostStatement::TrailingBlank,
              PriceList::CostStatement::WideFrom}) {
            QCOMPARE(list.lookupCost(PriceItem::ExtraBoning, form).cost, 0.17);
            QCOMPARE(list.lookupCost(QStringLiteral("Nothing"), form).status,
                     CostLookup::Status::Missing);
        }
        QCOMPARE(list.findItemRows(PriceItem::PorkTrim).count, 1);
        QCOMPARE(list.findItemRows(PriceItem::PorkTrim).first.cost, 1.2);
        // Names are compared exactly: no trimming, no case folding.
        QCOMPARE(list.findItemRows(QStringLiteral("porktrim")).count, 0);
        QCOMPARE(list.findItemRows(QStringLiteral("PorkTrim ")).count, 0);
    }

    void itemNamesAreNeverPastedIntoStatements()
    {
        TestPriceList file;
        file.withSample();
        PriceList list(file.path());
        list.open();
        const QString hostile = QStringLiteral("x' Or '1'='1");
        QCOMPARE(list.lookupCost(hostile).status, CostLookup::Status::Missing);
        QCOMPARE(list.findItemRows(hostile).count, 0);
        const QString quoted = QStringLiteral("Grandma's Sausage");
        QVERIFY(list.addItem(quoted, 3.25, PriceItem::AddedItemCategory).saved);
        QCOMPARE(list.lookupCost(quoted).cost, 3.25);
        QVERIFY(list.addItem(QStringLiteral("'); Drop Table Charges1; --"), 1, QString()).saved);
        QCOMPARE(list.entries().size(), SampleRows() + 2);
    }

    void addedItemIsFoundOnEveryConnection()
    {
        TestPriceList file;
        file.withSample();
        PriceList worksheet(file.path());
        PriceList estimate(file.path());
        QCOMPARE(worksheet.open(), PriceList::OpenResult::Opened);
        QCOMPARE(estimate.open(), PriceList::OpenResult::Opened);
        const QString item = QStringLiteral("Venison Bologna");
        QCOMPARE(estimate.lookupCost(item).status, CostLookup::Status::Missing);
        const SaveResult saved = worksheet.addItem(item, 2.75, PriceItem::AddedItemCategory);
        QVERIFY2(saved.saved, qPrintable(saved.problem));
        QCOMPARE(worksheet.findItemRows(item).count, 1);
        QCOMPARE(worksheet.findItemRows(item).first.cost, 2.75);
        QCOMPARE(estimate.lookupCost(item).cost, 2.75);
        QVERIFY(file.rows().contains(QStringLiteral("Venison Bologna|2.75|Curing/Seasoning")));
        PriceList later(file.path());
        later.open();
        QCOMPARE(later.lookupCost(item).cost, 2.75);
    }

    void emptyOrTextCostIsNoPrice()
    {
        TestPriceList file;
        file.withSample().sql(
            {QStringLiteral("Update Charges1 Set Cost = Null Where Item = 'Deer'"),
             QStringLiteral("Update Charges1 Set Cost = 'cheap' Where Item = 'Cooling'"),
             QStringLiteral("Update Charges1 Set Cost = '0.5' Where Item = 'Slicing'")});
        PriceList list(file.path());
        list.open();
        QCOMPARE(list.lookupCost(PriceItem::Deer).status, CostLookup::Status::NoPrice);
        const CostLookup cooling = list.lookupCost(PriceItem::Cooling);
        QCOMPARE(cooling.status, CostLookup::Status::NoPrice);
        QVERIFY(cooling.problem.contains(QLatin1String("cheap")));
        QCOMPARE(list.lookupCost(PriceItem::Slicing).cost, 0.5);
    }

    void readOnlyFileRefusesAnAdditionAndKeepsItsRows()
    {
        TestPriceList file;
        file.withSample();
        if (!file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only for root");
        PriceList list(file.path());
        QCOMPARE(list.open(), PriceList::OpenResult::Opened);
        const SaveResult saved = list.addItem(QStringLiteral("New"), 1, QString());
        QVERIFY(!saved.saved);
        QVERIFY2(saved.problem.contains(QLatin1String("read-only")), qPrintable(saved.problem));
        QCOMPARE(list.entries().size(), SampleRows());
    }

    void answersFollowChangesMadeElsewhere()
    {
        TestPriceList file;
        file.withSample();
        PriceList list(file.path());
        QCOMPARE(list.open(), PriceList::OpenResult::Opened);
        // Changes by another program, quicker than the file's clock can tell apart.
        for (int i = 1; i <= 30; ++i) {
            QCOMPARE(list.lookupCost(PriceItem::BeefKill).cost, i == 1 ? 17.0 : double(i - 1));
            file.price(PriceItem::BeefKill, i);
            QCOMPARE(list.lookupCost(PriceItem::BeefKill).cost, double(i));
        }
        const QString item = QStringLiteral("Snack Sticks");
        QCOMPARE(list.lookupCost(item).status, CostLookup::Status::Missing);
        file.price(item, 4.5);
        QCOMPARE(list.lookupCost(item).cost, 4.5);
        // A change through another price list of this program.
        PriceList other(file.path());
        other.open();
        QVERIFY(other.addItem(QStringLiteral("Bratwurst"), 2.2, QString()).saved);
        QCOMPARE(list.lookupCost(QStringLiteral("Bratwurst")).cost, 2.2);
        file.without(item);
        QCOMPARE(list.lookupCost(item).status, CostLookup::Status::Missing);
    }

    void connectionsAreReleasedWithTheirOwner()
    {
        TestPriceList file;
        file.withSample();
        const int before = QSqlDatabase::connectionNames().size();
        {
            PriceList a(file.path());
            PriceList b(file.path());
            a.open();
            b.open();
            a.lookupCost(PriceItem::Deer);
            QCOMPARE(QSqlDatabase::connectionNames().size(), before + 2);
        }
        QCOMPARE(QSqlDatabase::connectionNames().size(), before);
    }
};

QTEST_GUILESS_MAIN(TestPriceListFile)
#include "test_price_list.moc"
