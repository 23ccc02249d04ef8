// locker-pricelist, run as the shop owner runs it: its output, its effect on
// the file and its exit status, for every command and every kind of error.

#include "book/estimate_book.h"
#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/cut_sheet.h"
#include "estimate/estimate_value.h"
#include "estimate/service_catalog.h"
#include "pg_server.h"
#include "pickups.h"
#include "pricelist/item_names.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_editor.h"
#include "pricelist/sample_price_list.h"
#include "pricelist/shop_details.h"
#include "sql_rows.h"
#include "store/csv.h"
#include "store/database.h"
#include "tcp_relay.h"
#include "test_price_list.h"
#include "tool_runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString CreateTable =
    QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric, Category Text)");

QStringList sampleRows()
{
    TestPriceList sample;
    sample.withSample();
    return sample.rows();
}

const char* const Commands[] = {"list",     "set",      "remove", "export", "import",
                                "history",  "init",     "shop",   "report", "bookings",
                                "capacity", "cutsheet", "help"};

// The bit of a service in the figures the book keeps.
int bit(ServiceId service)
{
    return 1 << static_cast<int>(service);
}

// A saved estimate with its figures as the estimate layer writes them; a
// final bill when `finalCents` is given.
EstimateRecord figured(const QString& species, qint64 quoteCents, std::optional<qint64> finalCents,
                       std::optional<double> hanging, int quoted, int charged, double live = 1000)
{
    EstimateRecord record;
    record.customer = QStringLiteral("%1 customer").arg(species);
    record.species = species;
    record.quoteState = QStringLiteral("quote");
    record.quoteCents = quoteCents;
    record.quoteServices = quoted;
    record.livePounds = live;
    if (finalCents) {
        record.finalState = QStringLiteral("final");
        record.finalCents = finalCents;
        record.weighedHanging = hanging;
        record.finalServices = charged;
    }
    return record;
}

// A beef estimate saved before the book kept its figures: quoted at $1000.00
// with tenderising, billed at $1040.00 with paper wrapping added, 610 lb
// hanging weighed of 1000 lb live. Only its states tell it.
EstimateRecord olderRecord()
{
    EstimateValue quote;
    quote.species = Species::Beef;
    quote.live = QStringLiteral("1000");
    quote.total = Figure::figured(QStringLiteral("1000.00"));
    quote.row(ServiceId::Tenderising).ticked = true;
    quote.row(ServiceId::Tenderising).accepted = true;
    EstimateValue final = quote;
    final.hanging = Figure::typedIn(QStringLiteral("610"));
    final.total = Figure::figured(QStringLiteral("1040.00"));
    final.row(ServiceId::PaperWrapp).ticked = true;
    final.row(ServiceId::PaperWrapp).accepted = true;
    EstimateRecord record;
    record.customer = QStringLiteral("Earlier customer");
    record.species = QStringLiteral("Beef");
    record.quoteState = quote.toRecord();
    record.finalState = final.toRecord();
    record.figured = false;
    return record;
}

// Saves the estimates whose report is worked out by hand in the tests of
// report; the number of the older one.
//   Beef: 6 estimates, 5 final bills of quotes of $1000.00: 980, 1030, 1040
//   (the older one), 1080 and 1150 dollars, with 580, 600, 610, 620 and 640 lb
//   hanging of 1000 lb live; tenderising dropped once, paper wrapping added
//   twice.
//   Pork: 2 estimates, no final bill.
//   Deer: 1 estimate, billed as quoted, not weighed.
qint64 saveKnownBook(EstimateBook& book)
{
    const int t = bit(ServiceId::Tenderising), p = bit(ServiceId::PaperWrapp);
    const QString beef = QStringLiteral("Beef");
    QList<EstimateRecord> records = {
        figured(beef, 100000, 98000, 580, t, 0),
        figured(beef, 100000, 103000, 600, t, t),
        olderRecord(),
        figured(beef, 100000, 108000, 620, t, t | p),
        figured(beef, 100000, 115000, 640, t, t),
        figured(beef, 90000, std::nullopt, std::nullopt, t, 0),
        figured(QStringLiteral("Pork"), 45000, std::nullopt, std::nullopt, 0, 0, 250),
        figured(QStringLiteral("Pork"), 47000, std::nullopt, std::nullopt, 0, 0, 260),
        figured(QStringLiteral("Deer"), 30000, 30000, std::nullopt, 0, 0, 150),
    };
    for (EstimateRecord& record : records)
        if (!book.save(record).done)
            return 0;
    return records[2].number;
}

// The value on a line of one species' part of the report ("Final bills" of
// "Beef"); empty when there is none.
QString reported(const QString& out, const QString& species, const QString& label)
{
    bool inSpecies = false;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char(' '))) {
            inSpecies = line == species;
            continue;
        }
        if (inSpecies && line.trimmed().startsWith(label))
            return line.trimmed().mid(label.size()).trimmed();
    }
    return QString();
}

} // namespace

class TestPriceListTool : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString problem;
        if (!server_.start(&problem))
            QFAIL(qPrintable(problem));
    }

    void helpListsEveryCommand()
    {
        ToolRunner tool;
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")},
              QStringList{QStringLiteral("help")}}) {
            const Run r = tool.run(arguments);
            QCOMPARE(r.status, 0);
            QVERIFY(r.err.isEmpty());
            QVERIFY(r.out.startsWith(QLatin1String("Usage: locker-pricelist [--pricelist PATH | "
                                                   "--database URL] COMMAND")));
            for (const char* command : Commands)
                QVERIFY2(r.out.contains(QStringLiteral("\n  %1").arg(QLatin1String(command))),
                         command);
            QVERIFY(r.out.contains(tool.defaultPath()));
        }
    }

    void eachCommandHasItsHelp()
    {
        ToolRunner tool;
        for (const char* command : Commands) {
            const QString name = QLatin1String(command);
            const QString usage =
                QStringLiteral("Usage: locker-pricelist [--pricelist PATH | --database URL] ");
            Run r = tool.run({name, QStringLiteral("--help")});
            QCOMPARE(r.status, 0);
            QVERIFY2(r.out.startsWith(usage + name), qPrintable(r.out));
            if (name != QLatin1String("help")) {
                QVERIFY2(r.out.contains(QLatin1String("Example")), command);
                r = tool.run({QStringLiteral("help"), name});
                QCOMPARE(r.status, 0);
                QVERIFY(r.out.startsWith(usage + name));
            }
        }
        // Help never touches a file.
        QVERIFY(!QFileInfo::exists(tool.defaultPath()));
        const Run r = tool.run({QStringLiteral("help"), QStringLiteral("sell")});
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains(QLatin1String("There is no command \"sell\"")));
    }

    // The manual page names every command and every option that --help
    // names: a command or an option added to the tool is added to both.
    void theManualPageNamesWhatTheHelpNames()
    {
        ToolRunner tool;
        const Run help = tool.run({QStringLiteral("--help")});
        QCOMPARE(help.status, 0);
        QFile page(QStringLiteral(LOCKER_MAN_PAGE));
        QVERIFY(page.open(QIODevice::ReadOnly));
        // As man shows it: without the roff's escapes and font changes.
        QString manual = QString::fromUtf8(page.readAll());
        static const QRegularExpression fonts(QStringLiteral("\\\\f[BIRP]"));
        manual.replace(fonts, QString()).replace(QLatin1String("\\-"), QLatin1String("-"));
        manual.replace(QLatin1String("\\%"), QString());
        const QString commands =
            help.out.section(QLatin1String("Commands:\n"), 1).section(QLatin1String("\n\n"), 0, 0);
        static const QRegularExpression commandLine(QStringLiteral("^  ([a-z]+)"),
                                                    QRegularExpression::MultilineOption);
        QStringList named;
        for (const QRegularExpressionMatch& m : commandLine.globalMatch(commands))
            named << m.captured(1);
        QCOMPARE(named.size(), int(std::size(Commands)) + 2); // with backup and restore
        static const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*)"));
        for (const QRegularExpressionMatch& m : option.globalMatch(help.out))
            named << m.captured(1);
        named.removeDuplicates();
        QVERIFY(named.contains(QLatin1String("--use-for-quotes")));
        for (const QString& name : named)
            QVERIFY2(
                manual.contains(QRegularExpression(QStringLiteral("(?<![\\w-])%1(?![\\w-])")
                                                       .arg(QRegularExpression::escape(name)))),
                qPrintable(name + QStringLiteral(" is not in the manual page")));
    }

    void versionIsTheProgramsVersion()
    {
        ToolRunner tool;
        const Run r = tool.run({QStringLiteral("--version")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("locker-pricelist %1\n").arg(QLatin1String(LOCKER_VERSION)));
    }

    void commandLineErrorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << "No command given.";
        QTest::newRow("only an option")
            << QStringList{"--pricelist", "x.db"} << "No command given.";
        QTest::newRow("unknown command")
            << QStringList{"sell", "Summer"} << "There is no command \"sell\".";
        QTest::newRow("unknown option") << QStringList{"list", "--all"} << "Unknown option --all.";
        QTest::newRow("pricelist without a path")
            << QStringList{"list", "--pricelist"} << "--pricelist needs a value.";
        QTest::newRow("pricelist with an empty path")
            << QStringList{"--pricelist=", "list"} << "--pricelist needs a path.";
        QTest::newRow("set without a cost")
            << QStringList{"set", "Summer"} << "set is missing an argument.";
        QTest::newRow("set without anything")
            << QStringList{"set"} << "set is missing an argument.";
        QTest::newRow("set with an unquoted name")
            << QStringList{"set", "Paper", "Wrapp", "0.49"}
            << "Put an item name with blanks in quotes: locker-pricelist set \"Paper Wrapp\" 0.49";
        QTest::newRow("remove without an item")
            << QStringList{"remove"} << "remove is missing an argument.";
        QTest::newRow("export without a file")
            << QStringList{"export"} << "export is missing an argument.";
        QTest::newRow("import without a file")
            << QStringList{"import"} << "import is missing an argument.";
        QTest::newRow("list with an argument")
            << QStringList{"list", "Summer"} << "list takes fewer arguments.";
        QTest::newRow("category with remove") << QStringList{"remove", "Summer", "--category", "X"}
                                              << "--category goes with set only.";
        QTest::newRow("import of no file")
            << QStringList{"import", ""} << "import needs a file name";
        QTest::newRow("export to no file")
            << QStringList{"export", ""} << "export needs a file name";
        QTest::newRow("init of no file") << QStringList{"init", ""} << "init needs a file name";
        QTest::newRow("history of no item")
            << QStringList{"history", ""} << "history needs an item name";
        QTest::newRow("history of an unquoted name")
            << QStringList{"history", "Paper", "Wrapp"}
            << "Put an item name with blanks in quotes: locker-pricelist history \"Paper Wrapp\"";
        QTest::newRow("new with remove")
            << QStringList{"remove", "Summer", "--new"} << "--new goes with set and import only.";
        QTest::newRow("yes with set") << QStringList{"set", "Summer", "3", "--yes"}
                                      << "--yes goes with remove and restore only.";
        QTest::newRow("roles without a server")
            << QStringList{"init", "--clerk-role", "locker_clerk"}
            << "--clerk-role and --owner-role go with init --database only";
    }
    void commandLineErrorsExitWithTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        QStringList withFile = arguments;
        if (!arguments.join(QLatin1Char(' ')).contains(QLatin1String("--pricelist")))
            withFile = QStringList{QStringLiteral("--pricelist"), file.path()} + arguments;
        const Run r = tool.run(withFile);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(file.rows(), before);
    }

    void initCreatesTheSamplePriceList()
    {
        ToolRunner tool;
        TestPriceList file;
        const Run r = tool.run({QStringLiteral("init"), file.path()});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains(
            QStringLiteral("Created the sample price list at %1.").arg(file.path())));
        QCOMPARE(file.rows(), sampleRows());
    }

    void initRefusesToOverwrite()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample().price(PriceItem::Summer, 2.8);
        const QStringList before = file.rows();
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("init"), file.path()},
              QStringList{QStringLiteral("--pricelist"), file.path(), QStringLiteral("init")}}) {
            const Run r = tool.run(arguments);
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(QLatin1String("already exists")), qPrintable(r.err));
            QCOMPARE(file.rows(), before);
        }
    }

    void initWithoutAPathMakesTheDefaultFile()
    {
        ToolRunner tool;
        QVERIFY(!QFileInfo::exists(tool.defaultPath()));
        Run r = tool.run({QStringLiteral("list")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QLatin1String("There is no price list at")));
        QVERIFY(r.err.contains(QStringLiteral("locker-pricelist init %1").arg(tool.defaultPath())));
        QVERIFY(!QFileInfo::exists(tool.defaultPath()));

        r = tool.run({QStringLiteral("init")});
        QCOMPARE(r.status, 0);
        QVERIFY(QFileInfo::exists(tool.defaultPath()));
        r = tool.run({QStringLiteral("set"), PriceItem::Processing, QStringLiteral("0.39")});
        QCOMPARE(r.status, 0);
        PriceList list(tool.defaultPath());
        QCOMPARE(list.open(), PriceList::OpenResult::Opened);
        QCOMPARE(list.lookupCost(PriceItem::Processing).cost, 0.39);
    }

    void listShowsTheRowsInAlignedColumns()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample().price(QStringLiteral("Odd"), 0.1234);
        const Run r = tool.on(file, {QStringLiteral("list")});
        QCOMPARE(r.status, 0);
        QStringList lines = r.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), SampleRows() + 2);
        QVERIFY(lines[0].startsWith(QLatin1String("Item ")));
        QVERIFY(lines[0].endsWith(QLatin1String(" Cost  Category")));

        QStringList expected = {QStringLiteral("Item|Cost|Category")};
        for (const QString& row : file.rows()) {
            const QStringList f = row.split(QLatin1Char('|'));
            const QString cost =
                f[1].contains(QLatin1Char('.'))
                    ? f[1].leftJustified(f[1].indexOf(QLatin1Char('.')) + 3, QLatin1Char('0'))
                    : f[1] + QStringLiteral(".00");
            expected << QStringList{f[0], cost, f[2]}.join(QLatin1Char('|'));
        }
        // Every line: the item from the left edge, the cost ending in one
        // column, the category starting two places after it.
        const qsizetype costEnd = lines[0].indexOf(QLatin1String("Cost")) + 4;
        for (int i = 0; i < lines.size(); ++i) {
            const QStringList f = expected[i].split(QLatin1Char('|'));
            const QString& line = lines[i];
            QVERIFY2(line.startsWith(f[0]), qPrintable(line));
            QCOMPARE(line.mid(costEnd - f[1].size(), f[1].size()), f[1]);
            QCOMPARE(line.mid(costEnd), QStringLiteral("  ") + f[2]);
            QCOMPARE(line.left(costEnd - f[1].size()).trimmed(), f[0]);
        }
        QVERIFY(r.out.contains(QLatin1String("\nSmoked Sausage w/ Jalepono & Cheddar  ")));
        QVERIFY(r.out.contains(QLatin1String(" 17.00  Kill\n")));
        QVERIFY(r.out.contains(QLatin1String(" 0.1234  Test\n")));
    }

    void listKeepsItsColumnsWithAVeryLongStoredName()
    {
        // A name stored by an earlier version, longer than a name may be now.
        ToolRunner tool;
        TestPriceList file;
        const QString longName = QStringLiteral("Custom Order ") + QString(300, QLatin1Char('x'));
        file.withSample().sql(
            {QStringLiteral("Insert Into Charges1 Values ('%1', 5, 'Special')").arg(longName)});
        Run r = tool.on(file, {QStringLiteral("list")});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const qsizetype costEnd = lines[0].indexOf(QLatin1String("Cost")) + 4;
        QVERIFY2(costEnd < 50, qPrintable(lines[0]));
        QCOMPARE(lines.last(), longName.left(39) + QStringLiteral("…  ") +
                                   QStringLiteral("5.00").rightJustified(costEnd - 42) +
                                   QStringLiteral("  Special"));
        QVERIFY(lines[1].startsWith(QLatin1String("BeefKill  ")));
        QCOMPARE(lines[1].mid(costEnd - 5), QStringLiteral("17.00  Kill"));
        // Whole in an export; and no longer a name that can be set.
        const QString csvPath = tool.home() + QStringLiteral("/prices.csv");
        QCOMPARE(tool.on(file, {QStringLiteral("export"), csvPath}).status, 0);
        QVERIFY(readFile(csvPath).contains(QStringLiteral("\n%1,5.00,Special\n").arg(longName)));
        const QStringList before = file.rows();
        r = tool.on(file, {QStringLiteral("set"), longName, QStringLiteral("6")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("at most 100 characters long; this one has 313")),
                 qPrintable(r.err));
        QCOMPARE(file.rows(), before);
    }

    void historyTellsEveryChangeNewestFirst()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QString csvPath = tool.home() + QStringLiteral("/prices.csv");
        // A spreadsheet's UTF-8 file may begin with a byte order mark.
        writeFile(csvPath, "\xEF\xBB\xBFItem,Cost,Category\nJerky,3.75,Sausage\n");
        for (const QStringList& arguments :
             {QStringList{"set", "BeefKill", "18.5"},
              QStringList{"set", "Snack Sticks", "3.25", "--category", "Sausage"},
              QStringList{"import", csvPath}, QStringList{"remove", "Snack Sticks"},
              QStringList{"set", "Jerky", "3.75", "--category", "Snacks"}})
            QCOMPARE(tool.on(file, arguments).status, 0);
        QVERIFY(file.rows().contains(QStringLiteral("Jerky|3.75|Snacks")));

        // One line a change, newest first, in columns; a category changed
        // alone is a change too.
        Run r = tool.on(file, {QStringLiteral("history")});
        QCOMPARE(r.status, 0);
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        const qsizetype item = lines[0].indexOf(QLatin1String("Item"));
        const qsizetype change = lines[0].indexOf(QLatin1String("Change"));
        QVERIFY(lines[0].startsWith(QLatin1String("When ")) && item > 0 && change > item);
        const QStringList items = {"Jerky", "Snack Sticks", "Jerky", "Snack Sticks", "BeefKill"};
        const QStringList changes = {"Category Sausage → Snacks", "Removed (was 3.25, Sausage)",
                                     "Cost 3.50 → 3.75", "Added at 3.25 (Sausage)",
                                     "Cost 17.00 → 18.50"};
        for (int i = 1; i < lines.size(); ++i) {
            QCOMPARE(lines[i].mid(item, change - item).trimmed(), items[i - 1]);
            QCOMPARE(lines[i].mid(change), changes[i - 1]);
            QVERIFY2(lines[i].contains(QStringLiteral("  %1  ").arg(QSysInfo::machineHostName())),
                     qPrintable(lines[i]));
        }
        // One item's changes, without the column of its name.
        r = tool.on(file, {QStringLiteral("history"), QStringLiteral("Snack Sticks")});
        QCOMPARE(r.status, 0);
        lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(!lines[0].contains(QLatin1String("Item")));
        QVERIFY(lines[1].endsWith(changes[1]) && lines[2].endsWith(changes[3]));
        // An item never changed, and one that is not there.
        r = tool.on(file, {QStringLiteral("history"), PriceItem::PorkKill});
        QCOMPARE(r.out, QStringLiteral("No change to \"PorkKill\" has been recorded yet.\n"));
        r = tool.on(file, {QStringLiteral("history"), QStringLiteral("Nothing Such")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("\"Nothing Such\" is not in the price list")),
                 qPrintable(r.err));
    }

    void listOfAnEmptyPriceList()
    {
        ToolRunner tool;
        TestPriceList file;
        file.sql({CreateTable});
        const Run r = tool.on(file, {QStringLiteral("list")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("The price list at %1 holds no items.\n").arg(file.path()));
    }

    void setChangesAnItem()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const Run r =
            tool.on(file, {QStringLiteral("set"), PriceItem::PaperWrapp, QStringLiteral("0.49")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("\"Paper Wrapp\" now costs 0.49 (1 row changed).\n"));
        QVERIFY(r.err.isEmpty());
        QVERIFY(file.rows().contains(QStringLiteral("Paper Wrapp|0.49|Processing")));
        QCOMPARE(file.rows().size(), SampleRows());

        const Run again = tool.on(file, {QStringLiteral("set"), PriceItem::SmokedSausageJalepono,
                                         QStringLiteral("3"), QStringLiteral("--category"),
                                         QStringLiteral("Smokehouse")});
        QCOMPARE(again.status, 0);
        QVERIFY(file.rows().contains(
            QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar|3|Smokehouse")));
    }

    void setAddsAMissingItem()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        Run r = tool.on(file, {QStringLiteral("set"), QStringLiteral("Snack Sticks"),
                               QStringLiteral("3.25"), QStringLiteral("--category=Sausage")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Added \"Snack Sticks\" at 3.25 (category \"Sausage\").\n"));
        QCOMPARE(file.rows().last(), QStringLiteral("Snack Sticks|3.25|Sausage"));

        // A name that starts with a dash comes after "--".
        r = tool.on(file, {QStringLiteral("set"), QStringLiteral("--"), QStringLiteral("-Special-"),
                           QStringLiteral("1")});
        QCOMPARE(r.status, 0);
        QCOMPARE(file.rows().last(), QStringLiteral("-Special-|1|Curing/Seasoning"));
        QCOMPARE(file.rows().size(), SampleRows() + 2);
    }

    void setRefusesACostThatIsNotMoney_data()
    {
        QTest::addColumn<QString>("cost");
        QTest::newRow("negative") << "-1";
        QTest::newRow("five decimals") << "1.23456";
        QTest::newRow("letters") << "two";
        QTest::newRow("comma") << "2,50";
        QTest::newRow("dollar sign") << "$2.50";
        QTest::newRow("empty") << "";
        QTest::newRow("beyond any price") << "99999999999999";
    }
    void setRefusesACostThatIsNotMoney()
    {
        QFETCH(QString, cost);
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        const Run r = tool.on(file, {QStringLiteral("set"), PriceItem::Summer, cost});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(MoneyAmountProblem(cost)), qPrintable(r.err));
        QVERIFY(r.err.contains(QLatin1String("The price of \"Summer\" was not changed.")));
        QCOMPARE(file.rows(), before);
    }

    void removeTakesAnItemAway()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        Run r = tool.on(
            file, {QStringLiteral("remove"), QStringLiteral("--yes"), PriceItem::FajitaStrips});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Removed \"Fajita Strips\" (1 row).\n"));
        QCOMPARE(file.rows().size(), SampleRows() - 1);
        PriceList list(file.path());
        list.open();
        QCOMPARE(list.lookupCost(PriceItem::FajitaStrips).status, CostLookup::Status::Missing);

        const QStringList before = file.rows();
        r = tool.on(file, {QStringLiteral("remove"), PriceItem::FajitaStrips});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err, QStringLiteral("locker-pricelist: \"Fajita Strips\" is not in the price "
                                       "list, so nothing was removed.\n"));
        QCOMPARE(file.rows(), before);
    }

    void exportAndImportRoundTripEverySampleItem()
    {
        ToolRunner tool;
        TestPriceList sample;
        sample.withSample();
        const QString csvPath = sample.folder() + QStringLiteral("/prices.csv");
        Run r = tool.on(sample, {QStringLiteral("export"), csvPath});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Wrote %1 items to %2.\n").arg(SampleRows()).arg(csvPath));
        // The sample prices go out as they are kept in data/.
        QCOMPARE(readFile(csvPath), SamplePricesCsv());

        TestPriceList empty;
        empty.sql({CreateTable});
        r = tool.on(empty, {QStringLiteral("import"), csvPath});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Imported %1: %2 items added, 0 rows changed.\n")
                            .arg(csvPath)
                            .arg(SampleRows()));
        QCOMPARE(empty.rows(), sample.rows());
    }

    void importChangesAndAddsItems()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QString csvPath = file.folder() + QStringLiteral("/new prices.csv");
        writeFile(csvPath, "Item,Cost,Category\n"
                           "\"Smoked Sausage w/ Jalepono & Cheddar\",2.95,\n"
                           "Paper Wrapp,0.52,Processing\n"
                           "\"Ham, Country Style\",4.10,Curing/Seasoning\n");
        const Run r = tool.on(file, {QStringLiteral("import"), csvPath});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out,
                 QStringLiteral("Imported %1: 1 item added, 2 rows changed.\n").arg(csvPath));
        const QStringList rows = file.rows();
        QCOMPARE(rows.size(), SampleRows() + 1);
        QVERIFY(rows.contains(QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar|2.95|Sausage")));
        QVERIFY(rows.contains(QStringLiteral("Paper Wrapp|0.52|Processing")));
        QCOMPARE(rows.last(), QStringLiteral("Ham, Country Style|4.1|Curing/Seasoning"));
        QVERIFY(rows.contains(QStringLiteral("BeefKill|17|Kill")));
    }

    void importWithABadLineChangesNothing()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        const QString csvPath = file.folder() + QStringLiteral("/prices.csv");
        writeFile(csvPath, "Item,Cost,Category\n"
                           "Summer,2.60,Sausage\n"
                           "Jerky,3.75,Sausage\n"
                           "HotStix,3.1O,Sausage\n"
                           "Snack Sticks,3.25,Sausage\n");
        Run r = tool.on(file, {QStringLiteral("import"), csvPath});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err, QStringLiteral("locker-pricelist: Line 4: \"3.1O\" is not an amount of "
                                       "money. Nothing was changed.\n"));
        QCOMPARE(file.rows(), before);

        r = tool.on(file, {QStringLiteral("import"), file.folder() + QStringLiteral("/none.csv")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QLatin1String("There is no file")));
        QCOMPARE(file.rows(), before);
    }

    void exportRefusesAPlaceItCannotWrite()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        Run r = tool.on(file, {QStringLiteral("export"),
                               file.folder() + QStringLiteral("/missing/prices.csv")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("could not be written")), qPrintable(r.err));
        r = tool.on(file, {QStringLiteral("export"), file.path()});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QLatin1String("is the price list itself")));
        QCOMPARE(file.integrity(), QStringLiteral("ok"));
        QCOMPARE(file.rows(), sampleRows());
    }

    void exportThatCannotBeWrittenWholeKeepsTheOldFile()
    {
        ToolRunner tool;
        TestPriceList file;
        QStringList filler = {QStringLiteral("Begin")};
        for (int i = 0; i < 60; ++i)
            filler
                << QStringLiteral("Insert Into Charges1 Values ('Filler %1', %1, 'Test')").arg(i);
        file.withSample().sql(filler << QStringLiteral("Commit"));
        const QByteArray old = "Item,Cost,Category\nthe last export,1.00,\n";
        const QString csvPath = file.folder() + QStringLiteral("/prices.csv");
        writeFile(csvPath, old);
        // Files of at most 1024 bytes; the limit told to the tool as an error.
        Run r = tool.run(
            {QStringLiteral("--pricelist"), file.path(), QStringLiteral("export"), csvPath},
            {QStringLiteral("sh"), QStringLiteral("-c"),
             QStringLiteral("trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("could not be written: the file would be larger "
                                              "than this user may write")),
                 qPrintable(r.err));
        QCOMPARE(readFile(csvPath).toUtf8(), old);
        QCOMPARE(QDir(file.folder()).entryList(QDir::Files | QDir::Hidden).size(), 2);

        // A full disk: a small file system of its own, for root only.
        QTemporaryDir disk;
        if (geteuid() != 0 || QProcess::execute(QStringLiteral("mount"),
                                                {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                 QStringLiteral("-o"), QStringLiteral("size=4k"),
                                                 QStringLiteral("tmpfs"), disk.path()}) != 0)
            QSKIP("only root can make a small disk to fill");
        const QString onDisk = disk.filePath(QStringLiteral("prices.csv"));
        writeFile(onDisk, old);
        r = tool.on(file, {QStringLiteral("export"), onDisk});
        const QByteArray kept = readFile(onDisk).toUtf8();
        const int files = int(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size());
        QProcess::execute(QStringLiteral("umount"), {disk.path()});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("could not be written: the disk is full")),
                 qPrintable(r.err));
        QCOMPARE(kept, old);
        QCOMPARE(files, 1);
    }

    void exportWritesOnlyRegularFiles()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QString fifo = file.folder() + QStringLiteral("/pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        Run r = tool.on(file, {QStringLiteral("export"), fifo});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("is a named pipe (FIFO), not a CSV file")),
                 qPrintable(r.err));
        struct stat info;
        QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &info) == 0 && S_ISFIFO(info.st_mode));

        // A link to a file stays a link; the file it names gets the export.
        const QString real = file.folder() + QStringLiteral("/real.csv");
        const QString link = file.folder() + QStringLiteral("/link.csv");
        writeFile(real, "old\n");
        QVERIFY(QFile::link(real, link));
        r = tool.on(file, {QStringLiteral("export"), link});
        QCOMPARE(r.status, 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(real), SamplePricesCsv());
    }

    void removingAnItemTheProgramLooksUpIsConfirmed()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        Run r = tool.on(file, {QStringLiteral("remove"), PriceItem::Curing});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(ItemNames::usedFor(PriceItem::Curing)), qPrintable(r.err));
        QVERIFY(r.err.contains(QLatin1String("add --yes")));
        QCOMPARE(file.rows(), before);

        // At a terminal the tool asks; only yes removes.
        const QStringList terminal = {QStringLiteral("sh"), QStringLiteral("-c"),
                                      QStringLiteral("exec script -qec \"$0 $*\" /dev/null")};
        const QStringList arguments = {QStringLiteral("--pricelist"), file.path(),
                                       QStringLiteral("remove"), PriceItem::Curing};
        r = tool.run(arguments, terminal, "n\n");
        QVERIFY2(r.out.contains(QLatin1String("Remove it? [y/N]")), qPrintable(r.out));
        QCOMPARE(file.rows(), before);
        r = tool.run(arguments, terminal, "y\n");
        QVERIFY2(r.out.contains(QLatin1String("Removed \"Curing\"")), qPrintable(r.out));
        QCOMPARE(file.rows().size(), before.size() - 1);
    }

    void newNamesThatLookLikeOthersNeedNew()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        const QString csvPath = file.folder() + QStringLiteral("/prices.csv");
        writeFile(csvPath, "Item,Cost,Category\nPROCESSING,0.39,\n");
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("set"), QStringLiteral("paper wrapp"),
                          QStringLiteral("1.25")},
              QStringList{QStringLiteral("import"), csvPath}}) {
            const QStringList rows = file.rows();
            Run r = tool.on(file, arguments);
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(QLatin1String("did you mean")) &&
                         r.err.contains(QLatin1String("add --new")),
                     qPrintable(r.err));
            QCOMPARE(file.rows(), rows);
            r = tool.on(file, arguments + QStringList{QStringLiteral("--new")});
            QCOMPARE(r.status, 0);
        }
        QCOMPARE(file.rows().size(), before.size() + 2);
    }

    void everyCommandUsesTheFirstRowOfTheExactName()
    {
        // A file made elsewhere: a column that compares without regard to
        // case, and a name held twice.
        ToolRunner tool;
        TestPriceList file;
        file.sql({QStringLiteral("Create Table Charges1 (Item Text Collate NoCase, Cost Numeric, "
                                 "Category Text)"),
                  QStringLiteral("Insert Into Charges1 Values ('curing', 0.1, 'Other')"),
                  QStringLiteral("Insert Into Charges1 Values ('Curing', 0.42, 'First')"),
                  QStringLiteral("Insert Into Charges1 Values ('Curing', 0.99, 'Second')")});
        Run r = tool.on(file, {QStringLiteral("set"), PriceItem::Curing, QStringLiteral("0.5")});
        QCOMPARE(r.status, 0);
        QCOMPARE(file.rows(),
                 QStringList({"curing|0.1|Other", "Curing|0.5|First", "Curing|0.5|Second"}));
        r = tool.on(file, {QStringLiteral("list")});
        QVERIFY(r.out.contains(QLatin1String("\ncuring ")));
        QVERIFY(r.out.contains(QLatin1String("  First\n")));
        QVERIFY(
            r.out.contains(QLatin1String("  Second  (not used: an earlier row has this name)\n")));
        PriceList list(file.path());
        list.open();
        QCOMPARE(list.lookupCost(QStringLiteral("curing")).cost, 0.1);
        r = tool.on(file, {QStringLiteral("remove"), QStringLiteral("curing")});
        QCOMPARE(r.status, 0);
        QCOMPARE(file.rows().size(), 2);
    }

    void anUnreadablePriceListIsToldAsSuch()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        QFile::setPermissions(file.path(), QFile::WriteOwner);
        QStringList asAnotherUser;
        if (geteuid() == 0) { // root reads anything: the tool runs as nobody
            QFile::setPermissions(file.folder(), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther);
            asAnotherUser = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                             QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
        }
        const Run r = tool.run({QStringLiteral("--pricelist"), file.path(), QStringLiteral("list")},
                               asAnotherUser);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("may not be read by this user")), qPrintable(r.err));
    }

    void everyCommandRefusesAMissingOrUnusableFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("list") << QStringList{"list"};
        QTest::newRow("set") << QStringList{"set", "Summer", "2.6"};
        QTest::newRow("remove") << QStringList{"remove", "Summer"};
        QTest::newRow("export") << QStringList{"export", "out.csv"};
        QTest::newRow("import") << QStringList{"import", "in.csv"};
    }
    void everyCommandRefusesAMissingOrUnusableFile()
    {
        QFETCH(QStringList, arguments);
        ToolRunner tool;
        TestPriceList file;
        writeFile(tool.home() + QStringLiteral("/in.csv"), "Item,Cost,Category\nSummer,3,\n");

        Run r = tool.on(file, arguments);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("There is no price list at %1.").arg(file.path())),
                 qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(file.path()));

        const QByteArray notAList = "Item,Cost,Category\nSummer,2.50,Sausage\n";
        writeFile(file.path(), notAList);
        r = tool.on(file, arguments);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("The price list cannot be used")), qPrintable(r.err));
        QCOMPARE(readFile(file.path()).toUtf8(), notAList);

        QFile::remove(file.path());
        file.sql({QStringLiteral("Create Table Prices (Item Text, Cost Numeric)")});
        r = tool.on(file, arguments);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("Charges1")), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(tool.home() + QStringLiteral("/out.csv")));
    }

    void aReadOnlyFileRefusesChangesButLists()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        if (!file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        const QString csvPath = file.folder() + QStringLiteral("/prices.csv");
        writeFile(csvPath, "Item,Cost,Category\nSummer,3,\n");
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("set"), PriceItem::Summer, QStringLiteral("3")},
              QStringList{QStringLiteral("remove"), QStringLiteral("--yes"), PriceItem::Summer},
              QStringList{QStringLiteral("import"), csvPath}}) {
            const Run r = tool.on(file, arguments);
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(QLatin1String("the price list file is read-only"),
                                    Qt::CaseInsensitive),
                     qPrintable(r.err));
            QVERIFY(r.out.isEmpty());
        }
        QCOMPARE(file.rows(), before);
        const Run listed = tool.on(file, {QStringLiteral("list")});
        QCOMPARE(listed.status, 0);
        QVERIFY(listed.out.contains(QLatin1String("\nSummer ")));
    }

    void aLockedFileRefusesChanges()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        {
            // Another program is in the middle of changing the file.
            OtherProgram other(file.path());
            QVERIFY(other.lock());
            const Run r =
                tool.on(file, {QStringLiteral("set"), PriceItem::Summer, QStringLiteral("3")});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(QLatin1String("another program holds the price list locked"),
                                    Qt::CaseInsensitive),
                     qPrintable(r.err));
            QVERIFY(r.err.contains(file.path()));
        }
        QCOMPARE(file.rows(), before);
        const Run r =
            tool.on(file, {QStringLiteral("set"), PriceItem::Summer, QStringLiteral("3")});
        QCOMPARE(r.status, 0);
    }

    // The shop's details are set with the tool in the price list, a file or a
    // server, where every counter reads them.
    void shopSetsTheHeaderOfThePrintedEstimate()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        const QString address = QStringLiteral("12 Mill Road\nTallowbrook, \"North\" \u00c9");
        Run r = tool.on(file, {QStringLiteral("shop")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("names Tallowbrook Processing")), qPrintable(r.out));
        r = tool.on(file, {QStringLiteral("shop"), QStringLiteral("--name"),
                           QStringLiteral("Mill Creek Lockers"), QStringLiteral("--address"),
                           address, QStringLiteral("--phone=555-0142")});
        QCOMPARE(r.status, 0);
        r = tool.on(file, {QStringLiteral("shop"), QStringLiteral("--name=-Mill Creek-")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("Phone:   555-0142")), qPrintable(r.out));
        const auto kept = [](const QString& location) {
            PriceConnection counter{StoreLocation(location)};
            counter.open();
            const ShopDetailsRead read = ShopDetailsStore::Read(counter);
            return read.done()
                       ? QStringList{read.details.name, read.details.address, read.details.phone}
                       : QStringList{read.problem};
        };
        QCOMPARE(kept(file.path()), (QStringList{QStringLiteral("-Mill Creek-"), address,
                                                 QStringLiteral("555-0142")}));

        for (const QStringList& wrong :
             {QStringList{QStringLiteral("shop"), QStringLiteral("Mill")},
              QStringList{QStringLiteral("shop"), QStringLiteral("--phone")},
              QStringList{QStringLiteral("list"), QStringLiteral("--name"), QStringLiteral("X")}}) {
            r = tool.on(file, wrong);
            QCOMPARE(r.status, 2);
            QVERIFY(!r.err.isEmpty());
        }

        // On a server, for every counter of it.
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        r = tool.run({QStringLiteral("--database"), url, QStringLiteral("shop"),
                      QStringLiteral("--phone"), QStringLiteral("555-0100")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(kept(url).value(2), QStringLiteral("555-0100"));

        // A price list that may not be written: told, nothing changed.
        if (!file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        r = tool.on(file, {QStringLiteral("shop"), QStringLiteral("--phone"), QStringLiteral("1")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("could not be saved")), qPrintable(r.err));
        QCOMPARE(kept(file.path()).value(2), QStringLiteral("555-0142"));
    }

    // init --database makes the tables on the server: a path besides is a
    // mistake, told before anything is made anywhere.
    void initOnAServerTakesNoPath()
    {
        ToolRunner tool;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Lockers.db"));
        const Run r = tool.run({QStringLiteral("init"), QStringLiteral("--database"),
                                QStringLiteral("postgresql://locker@127.0.0.1:1/none"), path});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QLatin1String("it takes no PATH")), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(path));
    }

    // A change whose answer was lost on the way back is told as it went:
    // kept, when the server can be asked on another connection; when it
    // cannot, as one that may have been kept, and how to see whether it was.
    void aChangeWhoseAnswerWasLostIsToldAsItWent()
    {
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        ToolRunner tool;
        QCOMPARE(tool.run({QStringLiteral("--database"), url, QStringLiteral("set"),
                           QStringLiteral("Processing"), QStringLiteral("0.40")})
                     .status,
                 0);
        TcpRelay relay(server_.port());
        const QString through = QString(url).replace(QStringLiteral(":%1/").arg(server_.port()),
                                                     QStringLiteral(":%1/").arg(relay.port()));
        relay.setMode(TcpRelay::Mode::LoseRepliesAfterCommit);
        Run r = tool.run({QStringLiteral("--database"), through, QStringLiteral("set"),
                          QStringLiteral("Processing"), QStringLiteral("0.41")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QLatin1String("now costs 0.41")), qPrintable(r.out));

        relay.setMode(TcpRelay::Mode::SilentAfterCommit);
        r = tool.run({QStringLiteral("--database"), through, QStringLiteral("set"),
                      QStringLiteral("Processing"), QStringLiteral("0.42")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("may have been kept")) &&
                     r.err.contains(QLatin1String("history shows whether")),
                 qPrintable(r.err));
        r = tool.run({QStringLiteral("--database"), url, QStringLiteral("history"),
                      QStringLiteral("Processing")});
        QVERIFY2(r.out.contains(QLatin1String("0.42")), qPrintable(r.out)); // it was
    }

    // The price list and the saved estimates of several counters on one
    // PostgreSQL server.
    void aServerKeepsThePriceListAndTheEstimates()
    {
        ToolRunner tool;
        QString problem;
        const QString url = server_.createDatabase(&problem);
        const QString copy = server_.createDatabase(&problem);
        QVERIFY2(!url.isEmpty() && !copy.isEmpty(), qPrintable(problem));
        const auto on = [&](const QString& database, const QStringList& arguments) {
            return tool.run(QStringList{"--database", database} + arguments);
        };
        QCOMPARE(on(url, {"init"}).status, 0);
        Run r = on(url, {"init"});
        QVERIFY2(r.status == 1 && r.err.contains("holds a price list already"), qPrintable(r.err));
        // A server set up by an earlier version: init makes its costs exact, once.
        const QString older = server_.createDatabase(&problem);
        {
            QSqlDatabase db = Database::AddServer(QStringLiteral("older"),
                                                  *Database::ParseServerUrl(older, nullptr));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("Create Table Charges1 (Item Text, Cost Double Precision, "
                                       "Category Text, rowid Bigint Generated By Default As "
                                       "Identity Primary Key)"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("older"));
        r = on(older, {"init"});
        QVERIFY2(r.status == 0 && r.out.contains("now kept as exact numbers") &&
                     r.out.contains("now recorded in the price history"),
                 qPrintable(r.out + r.err));
        QCOMPARE(on(older, {"init"}).status, 1);
        QCOMPARE(on(older, {"set", "Summer", "2.5"}).status, 0); // recorded from then on
        QVERIFY(on(older, {"history"}).out.contains("  Summer  Added at 2.50"));
        const QString csvPath = tool.home() + "/prices.csv";
        writeFile(csvPath, "Item,Cost,Category\nSummer,2.60,Sausage\nJerky,3.75,Sausage\n");
        for (const QStringList& arguments :
             {QStringList{"set", "Snack Sticks", "3.25"}, QStringList{"import", csvPath},
              QStringList{"remove", "--yes", "Summer"}, QStringList{"export", csvPath}})
            QCOMPARE(on(url, arguments).status, 0);
        QCOMPARE(readFile(csvPath),
                 QStringLiteral("Item,Cost,Category\nSnack Sticks,3.25,%1\nJerky,3.75,Sausage\n")
                     .arg(PriceListEditor::DefaultCategory));
        // The server's own record, with the server's user.
        const QStringList history = on(url, {"history", "Summer"}).out.split('\n');
        QVERIFY2(history.size() == 4 &&
                     history[1].endsWith("  locker  Removed (was 2.60, Sausage)") &&
                     history[2].endsWith("  locker  Added at 2.60 (Sausage)"),
                 qPrintable(history.join('\n')));
        const QString listed = on(url, {"list"}).out;
        QVERIFY2(listed.contains("\nSnack Sticks  3.25  "), qPrintable(listed));
        // The hint to confirm a look-alike name names the server again.
        r = on(url, {"set", "JERKY", "4"});
        QVERIFY2(r.status == 1 && r.err.contains("--database " + url + " set"), qPrintable(r.err));
        // The machine's setting names the server when the command line does not.
        QSettings settings(tool.configFolder() + "/locker-estimate/shop.conf",
                           QSettings::IniFormat);
        // One the tool cannot use is told, never passed over for the file.
        settings.setValue("database",
                          QString(url).replace(QRegularExpression(":[0-9]+/"), ":70000/"));
        settings.sync();
        r = tool.run({"list"});
        QVERIFY2(r.status == 1 && r.err.contains("The database set in") &&
                     r.err.contains("not a port number"),
                 qPrintable(r.err));
        settings.setValue("database", url);
        settings.sync();
        QCOMPARE(tool.run({"list"}).out, listed);

        const QString lockers = tool.home() + "/Lockers.db";
        for (const QStringList& wrong :
             {QStringList{"--pricelist", lockers, "--database", url, "list"},
              QStringList{"--database", QString(url).replace("locker@", "locker:secret@"), "list"},
              QStringList{"init", "--from", lockers}})
            QCOMPARE(tool.run(wrong).status, 2);

        // A shop's files copied to the server; a second copy changes nothing.
        QCOMPARE(tool.run({"init", lockers}).status, 0);
        QCOMPARE(tool.run({"--pricelist", lockers, "set", "Beef Sticks", "4.10"}).status, 0);
        EstimateRecord record;
        record.customer = "Ada Miller";
        QVERIFY(EstimateBook(EstimateBook::pathBeside(lockers)).save(record).done);
        const auto copied = [&] {
            QStringList found = {on(copy, {"list"}).out};
            for (const EstimateListing& e : EstimateBook(copy).list(QString(), &problem))
                found << QStringLiteral("%1 %2").arg(e.number).arg(e.customer);
            return found;
        };
        r = on(copy, {"init", "--from", lockers});
        QVERIFY2(r.status == 0 && r.out.contains(" and 1 saved estimate to the database "),
                 qPrintable(r.out + r.err));
        const QStringList expected = {tool.run({"--pricelist", lockers, "list"}).out,
                                      QStringLiteral("%1 Ada Miller").arg(record.number)};
        QCOMPARE(copied(), expected);
        r = on(copy, {"init", "--from", lockers});
        QCOMPARE(r.status, 1);
        QCOMPARE(copied(), expected);
        // A server holding estimates but no prices: neither is copied, so
        // nothing is left half done.
        const QString third = server_.createDatabase(&problem);
        QCOMPARE(on(third, {"init"}).status, 0);
        EstimateRecord there;
        there.customer = "Bo Ek";
        QVERIFY(EstimateBook(third).save(there).done);
        r = on(third, {"init", "--from", lockers});
        QCOMPARE(r.status, 1);
        PriceList thirdPrices(third);
        QCOMPARE(thirdPrices.open(), PriceList::OpenResult::Opened);
        QCOMPARE(thirdPrices.entries().size(), 0);

        // A server that is not running.
        QVERIFY2(server_.stop(&problem), qPrintable(problem));
        r = on(copy, {"list"});
        QVERIFY2(server_.start(&problem), qPrintable(problem));
        QVERIFY2(r.status == 1 && r.err.contains("database " + copy.section('/', -1) + " "),
                 qPrintable(r.err));
    }

    // The clerks' and the owner's roles made by init, made again, refused
    // when wrongly named; a clerk's price change told and refused.
    void serverRolesKeepThePricesToTheOwner()
    {
        ToolRunner tool;
        QString problem;
        const QString url = server_.createDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        const auto on = [&](const QString& database, const QStringList& arguments) {
            return tool.run(QStringList{"--database", database} + arguments);
        };
        const QStringList init = {"init", "--clerk-role", "tool_clerk", "--owner-role",
                                  "tool_owner"};
        Run r = on(url, init);
        QVERIFY2(r.status == 0 && r.out.contains("Made the tables") &&
                     r.out.contains("Made the role tool_clerk, a group without a login") &&
                     r.out.contains("Made the role tool_owner, a group without a login") &&
                     r.out.contains("GRANT tool_clerk TO anna; GRANT tool_owner TO maria;"),
                 qPrintable(r.out + r.err));
        r = on(url, init);
        QVERIFY2(r.status == 0 && r.out.contains("were there already, of this version") &&
                     r.out.count("was there already, with its rights") == 2,
                 qPrintable(r.out + r.err));
        QCOMPARE(on(url, {"init"}).status, 1); // without roles, still refused
        for (const QStringList& wrong :
             {QStringList{"init", "--clerk-role", "Tool Clerk"},
              QStringList{"init", "--clerk-role", "tool_clerk", "--owner-role", "tool_clerk"},
              QStringList{"list", "--owner-role", "tool_owner"}}) {
            r = on(url, wrong);
            QVERIFY2(r.status == 2 && r.err.contains("role"), qPrintable(r.err));
        }
        SqlRows(url, {"Create Role tom Login", "Grant tool_clerk To tom"});
        // What a clerk may not do is the store's to refuse; the tool tells it
        // and ends with 1.
        const QString tom = QString(url).replace("//locker@", "//tom@");
        r = on(tom, {"set", "Summer", "3"});
        QVERIFY2(r.status == 1 && r.err.contains("only the owner can change prices") &&
                     r.err.contains("Nothing was changed."),
                 qPrintable(r.err));
        // A clerk's backup and init are told to be the owner's, in the tool's
        // words, without the server's raw warnings.
        r = on(tom, {"backup", tool.home() + "/by tom"});
        QVERIFY2(r.status == 1 && r.err.contains("Run the backup as the shop's owner") &&
                     !r.err.contains("GRANT"),
                 qPrintable(r.err));
        r = on(tom, init);
        QVERIFY2(r.status == 1 && !(r.out + r.err).contains("WARNING"), qPrintable(r.out + r.err));
    }

    // A book of known bills: each figure of the report as worked out by hand.
    void reportFiguresTheQuotesAgainstTheFinalBills()
    {
        ToolRunner tool;
        TestPriceList file;
        EstimateBook book(EstimateBook::pathBeside(file.path()));
        const qint64 older = saveKnownBook(book);
        QVERIFY(older > 0);

        Run r = tool.on(file, {QStringLiteral("report")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QVERIFY2(r.out.contains(book.path()) && r.out.contains(QLatin1String("every species")),
                 qPrintable(r.out));
        const auto beef = [&](const char* label) {
            return reported(r.out, QStringLiteral("Beef"), QString::fromUtf8(label));
        };
        QCOMPARE(beef("Estimates"), QStringLiteral("6"));
        QCOMPARE(beef("Final bills"), QStringLiteral("5 of 6 (83 %)"));
        // Hanging ÷ live 0.58, 0.60, 0.61, 0.62, 0.64: the 10th percentile
        // 0.588, the 90th 0.632.
        QCOMPARE(beef("Hanging ÷ live weight"),
                 QStringLiteral("median 0.61, 10th to 90th percentile 0.59 to 0.63 (5 animals "
                                "weighed)"));
        // Final − quote: −20, +30, +40, +80, +150 dollars.
        QCOMPARE(beef("Final bill against quote"), QStringLiteral("median +$40.00 (+4.0 %)"));
        QCOMPARE(beef("Within ±5 % of the quote"), QStringLiteral("3 of 5 (60 %)"));
        QCOMPARE(beef("Within ±10 % of the quote"), QStringLiteral("4 of 5 (80 %)"));
        QCOMPARE(beef("Services added"), QStringLiteral("Paper Wrapp (2)"));
        QCOMPARE(beef("Services dropped"), QStringLiteral("Tenderising (1)"));

        QCOMPARE(reported(r.out, QStringLiteral("Pork"), QStringLiteral("Estimates")),
                 QStringLiteral("2"));
        QVERIFY(reported(r.out, QStringLiteral("Pork"), QStringLiteral("Final bills")).isEmpty());
        QVERIFY(reported(r.out, QStringLiteral("Pork"), QStringLiteral("No final bills"))
                    .contains(QLatin1String("nothing to compare")));
        const auto deer = [&](const char* label) {
            return reported(r.out, QStringLiteral("Deer"), QString::fromUtf8(label));
        };
        QVERIFY(deer("Hanging ÷ live weight").startsWith(QLatin1String("nothing weighed")));
        QCOMPARE(deer("Final bill against quote"), QStringLiteral("median $0.00 (0.0 %)"));
        QCOMPARE(deer("Services added"), QStringLiteral("none"));
        QVERIFY(r.out.contains(QLatin1String("In all: 9 estimates, 6 final bills.")));
        QVERIFY(!r.out.contains(QLatin1String("Not counted")));
        // The older estimate's figures were filled in from its states, and kept.
        QString problem;
        const std::optional<EstimateRecord> filled = book.open(older, &problem);
        QVERIFY2(filled, qPrintable(problem));
        QVERIFY(filled->figured);
        QCOMPARE(filled->finalCents, std::optional<qint64>(104000));
        QCOMPARE(filled->weighedHanging, std::optional<double>(610));

        // One species; the days the estimates were first saved.
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--species=beef")});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains(QLatin1String("beef only")));
        QCOMPARE(reported(r.out, QStringLiteral("Beef"), QStringLiteral("Final bills")),
                 QStringLiteral("5 of 6 (83 %)"));
        QVERIFY(!r.out.contains(QLatin1String("\nPork\n")) &&
                !r.out.contains(QLatin1String("In all")));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("move-pork"));
            db.setDatabaseName(book.path());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral(
                "Update Estimates Set Created = '2024-03-01T10:00:00' Where Species = 'Pork'")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("move-pork"));
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--from"),
                           QStringLiteral("2024-03-01"), QStringLiteral("--to"),
                           QStringLiteral("2024-03-01")});
        QCOMPARE(r.status, 0);
        QCOMPARE(reported(r.out, QStringLiteral("Pork"), QStringLiteral("Estimates")),
                 QStringLiteral("2"));
        QVERIFY2(reported(r.out, QStringLiteral("Beef"), QStringLiteral("Estimates")).isEmpty(),
                 qPrintable(r.out));
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--from"),
                           QStringLiteral("2024-03-02")});
        QCOMPARE(r.status, 0);
        QVERIFY(reported(r.out, QStringLiteral("Pork"), QStringLiteral("Estimates")).isEmpty());
        QCOMPARE(reported(r.out, QStringLiteral("Beef"), QStringLiteral("Estimates")),
                 QStringLiteral("6"));
    }

    // The owner sets what the shop can take in, setting by setting; it is
    // kept with the prices, and what cannot be read is refused with nothing
    // changed.
    void capacityIsShownAndSet()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        Run r = tool.on(file, {QStringLiteral("capacity"), QStringLiteral("cooler=6000"),
                               QStringLiteral("Tue=Beef:2,Pork:4"), QStringLiteral("hang.Beef=21"),
                               QStringLiteral("Sat=units:3.5")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        PriceList prices(file.path());
        QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
        KillCapacity set = prices.shopSettings().capacity;
        QCOMPARE(set.coolerPounds, 6000);
        QCOMPARE(set.hangingDays(QStringLiteral("Beef")), 21);
        QCOMPARE(set.days[1].animals.value(QStringLiteral("Pork")), 4);
        QCOMPARE(set.days[5].units, std::optional<int>(350));

        r = tool.on(file, {QStringLiteral("capacity"), QStringLiteral("Tue="),
                           QStringLiteral("cooler=lots")});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QLatin1String("\"cooler=lots\" is not a capacity setting")),
                 qPrintable(r.err));
        r = tool.on(file, {QStringLiteral("capacity"), QStringLiteral("Tue=")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QRegularExpression(QStringLiteral("Tuesday +no limit set"))) &&
                     r.out.contains(QRegularExpression(QStringLiteral("Saturday +3.5 units"))) &&
                     r.out.contains(QRegularExpression(QStringLiteral("Cooler +6000 lb"))),
                 qPrintable(r.out));
    }

    // A cut sheet's master shown as the counter fills sheets from it (the
    // sample's until the owner sets one), set from a file written as shown,
    // kept with the prices for every counter; a file that is not a master
    // changes nothing.
    void aCutSheetMasterIsShownAndSet()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        Run r = tool.on(file, {QStringLiteral("cutsheet"), QStringLiteral("deer")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), CutMaster::Sample(QStringLiteral("Deer")).text());

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("deer.txt"));
        const auto write = [&](const QString& text) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(text.toUtf8());
        };
        write(r.out.replace(QLatin1String("keeps Heart|Liver|Cape|Antlers"),
                            QLatin1String("keeps Heart|Cape|Hide")));
        r = tool.on(file, {QStringLiteral("cutsheet"), QStringLiteral("Deer"), path});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        PriceList prices(file.path());
        QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
        const CutMaster kept = MasterOf(prices.shopSettings(), QStringLiteral("Deer"));
        QCOMPARE(kept.keeps, (QStringList{QStringLiteral("Heart"), QStringLiteral("Cape"),
                                          QStringLiteral("Hide")}));
        QCOMPARE(kept.primals, CutMaster::Sample(QStringLiteral("Deer")).primals);
        QCOMPARE(MasterOf(prices.shopSettings(), QStringLiteral("Beef")),
                 CutMaster::Sample(QStringLiteral("Beef")));

        write(QStringLiteral("primal Neck|0.5|front|ground\nprimal Ham|0.6|hind|roasts"));
        r = tool.on(file, {QStringLiteral("cutsheet"), QStringLiteral("Deer"), path});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QLatin1String("The deer cut sheet was not changed.")) &&
                     r.err.contains(QLatin1String("more than all of it")),
                 qPrintable(r.err));
        r = tool.on(file, {QStringLiteral("cutsheet"), QStringLiteral("elk")});
        QCOMPARE(r.status, 2);
        r = tool.on(file, {QStringLiteral("cutsheet"), QStringLiteral("Deer")});
        QVERIFY(r.out.contains(QLatin1String("keeps Heart|Cape|Hide")));
    }

    // Bookings listed by the days they take, and by state.
    void bookingsAreListedByDayAndState()
    {
        ToolRunner tool;
        TestPriceList file;
        EstimateBook book(EstimateBook::pathBeside(file.path()));
        for (int i = 0; i < 3; ++i) {
            Booking b;
            b.customer = QStringLiteral("Hunter %1").arg(i);
            b.species = i == 2 ? QStringLiteral("Deer") : QStringLiteral("Beef");
            b.kill = QDate(2026, 10, 5 + 7 * i);
            b.dropOff = b.kill;
            b.hangingDays = 14;
            b.state = i == 0 ? Booking::State::Killed : Booking::State::Booked;
            b.payments = {{Payment::Kind::Deposit, 5000 + i, b.kill.addDays(-30),
                           Payment::Method::Cash, QString(), QString()}};
            QVERIFY(book.keep(b).done);
        }
        Run r = tool.on(file, {QStringLiteral("bookings"), QStringLiteral("--from"),
                               QStringLiteral("2026-10-13"), QStringLiteral("--to"),
                               QStringLiteral("2026-10-19")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4); // the head, Hunter 0 (hanging), 1 and 2
        QVERIFY2(lines[1].contains(QLatin1String("2026-10-05  2026-10-19  Beef")) &&
                     lines[1].contains(QLatin1String("killed")) &&
                     lines[1].contains(QLatin1String("$50.00")),
                 qPrintable(r.out));
        r = tool.on(file, {QStringLiteral("bookings"), QStringLiteral("--from"),
                           QStringLiteral("2026-10-01"), QStringLiteral("--state"),
                           QStringLiteral("booked")});
        lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[2].contains(QLatin1String("Hunter 2")) &&
                     lines[2].contains(QLatin1String("$50.02")),
                 qPrintable(r.out));
        r = tool.on(file, {QStringLiteral("bookings"), QStringLiteral("--from"),
                           QStringLiteral("2026-11-01"), QStringLiteral("--to"),
                           QStringLiteral("2026-10-01")});
        QCOMPARE(r.status, 2);
    }

    void reportWithoutFinalBillsSaysSo()
    {
        ToolRunner tool;
        TestPriceList file;
        // No estimates file at all.
        Run r = tool.on(file, {QStringLiteral("report")});
        QCOMPARE(r.status, 0);
        QVERIFY2(
            r.out.contains(QLatin1String("No estimates of beef, pork or deer have been saved")),
            qPrintable(r.out));
        QVERIFY(!QFileInfo::exists(EstimateBook::pathBeside(file.path())));

        // Estimates, none billed.
        EstimateBook book(EstimateBook::pathBeside(file.path()));
        for (const qint64 quote : {45000, 47000, 52000}) {
            EstimateRecord record =
                figured(QStringLiteral("Pork"), quote, std::nullopt, std::nullopt, 0, 0, 250);
            QVERIFY(book.save(record).done);
        }
        r = tool.on(file, {QStringLiteral("report")});
        QCOMPARE(r.status, 0);
        QCOMPARE(reported(r.out, QStringLiteral("Pork"), QStringLiteral("Estimates")),
                 QStringLiteral("3"));
        QVERIFY2(r.out.contains(QLatin1String("No final bills yet")), qPrintable(r.out));
        for (const char* empty : {"Final bills", "Hanging", "Within", "Services", "median"})
            QVERIFY2(!r.out.contains(QLatin1String(empty)), empty);
        // A range without estimates.
        r = tool.on(
            file, {QStringLiteral("report"), QStringLiteral("--to"), QStringLiteral("2001-12-31")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("were saved in that range")), qPrintable(r.out));
        QVERIFY(!r.out.contains(QLatin1String("Pork")));
        // --adopt has nothing to set from.
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--adopt")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("No range was set")), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(tool.configFolder() + QStringLiteral("/locker-estimate")));
    }

    void reportCommandLineErrorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("day not written as a date")
            << QStringList{"report", "--from", "3/1/2025"} << "--from \"3/1/2025\" is not a day";
        QTest::newRow("no such day")
            << QStringList{"report", "--to", "2025-02-30"} << "--to \"2025-02-30\" is not a day";
        QTest::newRow("empty day") << QStringList{"report", "--from="} << "is not a day";
        QTest::newRow("from after to")
            << QStringList{"report", "--from", "2025-06-01", "--to", "2025-05-31"}
            << "--from 2025-06-01 is after --to 2025-05-31";
        QTest::newRow("unknown species")
            << QStringList{"report", "--species", "Goat"} << "There is no species \"Goat\"";
        QTest::newRow("middle without adopt")
            << QStringList{"report", "--middle"} << "--middle goes with --adopt";
        QTest::newRow("adopt with another command")
            << QStringList{"list", "--adopt"} << "--adopt goes with report only";
        QTest::newRow("report with an argument")
            << QStringList{"report", "Beef"} << "report takes fewer arguments";
    }
    void reportCommandLineErrorsExitWithTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        ToolRunner tool;
        TestPriceList file;
        EstimateBook book(EstimateBook::pathBeside(file.path()));
        QVERIFY(saveKnownBook(book) > 0);
        const Run plain = tool.on(file, arguments);
        QCOMPARE(plain.status, 2);
        QVERIFY2(plain.err.contains(message), qPrintable(plain.err));
        QVERIFY(plain.out.isEmpty());
        QVERIFY(!QFileInfo::exists(tool.configFolder() + QStringLiteral("/locker-estimate")));
    }

    // --adopt makes the measured ranges the shop's, where the program reads them.
    void reportAdoptSetsTheShopsRanges()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        EstimateBook book(EstimateBook::pathBeside(file.path()));
        QVERIFY(saveKnownBook(book) > 0);
        // As a counter on the same price list reads it.
        const auto setting = [&](const QString& species) {
            PriceList counter(file.path());
            const std::optional<RatioSetting> found =
                counter.open() == PriceList::OpenResult::Opened
                    ? counter.shopSettings().ratio(species)
                    : std::nullopt;
            return found ? QStringLiteral("%1 %2 %3")
                               .arg(found->low)
                               .arg(found->high)
                               .arg(found->middle)
                         : QStringLiteral("none");
        };
        Run r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--adopt")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("Set the beef hanging weight to 0.59 to 0.63")) &&
                     r.out.contains(QLatin1String("0.58 to 0.64, the published figures")),
                 qPrintable(r.out));
        // Kept with the price list given, never in the machine's settings.
        QVERIFY2(r.out.contains(file.path()), qPrintable(r.out));
        QVERIFY(!QFileInfo::exists(tool.configFolder() + QStringLiteral("/locker-estimate")));
        // Deer has no weighed bill, pork no bill at all: told, left as they are.
        QVERIFY2(r.err.contains(QLatin1String("deer range was not set: 0 weighed animals")) &&
                     r.err.contains(QLatin1String("pork range was not set")),
                 qPrintable(r.err));
        QCOMPARE(setting(QStringLiteral("Beef")), QStringLiteral("0.59 0.63 0"));
        QCOMPARE(setting(QStringLiteral("Deer")), QStringLiteral("none"));

        r = tool.on(file,
                    {QStringLiteral("report"), QStringLiteral("--species"), QStringLiteral("Beef"),
                     QStringLiteral("--adopt"), QStringLiteral("--middle")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("middle 0.61")) &&
                     r.out.contains(QLatin1String("it was 0.59 to 0.63")),
                 qPrintable(r.out));
        QVERIFY(r.err.isEmpty());
        QCOMPARE(setting(QStringLiteral("Beef")), QStringLiteral("0.59 0.63 0.61"));
        // The middle for quotes: only with --middle.
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--adopt"),
                           QStringLiteral("--use-for-quotes")});
        QCOMPARE(r.status, 2);
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--species=Beef"),
                           QStringLiteral("--adopt"), QStringLiteral("--middle"),
                           QStringLiteral("--use-for-quotes")});
        QVERIFY2(r.out.contains(QLatin1String("middle 0.61, which figures its quotes")),
                 qPrintable(r.out));

        // Only the days with four weighed bills: too few.
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("move-one"));
            db.setDatabaseName(book.path());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(
                QStringLiteral("Update Estimates Set Created = '2024-03-01T10:00:00' Where "
                               "WeighedHanging = 640")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("move-one"));
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--from=2025-01-01"),
                           QStringLiteral("--adopt")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("beef range was not set: 4 weighed animals")),
                 qPrintable(r.err));
        QCOMPARE(setting(QStringLiteral("Beef")), QStringLiteral("0.59 0.63 0.61"));

        // A measured range that the estimates cannot use is refused.
        TestPriceList heavy;
        EstimateBook heavyBook(EstimateBook::pathBeside(heavy.path()));
        for (const double hanging : {930.0, 940.0, 950.0, 960.0, 970.0}) {
            EstimateRecord record = figured(QStringLiteral("Beef"), 100000, 101000, hanging, 0, 0);
            QVERIFY(heavyBook.save(record).done);
        }
        r = tool.on(heavy, {QStringLiteral("report"), QStringLiteral("--adopt")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("The beef range measured, 0.93 to 0.97, was not "
                                              "set")) &&
                     r.err.contains(QLatin1String("from 0.3 to 0.9")),
                 qPrintable(r.err));
        QCOMPARE(setting(QStringLiteral("Beef")), QStringLiteral("0.59 0.63 0.61"));
    }

    // The take-home quoted against the packaged weights recorded at pickup,
    // and --adopt-yields: refused with too few pickups, set with enough.
    void reportAdoptYieldsSetsTheShopsYields()
    {
        ToolRunner tool;
        TestPriceList file;
        file.withSample();
        EstimateBook book(EstimateBook::pathBeside(file.path()));
        for (int i = 0; i < 4; ++i)
            QVERIFY(Pickups::PickedUpBeef(book, i, 1100 + 50 * i, 0.6, 0.96 + 0.01 * i));
        const auto yields = [&] {
            PriceList counter(file.path());
            return counter.open() == PriceList::OpenResult::Opened
                       ? counter.shopSettings().yields.value(QStringLiteral("Beef"))
                       : QStringLiteral("unread");
        };
        Run r = tool.on(file, {QStringLiteral("report")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("Take-home quoted against the meat packed at "
                                              "pickup:\nBeef: 4 of 4 pickups within the "
                                              "take-home quoted; packaged 0.97 of the published "
                                              "yields (0.96 to 0.99).")),
                 qPrintable(r.out));
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--adopt-yields")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QLatin1String("The beef yields were not set: 4 weighed pickups")),
                 qPrintable(r.err));
        QCOMPARE(yields(), QString());

        QVERIFY(Pickups::PickedUpBeef(book, 4, 1300, 0.61, 0.97));
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--species=Beef"),
                           QStringLiteral("--adopt-yields")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("Set the beef yields to 0.97 of the published "
                                              "figures")),
                 qPrintable(r.out));
        QCOMPARE(yields(), QStringLiteral("measured 0.97 0.99 1.02"));
        // Another species' report says there are none.
        r = tool.on(file, {QStringLiteral("report"), QStringLiteral("--species=Deer")});
        QVERIFY2(r.out.contains(QLatin1String("No order killed in that range was picked up")),
                 qPrintable(r.out));
    }

    // The same rows on a PostgreSQL server give the same report.
    void reportOnAServerGivesTheSameFigures()
    {
        ToolRunner tool;
        QString problem;
        const QString url = server_.createDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        EstimateBook onServer(url);
        QVERIFY(saveKnownBook(onServer) > 0);
        TestPriceList file;
        EstimateBook inFile(EstimateBook::pathBeside(file.path()));
        QVERIFY(saveKnownBook(inFile) > 0);
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("report")},
              QStringList{QStringLiteral("report"), QStringLiteral("--species"),
                          QStringLiteral("Beef")}}) {
            const Run there = tool.run(QStringList{QStringLiteral("--database"), url} + arguments);
            QCOMPARE(there.status, 0);
            QVERIFY2(there.err.isEmpty(), qPrintable(there.err));
            QVERIFY2(there.out.section(QLatin1Char('\n'), 0, 0)
                         .contains(url.section(QLatin1Char('/'), -1)),
                     qPrintable(there.out));
            QCOMPARE(reported(there.out, QStringLiteral("Beef"),
                              QStringLiteral("Hanging ÷ live weight")),
                     QStringLiteral("median 0.61, 10th to 90th percentile 0.59 to 0.63 (5 animals "
                                    "weighed)"));
            const Run here = tool.on(file, arguments);
            QCOMPARE(here.status, 0);
            // All but the first line, which names where the estimates are.
            QCOMPARE(there.out.section(QLatin1Char('\n'), 1),
                     here.out.section(QLatin1Char('\n'), 1));
        }
    }

private:
    PgTestServer server_;
};

QTEST_GUILESS_MAIN(TestPriceListTool)
#include "test_pricelist_tool.moc"
