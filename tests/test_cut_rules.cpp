// The figuring of the jerky and fajita worksheets, without any screen.

#include "core/numbers.h"
#include "estimate/cut_rules.h"

#include <QTest>
#include <initializer_list>

using namespace CutRules;

namespace {

CutSelection cuts(std::initializer_list<int> selected)
{
    CutSelection s{};
    for (const int cut : selected)
        s[cut] = true;
    return s;
}

double jerkySirloin()
{
    return CutScreenOf(CutScreenKind::Jerky).sirloinShare;
}

double fajitaSirloin()
{
    return CutScreenOf(CutScreenKind::Fajita).sirloinShare;
}

QString charge(double weight, double price)
{
    const auto text = CutCharge(weight, price);
    return text ? *text : QStringLiteral("(too large)");
}

} // namespace

class TestCutRules : public QObject {
    Q_OBJECT

private slots:
    void totalsOfTheSelectedCuts_data()
    {
        QTest::addColumn<CutSelection>("selected");
        QTest::addColumn<double>("hanging");
        QTest::addColumn<QString>("jerky");
        QTest::addColumn<QString>("fajita");
        QTest::newRow("arm and chuck") << cuts({Arm, Chuck}) << 500.0 << "35"
                                       << "35";
        QTest::newRow("flank and skirt") << cuts({FlankAndSkirt}) << 500.0 << "2.05"
                                         << "2.05";
        QTest::newRow("flank and sirloin tip")
            << cuts({FlankAndSkirt, SirloinTip}) << 600.0 << "13.26"
            << "13.26";
        QTest::newRow("sirloin") << cuts({Sirloin}) << 1000.0 << "31"
                                 << "22";
        QTest::newRow("sirloin tip") << cuts({SirloinTip}) << 1000.0 << "18"
                                     << "18";
        QTest::newRow("trimmings at 0") << cuts({Trimmings}) << 0.0 << "6"
                                        << "6";
        QTest::newRow("trimmings at 812.5") << cuts({Trimmings}) << 812.5 << "6"
                                            << "6";
        QTest::newRow("nothing") << cuts({}) << 500.0 << "0"
                                 << "0";
        QTest::newRow("full round") << cuts({RoundFull}) << 500.0 << "30"
                                    << "30";
        QTest::newRow("the three parts") << cuts({RoundTop, RoundBottom, RoundEye}) << 500.0 << "30"
                                         << "30";
        QTest::newRow("sirloin and trimmings") << cuts({Sirloin, Trimmings}) << 251.0 << "13.781"
                                               << "11.522";
        QTest::newRow("every cut but the parts")
            << cuts({Arm, Chuck, FlankAndSkirt, RoundFull, SirloinTip, Sirloin, Trimmings})
            << 165.66 << "36.332346"
            << "34.841406";
    }

    void totalsOfTheSelectedCuts()
    {
        QFETCH(CutSelection, selected);
        QFETCH(double, hanging);
        QFETCH(QString, jerky);
        QFETCH(QString, fajita);
        QCOMPARE(RunningTotal(selected, hanging, jerkySirloin()), jerky);
        QCOMPARE(RunningTotal(selected, hanging, fajitaSirloin()), fajita);
    }

    void figuresStayPlainDecimals()
    {
        // A huge hanging weight still gives a plain decimal figure.
        const QString huge = RunningTotal(cuts({Arm, Trimmings}), 1e300, 0.031);
        QVERIFY(!huge.contains(QLatin1Char('e')));
        QVERIFY(StrictNumber(huge).has_value());
        QCOMPARE(RunningTotal(cuts({Arm}), -500, 0.031), QStringLiteral("-15"));
    }

    void fullRoundRule()
    {
        QVERIFY(!FullRoundConflict(cuts({RoundFull})));
        QVERIFY(!FullRoundConflict(cuts({RoundTop, RoundBottom, RoundEye, Arm})));
        for (const int part : PartRounds) {
            QVERIFY(FullRoundConflict(cuts({RoundFull, part})));
            const CutSelection after = FullRoundWins(cuts({RoundFull, part, Chuck}));
            QCOMPARE(after, cuts({RoundFull, Chuck}));
        }
        QCOMPARE(FullRoundWins(cuts({RoundFull, RoundTop, RoundBottom, RoundEye})),
                 cuts({RoundFull}));
        // Without the full round, the parts stay.
        QCOMPARE(FullRoundWins(cuts({RoundTop, RoundEye})), cuts({RoundTop, RoundEye}));
    }

    void onlyTrimmingsNeedNoHangingWeight()
    {
        QVERIFY(!NeedsHangingWeight(cuts({})));
        QVERIFY(!NeedsHangingWeight(cuts({Trimmings})));
        for (int cut = 0; cut < Trimmings; ++cut)
            QVERIFY(NeedsHangingWeight(cuts({cut, Trimmings})));
    }

    void chargesAreNotRoundedToCents()
    {
        QCOMPARE(charge(10, 1.5), QStringLiteral("15"));
        QCOMPARE(charge(12.5, 0.75), QStringLiteral("9.375"));
        QCOMPARE(charge(0, 1.25), QStringLiteral("0"));
        QCOMPARE(charge(1e300, 1e10), QStringLiteral("(too large)"));
    }
};

QTEST_APPLESS_MAIN(TestCutRules)
#include "test_cut_rules.moc"
