// The sausage worksheet's figuring without any screen: the kinds, the pork
// added to each, the entry list, the confirmation text and the charges.

#include "estimate/sausage_rules.h"
#include "pricelist/price_items.h"

#include <QTest>
#include <limits>

using namespace SausageRules;

namespace {

Entry entry(const char* item, const char* deer, const char* pork)
{
    return {0, QLatin1String(item), QLatin1String(deer), QLatin1String(pork)};
}

// The final charge, or "none" when there is none.
QString finalOf(const ChargeTally& tally, double porkTrimPerPound)
{
    return tally.finalCharge(porkTrimPerPound).value_or(QStringLiteral("none"));
}

} // namespace

class TestSausageRules : public QObject {
    Q_OBJECT

private slots:
    void kindsAreTheRowsOfTheWorksheet()
    {
        const char* captions[] = {"Summer Sausage", "Jalepeno Sausage", "Jerky",
                                  "HotStix",        "Polish",           "German",
                                  "Bratwurst",      "Italian",          "Grind And Wrapp",
                                  "Slicing",        "Breakfast Sausage"};
        const char* names[] = {
            "Summer", "JalepenoSausage", "Jerky", "HotStix", "Polish",          "German",
            "Brat",   "Italian",         "",      "",        "BreakfastSausage"};
        const int porkFields[] = {1, 2, 0, 0, 3, 4, 5, 6, 0, 0, 7};
        for (int row = 1; row <= KindCount; ++row) {
            const Kind* kind = KindAt(row);
            QVERIFY(kind);
            QCOMPARE(kind->row, row);
            QCOMPARE(QLatin1String(kind->caption), QLatin1String(captions[row - 1]));
            QCOMPARE(QLatin1String(kind->entryName), QLatin1String(names[row - 1]));
            QCOMPARE(kind->porkField, porkFields[row - 1]);
            QCOMPARE(kind->enabled, row != 9 && row != 10);
        }
        QVERIFY(!KindAt(0));
        QVERIFY(!KindAt(12));
    }

    void eachKindIsPricedByItsItem()
    {
        QCOMPARE(PriceItemFor(QStringLiteral("Summer")), QStringLiteral("Summer"));
        QCOMPARE(PriceItemFor(QStringLiteral("JalepenoSausage")),
                 QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar"));
        QCOMPARE(PriceItemFor(QStringLiteral("Jerky")), QStringLiteral("Jerky"));
        QCOMPARE(PriceItemFor(QStringLiteral("HotStix")), QStringLiteral("HotStix"));
        for (const char* name : {"Polish", "German", "Brat", "Italian"})
            QCOMPARE(PriceItemFor(QLatin1String(name)), QStringLiteral("Smoked Sausage"));
        QCOMPARE(PriceItemFor(QStringLiteral("BreakfastSausage")),
                 QStringLiteral("SausageSeasoning"));
        QCOMPARE(PriceItemFor(QStringLiteral("summer")), QString());
        QCOMPARE(PriceItemFor(QString()), QString());
        // Every entry a ticked kind makes has a price item.
        for (const Kind& kind : Kinds)
            QCOMPARE(PriceItemFor(QLatin1String(kind.entryName)).isEmpty(), !kind.enabled);
    }

    void porkAddedByEachRule_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("deer");
        QTest::addColumn<QString>("pork");
        QTest::addColumn<bool>("readable");
        QTest::newRow("Summer 30") << 1 << "30"
                                   << "15.0" << true;
        QTest::newRow("Summer 9") << 1 << "9"
                                  << "4.5" << true;
        QTest::newRow("Summer blanks around") << 1 << " 9 "
                                              << "4.5" << true;
        QTest::newRow("Jalepeno 0.1, half away from zero") << 2 << "0.1"
                                                           << "0.1" << true;
        QTest::newRow("Polish 0.05") << 5 << "0.05"
                                     << "0.0" << true;
        QTest::newRow("German 12345") << 6 << "12345"
                                      << "6172.5" << true;
        QTest::newRow("Italian 10") << 8 << "10"
                                    << "3.3" << true;
        QTest::newRow("Italian 20") << 8 << "20"
                                    << "6.7" << true;
        QTest::newRow("Bratwurst copies") << 7 << "12.25"
                                          << "12.25" << true;
        QTest::newRow("Breakfast copies") << 11 << "12.25"
                                          << "12.25" << true;
        QTest::newRow("Breakfast copies letters") << 11 << "abc"
                                                  << "abc" << true;
        QTest::newRow("Jerky none") << 3 << "10"
                                    << "" << true;
        QTest::newRow("HotStix none") << 4 << "10"
                                      << "" << true;
        QTest::newRow("Summer empty") << 1 << ""
                                      << "0.0" << false;
        QTest::newRow("Summer letters") << 1 << "abc"
                                        << "0.0" << false;
        QTest::newRow("Italian trailing letters") << 8 << "10lb"
                                                  << "0.0" << false;
        QTest::newRow("Summer beyond a double")
            << 1 << QString(400, QLatin1Char('9')) << "0.0" << false;
    }
    void porkAddedByEachRule()
    {
        QFETCH(int, row);
        QFETCH(QString, deer);
        QFETCH(QString, pork);
        QFETCH(bool, readable);
        const PorkFigure figure = PorkFor(*KindAt(row), deer);
        QCOMPARE(figure.text, pork);
        QCOMPARE(figure.deerReadable, readable);
    }

    void deerWeightProblems()
    {
        const Kind& summer = *KindAt(1);
        const Kind& jerky = *KindAt(3);
        QCOMPARE(DeerWeightProblem(summer, QStringLiteral("30")), QString());
        QCOMPARE(DeerWeightProblem(jerky, QStringLiteral(" 12.5 ")), QString());
        QVERIFY(DeerWeightProblem(summer, QString()).contains(QLatin1String("counts as 0")));
        QVERIFY(
            DeerWeightProblem(summer, QStringLiteral("abc")).contains(QLatin1String("\"abc\"")));
        QVERIFY(!DeerWeightProblem(jerky, QStringLiteral("12abc")).isEmpty());
        QVERIFY(!DeerWeightProblem(jerky, QStringLiteral("-5")).isEmpty());
    }

    void porkWeightProblems()
    {
        QCOMPARE(PorkWeightProblem(QStringLiteral("15.0")), QString());
        QCOMPARE(PorkWeightProblem(QStringLiteral(" 12.25 ")), QString());
        QCOMPARE(PorkWeightProblem(QString()), QString()); // empty counts as 0
        QVERIFY(PorkWeightProblem(QStringLiteral("5%")).contains(QLatin1String("\"5%\"")));
        QVERIFY(!PorkWeightProblem(QStringLiteral("abc")).isEmpty());
        QVERIFY(!PorkWeightProblem(QStringLiteral("-3")).isEmpty());
    }

    void totalDeerWeightProblems()
    {
        QCOMPARE(TotalDeerWeightProblem(QStringLiteral("Text2")), QString()); // as designed
        QCOMPARE(TotalDeerWeightProblem(QString()), QString());               // cancelled
        QCOMPARE(TotalDeerWeightProblem(QStringLiteral(" 55.5 ")), QString());
        QVERIFY(TotalDeerWeightProblem(QStringLiteral("-")).contains(QLatin1String("\"-\"")));
        QVERIFY(!TotalDeerWeightProblem(QStringLiteral("Text2..")).isEmpty());
    }

    void entriesBelongToTheirKinds()
    {
        EntryList list;
        list.add(*KindAt(1), QStringLiteral("0"));
        list.add(*KindAt(3), QStringLiteral("0"));
        list.add(*KindAt(11), QStringLiteral("0"));
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.entries()[0].item, QStringLiteral("Summer"));
        QCOMPARE(list.entries()[0].pork, QString());
        // A weight stored for an earlier kind lands in that kind's entry.
        list.store(1, QStringLiteral("30"), QStringLiteral("15.0"));
        list.store(11, QStringLiteral("8"), QStringLiteral("8"));
        QCOMPARE(list.find(1)->deer, QStringLiteral("30"));
        QCOMPARE(list.find(1)->pork, QStringLiteral("15.0"));
        QCOMPARE(list.find(3)->deer, QStringLiteral("0"));
        QCOMPARE(list.find(11)->deer, QStringLiteral("8"));
        // Unticking the first kind removes its own entry; the order stays.
        list.remove(1);
        QCOMPARE(list.count(), 2);
        QVERIFY(!list.find(1));
        QCOMPARE(list.entries()[0].item, QStringLiteral("Jerky"));
        QCOMPARE(list.entries()[1].item, QStringLiteral("BreakfastSausage"));
        // Ticked again, it goes last; a kind without an entry stores nothing.
        list.add(*KindAt(1), QStringLiteral("0"));
        QCOMPARE(list.entries()[2].item, QStringLiteral("Summer"));
        QCOMPARE(list.entries()[2].deer, QStringLiteral("0"));
        list.store(5, QStringLiteral("7"), QStringLiteral("3.5"));
        QCOMPARE(list.count(), 3);
        list.clear();
        QCOMPARE(list.count(), 0);
    }

    void confirmationText()
    {
        QCOMPARE(ConfirmationText({}), QString());
        const QList<Entry> entries = {entry("Summer", "30", "15.0"), entry("Jerky", "10", ""),
                                      entry("BreakfastSausage", "12.25", "12.25")};
        QCOMPARE(ConfirmationText(entries), QStringLiteral("\nSummer  30   15.0"
                                                           "\nJerky  10   "
                                                           "\nBreakfastSausage  12.25   12.25"));
    }

    void columnTotalsReadTheLeadingNumber()
    {
        QCOMPARE(ColumnTotal({}), QStringLiteral("0"));
        QCOMPARE(ColumnTotal({QStringLiteral("1.5"), QStringLiteral("abc"), QStringLiteral("2x"),
                              QStringLiteral(" 3"), QString()}),
                 QStringLiteral("6.5"));
        QCOMPARE(ColumnTotal({QStringLiteral("0.1"), QStringLiteral("0.2")}),
                 QStringLiteral("0.3"));
    }

    void aColumnBeyondAnyNumberHasNoTotal()
    {
        const QString huge = QString(316, QLatin1Char('9')); // the largest double, read leniently
        QVERIFY(ColumnTotal({huge}).has_value());
        QCOMPARE(ColumnTotal({huge, huge}), std::nullopt);
        QCOMPARE(ColumnTotal({QLatin1Char('-') + huge, QLatin1Char('-') + huge}), std::nullopt);
        QCOMPARE(ColumnTotal({huge, QLatin1Char('-') + huge}), QStringLiteral("0"));
    }

    void theWorkedExample()
    {
        ChargeTally tally(0);
        QVERIFY(tally.add(entry("Summer", "30", "15.0"), 2.5));
        QCOMPARE(tally.runningText(), QStringLiteral("112.5"));
        QCOMPARE(tally.porkTotal(), 15.0);
        QCOMPARE(tally.totalWeightText(), QStringLiteral("45"));
        QCOMPARE(finalOf(tally, 1.2), QStringLiteral("130.5"));
    }

    void noEntries()
    {
        ChargeTally tally(0);
        QCOMPARE(tally.totalWeightText(), QString());
        QCOMPARE(finalOf(tally, 1.2), QStringLiteral("0"));
        // The charge total field's own starting value counts.
        QCOMPARE(finalOf(ChargeTally(12.5), 1.2), QStringLiteral("12.5"));
    }

    void chargesPerKind()
    {
        // Two kinds sharing a price: each charged on its own weight.
        ChargeTally shared(0);
        QVERIFY(shared.add(entry("Polish", "10", "5.0"), 2.25));
        QVERIFY(shared.add(entry("German", "20", "10.0"), 2.25));
        QCOMPARE(shared.totalWeightText(), QStringLiteral("45"));
        QCOMPARE(finalOf(shared, 1.2), QStringLiteral("119.25"));

        // Jerky and HotStix: no pork, so the pork trim price does not matter.
        ChargeTally lean(0);
        QVERIFY(lean.add(entry("Jerky", "10", ""), 3.5));
        QVERIFY(lean.add(entry("HotStix", "4", ""), 3));
        QCOMPARE(lean.porkTotal(), 0.0);
        QCOMPARE(finalOf(lean, 99), QStringLiteral("47"));

        // Breakfast Sausage: twice the deer weight, plus the pork trim on the deer weight.
        ChargeTally breakfast(0);
        QVERIFY(breakfast.add(entry("BreakfastSausage", "10", "10"), 0.2));
        QCOMPARE(breakfast.totalWeightText(), QStringLiteral("20"));
        QCOMPARE(finalOf(breakfast, 1.2), QStringLiteral("16"));
    }

    void onlyTheLastStepRoundsToFourDecimals()
    {
        // Each entry's charge is added unrounded: three of 0.00003 make 0.0001.
        ChargeTally small(0);
        for (int i = 0; i < 3; ++i)
            QVERIFY(small.add(entry("Jerky", "0.00003", ""), 1));
        QCOMPARE(small.runningText(), QStringLiteral("0.00009"));
        QCOMPARE(finalOf(small, 0), QStringLiteral("0.0001"));

        // Halves go to the even neighbour, on the decimal digits.
        const std::pair<const char*, const char*> halves[] = {
            {"0.00005", "0"},          {"0.00015", "0.0002"}, {"0.00025", "0.0002"},
            {"1.23455", "1.2346"},     {"1.23465", "1.2346"}, {"2.675", "2.675"},
            {"130.50004999", "130.5"},
        };
        for (const auto& [pounds, charge] : halves) {
            ChargeTally tally(0);
            QVERIFY(tally.add(entry("Jerky", pounds, ""), 1));
            QCOMPARE(finalOf(tally, 0), QString::fromLatin1(charge));
        }
        // The sum of the last step is rounded, not its parts: 0.00005 + 0.00005 = 0.0001.
        ChargeTally parts(0);
        QVERIFY(parts.add(entry("Summer", "0", "0.0001"), 0.5));
        QCOMPARE(finalOf(parts, 0.5), QStringLiteral("0.0001"));
    }

    void theRunningTotalIsKeptAsTheFieldShowsIt()
    {
        ChargeTally tally(0.1);
        QVERIFY(tally.add(entry("Jerky", "1", ""), 0.2));
        QCOMPARE(tally.runningText(), QStringLiteral("0.3"));
        QVERIFY(tally.add(entry("Jerky", "3", ""), 1.0 / 3));
        QCOMPARE(tally.runningText(), QStringLiteral("1.3"));
        QCOMPARE(tally.totalWeightText(), QStringLiteral("4"));
    }

    void weightsTooLargeToCharge()
    {
        ChargeTally beyond(0);
        QVERIFY(!beyond.add(entry("Jerky", "2", ""), std::numeric_limits<double>::max()));
        QVERIFY(beyond.add(entry("Jerky", "1", ""), 1e300));
        QVERIFY(!beyond.add(entry("Jerky", qPrintable(QString(400, QLatin1Char('9'))), ""), 2.5));
        QCOMPARE(beyond.totalWeightText(), QStringLiteral("1"));
        // Finite, but too large for money with four decimals.
        QCOMPARE(finalOf(beyond, 0), QStringLiteral("none"));
        ChargeTally big(0);
        QVERIFY(big.add(entry("Jerky", "100000000000000000000", ""), 1));
        QCOMPARE(finalOf(big, 1.2), QStringLiteral("none"));
    }
};

QTEST_MAIN(TestSausageRules)
#include "test_sausage_rules.moc"
