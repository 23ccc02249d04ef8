// The shared conversions and rounding rules.

#include "core/numbers.h"
#include "estimate/estimate_rules.h"

#include <QLocale>
#include <QTest>
#include <clocale>
#include <cmath>
#include <limits>

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void strictNumberAcceptsWholeNumbersOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("value");
        QTest::newRow("integer") << "1000" << true << 1000.0;
        QTest::newRow("blanks around") << "  12.5\t" << true << 12.5;
        QTest::newRow("sign") << "-3" << true << -3.0;
        QTest::newRow("plus") << "+3" << true << 3.0;
        QTest::newRow("point first") << ".5" << true << 0.5;
        QTest::newRow("point last") << "5." << true << 5.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blank") << "   " << false << 0.0;
        QTest::newRow("bare point") << "." << false << 0.0;
        QTest::newRow("bare sign") << "-" << false << 0.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("trailing letters") << "12abc" << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("comma") << "1,000" << false << 0.0;
        QTest::newRow("decimal comma") << "1,5" << false << 0.0;
        QTest::newRow("exponent") << "1e3" << false << 0.0;
        QTest::newRow("inner blank") << "1 000" << false << 0.0;
        QTest::newRow("infinity word") << "inf" << false << 0.0;
        QTest::newRow("too large") << QString(400, QLatin1Char('9')) << false << 0.0;
        QTest::newRow("tiny") << "0." + QString(400, QLatin1Char('0')) + "1" << true << 0.0;
        QTest::newRow("arabic digits") << QString::fromUtf8("\xd9\xa1\xd9\xa2") << false << 0.0;
    }
    void strictNumberAcceptsWholeNumbersOnly()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(double, value);
        const auto read = StrictNumber(text);
        QCOMPARE(read.has_value(), accepted);
        if (accepted)
            QCOMPARE(*read, value);
    }

    void leadingNumberReadsThePrefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "17.00" << 17.0;
        QTest::newRow("blanks first") << "   4.5" << 4.5;
        QTest::newRow("text after") << "12abc" << 12.0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("negative") << "-0.5kg" << -0.5;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("sign only") << "-x" << 0.0;
        QTest::newRow("exponent not read") << "1e3" << 1.0;
        QTest::newRow("huge") << QString(400, QLatin1Char('9'))
                              << std::numeric_limits<double>::max();
    }
    void leadingNumberReadsThePrefix()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(LeadingNumber(text), value);
    }

    void numberTextRoundsTo15Digits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("pork hanging weight") << 0.66 * 251 << "165.66";
        QTest::newRow("processing") << 500 * 0.37 << "185";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("negative") << -2.5 << "-2.5";
        QTest::newRow("small") << 0.0001 << "0.0001";
        QTest::newRow("tiny") << 1e-20 << "0.00000000000000000001";
        QTest::newRow("large") << 1e20 << "100000000000000000000";
        QTest::newRow("15 digits kept") << 123456789.012345 << "123456789.012345";
        QTest::newRow("16th digit rounded") << 0.1 + 0.2 << "0.3";
        QTest::newRow("third") << 1.0 / 3 << "0.333333333333333";
        QTest::newRow("largest double") << std::numeric_limits<double>::max()
                                        << "179769313486231" + QString(294, QLatin1Char('0'));
    }
    void numberTextRoundsTo15Digits()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText(value), text);
        QVERIFY(StrictNumber(text).has_value());
    }

    void conversionsIgnoreTheLocale()
    {
        // Qt's default locale and, where the machine has one, the C library's.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QByteArray saved(std::setlocale(LC_ALL, nullptr));
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
            if (std::setlocale(LC_ALL, name))
                break;
        QCOMPARE(NumberText(12.5), QStringLiteral("12.5"));
        QCOMPARE(NumberText(1234567.25), QStringLiteral("1234567.25"));
        QCOMPARE(*StrictNumber(QStringLiteral("12.5")), 12.5);
        QVERIFY(!StrictNumber(QStringLiteral("12,5")));
        QCOMPARE(LeadingNumber(QStringLiteral("12.5")), 12.5);
        std::setlocale(LC_ALL, saved.constData());
        QLocale::setDefault(QLocale::c());
    }

    void halfToEven()
    {
        QCOMPARE(*RoundHalfEven(12.5), std::int64_t(12));
        QCOMPARE(*RoundHalfEven(13.5), std::int64_t(14));
        QCOMPARE(*RoundHalfEven(-2.5), std::int64_t(-2));
        QCOMPARE(*RoundHalfEven(-3.5), std::int64_t(-4));
        QCOMPARE(*RoundHalfEven(2.4999), std::int64_t(2));
        QCOMPARE(*RoundHalfEven(40000.5), std::int64_t(40000)); // beyond 16 bits
        QVERIFY(!RoundHalfEven(std::nan("")));
        QVERIFY(!RoundHalfEven(1e19));
    }

    void wholeCents_data()
    {
        QTest::addColumn<double>("charge");
        QTest::addColumn<QString>("rounded");
        QTest::newRow("0.185 down to even") << 0.185 << "0.18";
        QTest::newRow("0.195 up to even") << 0.195 << "0.2";
        QTest::newRow("12.355") << 12.355 << "12.36";
        QTest::newRow("whole") << 7.0 << "7";
        QTest::newRow("beyond 16-bit cents") << 327.675 << "327.68";
        QTest::newRow("large charge") << 123456.785 << "123456.78";
        QTest::newRow("negative") << -0.185 << "-0.18";
        QTest::newRow("too large for cents") << 1e30 << "1000000000000000000000000000000";
    }
    void wholeCents()
    {
        QFETCH(double, charge);
        QFETCH(QString, rounded);
        QCOMPARE(EstimateRules::WholeCents(charge), rounded);
    }

    void fixedPointSteps()
    {
        QCOMPARE(OneDecimalText(9.0 / 2), QStringLiteral("4.5"));
        QCOMPARE(OneDecimalText(10.0 / 3), QStringLiteral("3.3"));
        QCOMPARE(OneDecimalText(30.0 / 2), QStringLiteral("15.0"));
        QCOMPARE(OneDecimalText(0.25), QStringLiteral("0.3"));
        QCOMPARE(OneDecimalText(0.04), QStringLiteral("0.0"));
        QCOMPARE(OneDecimalText(12345.0), QStringLiteral("12345.0"));
        QCOMPARE(*ScaledUnits(130.50005, 4, HalfRounding::ToEven), std::int64_t(1305000));
        QCOMPARE(*ScaledUnits(0.00015, 4, HalfRounding::ToEven), std::int64_t(2));
        QCOMPARE(*ScaledUnits(0.00025, 4, HalfRounding::ToEven), std::int64_t(2));
        QCOMPARE(*ScaledUnits(0.00025, 4, HalfRounding::AwayFromZero), std::int64_t(3));
        QCOMPARE(*ScaledUnits(-1.5, 0, HalfRounding::ToEven), std::int64_t(-2));
        QCOMPARE(*ScaledUnits(0.00004, 4, HalfRounding::ToEven), std::int64_t(0));
        QCOMPARE(*ScaledUnits(0.00006, 4, HalfRounding::ToEven), std::int64_t(1));
        QVERIFY(!ScaledUnits(1e20, 4, HalfRounding::ToEven));
        QCOMPARE(UnitsText(1305000, 4, false), QStringLiteral("130.5"));
        QCOMPARE(UnitsText(1300000, 4, false), QStringLiteral("130"));
        QCOMPARE(UnitsText(-5, 4, false), QStringLiteral("-0.0005"));
        QCOMPARE(UnitsText(0, 1, true), QStringLiteral("0.0"));
    }

    void moneyAmounts()
    {
        QCOMPARE(*MoneyAmount(QStringLiteral("2.5")), 2.5);
        QCOMPARE(*MoneyAmount(QStringLiteral(" 0.1234 ")), 0.1234);
        QVERIFY(!MoneyAmount(QStringLiteral("0.12345")));
        QVERIFY(!MoneyAmount(QStringLiteral("-1")));
        QVERIFY(!MoneyAmount(QStringLiteral("two")));
        QVERIFY(!MoneyAmount(QString()));
        QVERIFY(MoneyAmountProblem(QStringLiteral("-1")).contains(QLatin1String("negative")));
        QVERIFY(MoneyAmountProblem(QStringLiteral("1.00001")).contains(QLatin1String("four")));
    }

    void weights()
    {
        using namespace EstimateRules;
        QCOMPARE(*UsableWeight(QString()), 0.0);
        QCOMPARE(*UsableWeight(QStringLiteral("1000")), 1000.0);
        QVERIFY(!UsableWeight(QStringLiteral("abc")));
        QVERIFY(!UsableWeight(QStringLiteral("-1")));
        QVERIFY(!UsableWeight(QStringLiteral("100000.5")));
        QVERIFY(UsableWeight(QStringLiteral("100000")));
        QVERIFY(!UsableWeight(QString(400, QLatin1Char('9'))));
    }

    void totalKeepsRunningSumsAt15Digits()
    {
        using EstimateRules::Total;
        QCOMPARE(Total("17.00", "185", {"6.86", "0", "0"}, {}), QStringLiteral("208.86"));
        QCOMPARE(Total("17", "12abc", {"x"}, {"0.1", "0.2"}), QStringLiteral("29.3"));
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
