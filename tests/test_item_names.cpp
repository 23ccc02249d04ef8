// Which texts can be item names, which new names only look like others, and
// what the program uses each name it looks up for.

#include "pricelist/item_names.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "pricelist/sample_price_list.h"
#include "store/csv.h"

#include <QTest>

class TestItemNames : public QObject {
    Q_OBJECT

private slots:
    void namesThatCannotBeTold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");
        QTest::newRow("trailing blank") << "Processing "
                                        << "begin or end with a blank";
        QTest::newRow("leading blank") << " Processing"
                                       << "begin or end with a blank";
        QTest::newRow("non-breaking space") << "Paper\u00A0Wrapp"
                                            << "non-breaking space (U+00A0)";
        QTest::newRow("ideographic space") << "Paper\u3000Wrapp"
                                           << "U+3000";
        QTest::newRow("line separator") << "Paper\u2028Wrapp"
                                        << "U+2028";
        QTest::newRow("zero-width space") << "Proce\u200Bssing"
                                          << "zero-width space (U+200B)";
        QTest::newRow("byte order mark") << "Proc\uFEFFessing"
                                         << "U+FEFF";
        QTest::newRow("soft hyphen") << "Pro\u00ADcessing"
                                     << "soft hyphen";
        QTest::newRow("tab") << "Summer\tSausage"
                             << "a tab (U+0009)";
        QTest::newRow("nothing") << " "
                                 << "needs a name";
        QTest::newRow("broken character") << QString(QChar(0xD800)) + "x"
                                          << "broken character";
    }
    void namesThatCannotBeTold()
    {
        QFETCH(QString, name);
        QFETCH(QString, problem);
        const QString why = ItemNames::nameProblem(name);
        QVERIFY2(why.contains(problem), qPrintable(why));
    }

    void ordinaryNamesAreAccepted()
    {
        for (const QString& name :
             ItemNames::lookedUpNames() + QStringList{QStringLiteral("Jalapeño Brats"),
                                                      QStringLiteral("Grandma's \"Best\" Bologna"),
                                                      QStringLiteral("Ham, Country Style"),
                                                      QStringLiteral("Snack Sticks 🌶")})
            QVERIFY2(ItemNames::nameProblem(name).isEmpty(), qPrintable(name));
    }

    void lookAlikesDifferOnlyByCaseOrBlanks()
    {
        const QStringList existing = {QStringLiteral("Snack Sticks"),
                                      QStringLiteral("PAPER WRAPP")};
        QCOMPARE(ItemNames::lookAlike(QStringLiteral("snack sticks"), existing),
                 QStringLiteral("Snack Sticks"));
        QCOMPARE(ItemNames::lookAlike(QStringLiteral("SnackSticks"), existing),
                 QStringLiteral("Snack Sticks"));
        // The name that the program looks up comes before a look-alike row.
        QCOMPARE(ItemNames::lookAlike(QStringLiteral("paperwrapp"), existing),
                 PriceItem::PaperWrapp);
        QCOMPARE(ItemNames::lookAlike(QStringLiteral("fajita strips"), {}),
                 PriceItem::FajitaStrips);
        // A name that is there itself, or another name, looks like nothing.
        QCOMPARE(ItemNames::lookAlike(QStringLiteral("PAPER WRAPP"), existing), QString());
        QCOMPARE(ItemNames::lookAlike(PriceItem::Curing, {QStringLiteral("curing")}), QString());
        QCOMPARE(ItemNames::lookAlike(QStringLiteral("Snack Stick"), existing), QString());
    }

    void everyNameTheProgramLooksUpIsExplainedAndInTheSample()
    {
        QString problem;
        QStringList sample;
        for (const Csv::Record& record : Csv::parse(SamplePricesCsv(), &problem))
            sample << record.fields.value(0);
        for (const QString& name : ItemNames::lookedUpNames()) {
            QVERIFY2(!ItemNames::usedFor(name).isEmpty(), qPrintable(name));
            QVERIFY2(sample.contains(name), qPrintable(name));
        }
        QCOMPARE(ItemNames::usedFor(PriceItem::Curing),
                 QStringLiteral("the beef cure products and the pork curing worksheet"));
        QCOMPARE(ItemNames::usedFor(QStringLiteral("curing")), QString());
    }
};

QTEST_GUILESS_MAIN(TestItemNames)
#include "test_item_names.moc"
