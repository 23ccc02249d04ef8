// A damaged, missing, replaced or busy price list: the clerk is told in plain
// words, the screens stay as they were, the file is never left half-written.

#include "estimate_counter.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "widgets.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>
#include <memory>

namespace {

// The environment variable that turns this program into a writer that adds
// items to a price list until it is killed.
const char* const WriterVariable = "LOCKER_TEST_WRITER";

int runWriter(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PriceList list(qEnvironmentVariable(WriterVariable));
    if (list.open() != PriceList::OpenResult::Opened)
        return 1;
    for (int i = 1;; ++i) {
        const SaveResult saved =
            list.addItem(QStringLiteral("Killed %1").arg(i), i, PriceItem::AddedItemCategory);
        if (!saved.saved)
            return 2;
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}

using Counter = EstimateCounter;

void truncate(const QString& path, qint64 size)
{
    QFile f(path);
    QVERIFY(f.resize(size));
}

} // namespace

class TestDamagedPriceList : public QObject {
    Q_OBJECT

private slots:
    void truncatedFileIsFoundAtStartUp()
    {
        Counter c;
        c.file.withSample();
        truncate(c.file.path(), 4096); // the first page only: the rows are gone
        c.dialogs.press(QMessageBox::Ok);
        c.start();
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(QLatin1String("damaged")),
                 qPrintable(c.dialogs.seen()[0].text));
        QVERIFY(!c.flag()->isChecked());
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("17.00"));
    }

    void fileCutInTheMiddleNeverCrashes()
    {
        TestPriceList file;
        file.withSample();
        QStringList filler{QStringLiteral("Begin")};
        for (int i = 0; i < 3000; ++i)
            filler
                << QStringLiteral("Insert Into Charges1 Values ('Filler %1', %1, 'Test')").arg(i);
        filler << QStringLiteral("Commit");
        file.sql(filler);
        const qint64 size = QFileInfo(file.path()).size();
        truncate(file.path(), size / 2);
        PriceList list(file.path());
        if (list.open() != PriceList::OpenResult::Opened) {
            QVERIFY(list.openProblem().contains(QLatin1String("damaged")));
            return;
        }
        // Every answer is a price or a reason; none is a crash or a made-up price.
        int reasons = 0;
        for (int i = 0; i < 3000; i += 7) {
            const CostLookup found = list.lookupCost(QStringLiteral("Filler %1").arg(i));
            if (found.found()) {
                QCOMPARE(found.cost, double(i));
            } else {
                QVERIFY(!found.problem.isEmpty());
                ++reasons;
            }
        }
        QVERIFY(reasons > 0);
        QVERIFY(!list.addItem(QStringLiteral("New"), 1, QString()).saved);
    }

    void emptyOrTextPriceIsToldAndTheFieldKept()
    {
        Counter c;
        c.file.withSample().sql(
            {QStringLiteral("Update Charges1 Set Cost = Null Where Item = 'BeefKill'"),
             QStringLiteral("Update Charges1 Set Cost = 'ask Bob' Where Item = 'PorkKill'")});
        c.start();
        c.dialogs.press(QMessageBox::Ok).press(QMessageBox::Ok);
        c.pick("Option1");
        c.pick("Option2");
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.dialogs.seen()[0].text.contains(QLatin1String("\"BeefKill\" has no price")));
        QVERIFY(c.dialogs.seen()[1].text.contains(QLatin1String("ask Bob")));
        QCOMPARE(c.text("Text4"), QStringLiteral("0"));
        QCOMPARE(c.text("Text5"), QStringLiteral("0"));
    }

    void fileDeletedAfterStartUp()
    {
        Counter c;
        c.file.withSample();
        c.start();
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("17"));
        QVERIFY(QFile::remove(c.file.path()));
        c.dialogs.press(QMessageBox::Ok);
        c.pick("Option2");
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.contains(QLatin1String("no longer there")));
        QVERIFY(c.dialogs.seen()[0].text.contains(QLatin1String("PorkKill")));
        QCOMPARE(c.text("Text4"), QStringLiteral("17"));
        // The file is back: prices come from it again.
        c.file.withSample().price(PriceItem::PorkKill, 21);
        c.pick("Option2");
        QCOMPARE(c.text("Text4"), QStringLiteral("21"));
        QCOMPARE(c.dialogs.seen().size(), 1);
    }

    void fileReplacedAfterStartUp()
    {
        Counter c;
        c.file.withSample();
        c.start();
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("17"));
        // The shop puts a new price list in place of the old one.
        TestPriceList fresh;
        fresh.withSample().price(PriceItem::BeefKill, 30);
        QVERIFY(QFile::rename(fresh.path(), c.file.path() + QStringLiteral(".new")));
        QVERIFY(::rename(QFile::encodeName(c.file.path() + QStringLiteral(".new")).constData(),
                         QFile::encodeName(c.file.path()).constData()) == 0);
        c.pick("Option2");
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("30"));
        // Replaced by something that is not a price list: told, the field kept.
        QFile junk(c.file.path() + QStringLiteral(".junk"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(8192, 'x'));
        junk.close();
        QVERIFY(::rename(QFile::encodeName(junk.fileName()).constData(),
                         QFile::encodeName(c.file.path()).constData()) == 0);
        c.dialogs.press(QMessageBox::Ok);
        c.pick("Option2");
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(QLatin1String("not a price list")),
                 qPrintable(c.dialogs.seen()[0].text));
        QCOMPARE(c.text("Text4"), QStringLiteral("30"));
    }

    void lockedFileRefusesAnAdditionAfterAShortWait()
    {
        TestPriceList file;
        file.withSample();
        const QStringList before = file.rows();
        {
            OtherProgram other(file.path());
            QVERIFY(other.lock());
            PriceList list(file.path());
            QCOMPARE(list.open(), PriceList::OpenResult::Opened);
            QElapsedTimer waited;
            waited.start();
            const SaveResult saved =
                list.addItem(QStringLiteral("Bologna"), 2.5, PriceItem::AddedItemCategory);
            QVERIFY(!saved.saved);
            QVERIFY2(
                saved.problem.contains(QLatin1String("another program holds the price list locked"),
                                       Qt::CaseInsensitive),
                qPrintable(saved.problem));
            QVERIFY(waited.elapsed() >= 1500);
            QVERIFY(waited.elapsed() < 10000);

            QVERIFY(other.release());
            QCOMPARE(file.rows(), before);
            QVERIFY(
                list.addItem(QStringLiteral("Bologna"), 2.5, PriceItem::AddedItemCategory).saved);
            QCOMPARE(list.lookupCost(QStringLiteral("Bologna")).cost, 2.5);
        }
    }

    void writerKilledWhileAddingLeavesWholeRows()
    {
        TestPriceList file;
        file.withSample();
        const QStringList sample = file.rows();
        for (int round = 0; round < 4; ++round) {
            QProcess writer;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QLatin1String(WriterVariable), file.path());
            writer.setProcessEnvironment(env);
            writer.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(writer.waitForStarted());
            // Let it add some rows, then kill it at no particular moment.
            QElapsedTimer running;
            running.start();
            while (writer.bytesAvailable() < 20 + round * 40 && running.elapsed() < 20000)
                writer.waitForReadyRead(100);
            QTest::qWait(round * 3);
            writer.kill();
            QVERIFY(writer.waitForFinished());

            QCOMPARE(file.integrity(), QStringLiteral("ok"));
            const QStringList rows = file.rows();
            QCOMPARE(rows.mid(0, sample.size()), sample);
            QSet<QString> names;
            for (const QString& row : rows.mid(sample.size())) {
                static const QRegularExpression whole(
                    QStringLiteral("^Killed (\\d+)\\|(\\d+)\\|Curing/Seasoning$"));
                const QRegularExpressionMatch m = whole.match(row);
                QVERIFY2(m.hasMatch(), qPrintable(row));
                QCOMPARE(m.captured(1), m.captured(2));
                names.insert(row);
            }
            QVERIFY(rows.size() > sample.size());
            // A killed writer's file opens and takes new rows at once.
            PriceList list(file.path());
            QCOMPARE(list.open(), PriceList::OpenResult::Opened);
            QVERIFY(list.addItem(QStringLiteral("After %1").arg(round), 1, QString()).saved);
            file.without(QStringLiteral("After %1").arg(round));
        }
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(WriterVariable))
        return runWriter(argc, argv);
    QApplication app(argc, argv);
    TestDamagedPriceList test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_damaged_price_list.moc"
