// The curing worksheet's figuring, without any screen.

#include "core/numbers.h"
#include "estimate/curing_rules.h"

#include <QTest>
#include <initializer_list>
#include <limits>

namespace R = CuringRules;

Q_DECLARE_METATYPE(CuringRules::CutSelection)

namespace {

R::CutSelection cuts(std::initializer_list<int> indices)
{
    R::CutSelection selected{};
    for (const int i : indices)
        selected[i] = true;
    return selected;
}

int indexOf(const char* name)
{
    for (int i = 0; i < R::CutCount; ++i)
        if (QLatin1String(R::Cuts[i].name) == QLatin1String(name))
            return i;
    return -1;
}

} // namespace

class TestCuringRules : public QObject {
    Q_OBJECT

private slots:
    void theCutsAreListedInOrderWithTheirShares()
    {
        const std::pair<const char*, double> expected[] = {
            {"Hams", 0.2},         {"Bacon", 0.075}, {"Arkansas Bacon", 0.14}, {"Loins", 0.15},
            {"Jowl", 0.023},       {"Hocks", 0.023}, {"Shoulders", 0.15},      {"Picnic", 0.068},
            {"BostonButt", 0.082}, {"Ribs", 0.021},  {"Whole Hog Cured", 0.95}};
        QCOMPARE(std::size(expected), std::size_t(R::CutCount));
        for (int i = 0; i < R::CutCount; ++i) {
            QCOMPARE(QLatin1String(R::Cuts[i].name), QLatin1String(expected[i].first));
            QCOMPARE(R::Cuts[i].share, expected[i].second);
        }
        QCOMPARE(R::BaconCut, indexOf("Bacon"));
    }

    void cutTotals_data()
    {
        QTest::addColumn<double>("hanging");
        QTest::addColumn<R::CutSelection>("selected");
        QTest::addColumn<QString>("total");
        const int hams = indexOf("Hams"), bacon = indexOf("Bacon"),
                  arkansas = indexOf("Arkansas Bacon"), whole = indexOf("Whole Hog Cured");
        QTest::newRow("hams and bacon") << 250.0 << cuts({hams, bacon}) << "68.75";
        QTest::newRow("with arkansas bacon") << 250.0 << cuts({hams, bacon, arkansas}) << "103.75";
        QTest::newRow("hams of 62.5") << 62.5 << cuts({hams}) << "12.5";
        QTest::newRow("hams of 72.5") << 72.5 << cuts({hams}) << "14.5";
        QTest::newRow("whole hog") << 250.0 << cuts({whole}) << "237.5";
        QTest::newRow("nothing") << 250.0 << cuts({}) << "0";
        // No cut excludes another: the whole hog adds to the single cuts.
        QTest::newRow("everything") << 100.0 << cuts({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) << "188.2";
        QTest::newRow("hanging weight of 0") << 0.0 << cuts({hams, whole}) << "0";
        // Each cut and each running sum is kept at 15 significant digits:
        // 219.444290156148 + 36.0515619542244 = 255.4958521103724, where the
        // sum of the unrounded products would read 255.495852110373.
        QTest::newRow("fifteen digits at every step")
            << 1567.45921540106 << cuts({arkansas, indexOf("Jowl")}) << "255.495852110372";
    }

    void cutTotals()
    {
        QFETCH(double, hanging);
        QFETCH(R::CutSelection, selected);
        QFETCH(QString, total);
        const auto figured = R::CutTotal(hanging, selected);
        QVERIFY(figured);
        QCOMPARE(NumberText(*figured), total);
    }

    void theRoundTripCaseTellsTheRulesApart()
    {
        // Without the rounding at every step the last case above would fail.
        const double hanging = 1567.45921540106;
        QVERIFY(NumberText(hanging * 0.14 + hanging * 0.023) != QStringLiteral("255.495852110372"));
    }

    void aTotalBeyondTheRangeOfANumberHasNoValue()
    {
        const double huge = std::numeric_limits<double>::max() * 0.9;
        QVERIFY(!R::CutTotal(huge, cuts({0, 10, 3, 6})));
        QVERIFY(R::CutTotal(huge, cuts({0})));
    }

    void onlyTheCutletRoleRefusesBacon()
    {
        const R::Role& cutlets = *R::RoleFor(ServiceId::Cutlets);
        QVERIFY(R::RefusesBacon(cutlets, cuts({R::BaconCut})));
        QVERIFY(R::RefusesBacon(cutlets, cuts({0, R::BaconCut, 10})));
        QVERIFY(!R::RefusesBacon(cutlets, cuts({indexOf("Arkansas Bacon")})));
        QVERIFY(!R::RefusesBacon(cutlets, cuts({})));
        for (const ServiceId service : {ServiceId::PorkCuring, ServiceId::PorkSausage})
            QVERIFY(!R::RefusesBacon(*R::RoleFor(service), cuts({R::BaconCut})));
    }

    void anySelected()
    {
        QVERIFY(!R::AnySelected(cuts({})));
        QVERIFY(R::AnySelected(cuts({10})));
        QVERIFY(R::AnySelected(cuts({0})));
    }

    void wholePounds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("pounds");
        QTest::newRow("68.75") << "68.75" << qint64(69);
        QTest::newRow("half down to even") << "12.5" << qint64(12);
        QTest::newRow("half up to even") << "13.5" << qint64(14);
        QTest::newRow("14.5") << "14.5" << qint64(14);
        QTest::newRow("whole hog") << "237.5" << qint64(238);
        QTest::newRow("zero") << "0" << qint64(0);
        QTest::newRow("blanks around") << "  7 " << qint64(7);
        QTest::newRow("beyond 16 bits") << "40000.5" << qint64(40000);
        QTest::newRow("just beyond 16 bits") << "32768.5" << qint64(32768);
        QTest::newRow("beyond 32 bits") << "5000000000.5" << qint64(5000000000);
        QTest::newRow("negative half") << "-2.5" << qint64(-2);
    }

    void wholePounds()
    {
        QFETCH(QString, text);
        QFETCH(qint64, pounds);
        QVERIFY2(R::TotalProblem(text).isEmpty(), qPrintable(R::TotalProblem(text)));
        const auto rounded = R::WholePounds(text);
        QVERIFY(rounded);
        QCOMPARE(qint64(*rounded), pounds);
    }

    void totalsThatCannotBeApplied_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "   ";
        QTest::newRow("letters") << "abc";
        QTest::newRow("trailing letters") << "12 lb";
        QTest::newRow("exponent") << "1e3";
        QTest::newRow("comma") << "1,5";
        QTest::newRow("beyond 64 bits") << "10000000000000000000";
        QTest::newRow("beyond a double") << QString(400, QLatin1Char('9'));
    }

    void totalsThatCannotBeApplied()
    {
        QFETCH(QString, text);
        QVERIFY(!R::TotalProblem(text).isEmpty());
        QVERIFY(!R::WholePounds(text));
    }

    void chargesAreNotRoundedToCents()
    {
        QCOMPARE(R::Charge(69, 0.42), QStringLiteral("28.98"));
        QCOMPARE(R::Charge(10, 0.2), QStringLiteral("2"));
        QCOMPARE(R::Charge(20, 0.35), QStringLiteral("7"));
        QCOMPARE(R::Charge(13, 0.755), QStringLiteral("9.815"));
        QCOMPARE(R::Charge(0, 0.42), QStringLiteral("0"));
        QCOMPARE(R::PoundsText(40000), QStringLiteral("40000"));
        QCOMPARE(R::PoundsText(-2), QStringLiteral("-2"));
    }
};

QTEST_GUILESS_MAIN(TestCuringRules)
#include "test_curing_rules.moc"
