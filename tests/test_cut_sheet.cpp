// The cut sheet at the value: masters kept as the owner set them, the
// contradictions a clerk is told at once, and the meat the customer takes
// home from the hanging weight and their choices.

#include "book/estimate_book.h"
#include "estimate/book_figures.h"
#include "estimate/cut_sheet.h"
#include "estimate/take_home.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QStringList SpeciesKeys{QStringLiteral("Beef"), QStringLiteral("Pork"),
                              QStringLiteral("Deer")};

CutSheet Sheet(const QString& species, SheetPart part, QList<PrimalChoice> choices = {})
{
    CutSheet sheet;
    sheet.species = species;
    sheet.part = part;
    sheet.choices = std::move(choices);
    return sheet;
}

TakeHome HomeOf(const CutSheet& sheet, double low, double high)
{
    const CutMaster master = CutMaster::Sample(sheet.species);
    const std::optional<TakeHome> home =
        LikelyTakeHome(low, high, sheet, master, Yields::Published(sheet.species));
    return home.value_or(TakeHome{-1, -1, -1});
}

// A beef quote of 1200 lb live at the screen's half, its likely range at
// 0.58 to 0.64 of the live weight.
EstimateValue BeefQuote()
{
    EstimateValue v;
    v.species = Species::Beef;
    v.weightFactor = 0.5;
    v.live = QStringLiteral("1200");
    v.hanging = Figure::figured(QStringLiteral("600"));
    v.likelyRatio = {0.58, 0.64, 0};
    return v;
}

} // namespace

class TestCutSheet : public QObject {
    Q_OBJECT

private slots:
    // Each sample master comes back from the text the store keeps as it was;
    // a text edited wrong is refused whole, naming the line.
    void mastersAreKeptAsTheOwnerSetThem()
    {
        for (const QString& species : SpeciesKeys) {
            const CutMaster sample = CutMaster::Sample(species);
            QVERIFY(sample.primals.size() >= 5);
            QString problem;
            const std::optional<CutMaster> back =
                CutMaster::fromText(species, sample.text(), &problem);
            QVERIFY2(back, qPrintable(problem));
            QCOMPARE(*back, sample);
            double shares = 0;
            for (const Primal& p : sample.primals)
                shares += p.share;
            QVERIFY2(shares > 0.85 && shares <= 1, qPrintable(species));
        }
        // Kept with the shop's settings, each species under its own head; a
        // species the owner did not set, or whose text cannot be read, takes
        // the sample's.
        ShopWideSettings settings;
        CutMaster pork = CutMaster::Sample(QStringLiteral("Pork"));
        pork.keeps = {QStringLiteral("Fat")};
        pork.primals[0].uses = {PrimalUse::Ground};
        settings.cutSheets.insert(QStringLiteral("Pork"), pork.text());
        settings.cutSheets.insert(QStringLiteral("Deer"), QStringLiteral("primal Neck"));
        const ShopWideSettings kept = ShopWideSettings::fromRows(settings.rows());
        QCOMPARE(kept, settings);
        QCOMPARE(MasterOf(kept, QStringLiteral("Pork")), pork);
        QCOMPARE(MasterOf(kept, QStringLiteral("Deer")), CutMaster::Sample(QStringLiteral("Deer")));
        QCOMPARE(MasterOf(kept, QStringLiteral("Beef")), CutMaster::Sample(QStringLiteral("Beef")));

        const QString good = CutMaster::Sample(QStringLiteral("Beef")).text();
        const QList<std::pair<QString, QString>> wrong{
            {good + QStringLiteral("\nprimal Neck|0.2|front|ground"), "more than all of it"},
            {good + QStringLiteral("\nprimal Chuck|0.01|front|ground"), "Chuck is listed twice"},
            {QStringLiteral("primal Chuck|0.3|side|ground"), "front or hind"},
            {QStringLiteral("primal Chuck|0.3|front|jerky"), "\"jerky\" is not steaks"},
            {QStringLiteral("primal Chuck|0.3|front"), "between bars"},
            {QStringLiteral("cape yes"), "a line is a primal"},
            {QStringLiteral("keeps Liver"), "has no primal"},
        };
        for (const auto& [text, why] : wrong) {
            QString problem;
            QVERIFY2(!CutMaster::fromText(QStringLiteral("Beef"), text, &problem),
                     qPrintable(text));
            QVERIFY2(problem.contains(why), qPrintable(problem));
        }
    }

    // What cannot be cut as asked is told, each in the clerk's words; a
    // sheet asking only what can be done tells nothing.
    void contradictionsAreToldAtOnce()
    {
        const CutMaster beef = CutMaster::Sample(QStringLiteral("Beef"));
        CutSheet sheet = Sheet(QStringLiteral("Beef"), SheetPart::FrontQuarter,
                               {{QStringLiteral("Chuck"), PrimalUse::Steaks, 1, 2},
                                {QStringLiteral("chuck"), PrimalUse::Ground},
                                {QStringLiteral("Round"), PrimalUse::Roasts},
                                {QStringLiteral("Rib"), PrimalUse::Cured},
                                {QStringLiteral("Brisket"), PrimalUse::Roasts, 0, 0, 40},
                                {QStringLiteral("Wing"), PrimalUse::Steaks}});
        sheet.keeps = {QStringLiteral("Tongue"), QStringLiteral("Cape")};
        sheet.lean = QStringLiteral("70/30");
        QCOMPARE(Contradictions(sheet, beef),
                 (QStringList{QStringLiteral("Chuck is both steaks and ground."),
                              QStringLiteral("Round is not in a front quarter."),
                              QStringLiteral("Rib cannot be cured."),
                              QStringLiteral("Brisket: roasts of 40 lb?"),
                              QStringLiteral("A beef has no Wing."),
                              QStringLiteral("Ground meat is not made 70/30."),
                              QStringLiteral("The Cape cannot be kept.")}));
        sheet.part = SheetPart::SplitSideQuarter; // front and hind
        sheet.choices = {{QStringLiteral("Chuck"), PrimalUse::Ground},
                         {QStringLiteral("Round"), PrimalUse::Steaks, 0.75, 4}};
        sheet.keeps = {QStringLiteral("Tongue")};
        sheet.lean = QStringLiteral("85/15");
        QCOMPARE(Contradictions(sheet, beef), QStringList());

        // Across one animal's buyers: a keep it has one of, and more of a
        // quarter than it has.
        const QList<CutSheet> buyers{Sheet(QStringLiteral("Beef"), SheetPart::Half),
                                     Sheet(QStringLiteral("Beef"), SheetPart::FrontQuarter),
                                     Sheet(QStringLiteral("Beef"), SheetPart::HindQuarter)};
        QCOMPARE(AnimalContradictions(buyers, beef), QStringList());
        QList<CutSheet> over = buyers;
        over[0].keeps = over[2].keeps = {QStringLiteral("Tongue"), QStringLiteral("Suet")};
        over[1].keeps = {QStringLiteral("Suet")};
        over << Sheet(QStringLiteral("Beef"), SheetPart::SplitSideQuarter);
        QCOMPARE(AnimalContradictions(over, beef),
                 (QStringList{QStringLiteral("2 buyers keep the Tongue; the animal has one."),
                              QStringLiteral("The buyers hold more of the front quarters than "
                                             "the animal has."),
                              QStringLiteral("The buyers hold more of the hind quarters than "
                                             "the animal has.")}));
    }

    // The take-home: within the published share of the hanging weight for a
    // whole carcass cut the standard way; less boneless and where more goes
    // to ground; the parts of an animal add up to the whole; nothing while
    // the hanging weight is not known.
    void theTakeHomeFollowsTheChoices()
    {
        const TakeHome beef = HomeOf(Sheet(QStringLiteral("Beef"), SheetPart::Whole), 600, 700);
        QVERIFY2(beef.low >= 600 * 0.58 && beef.high <= 700 * 0.67 && beef.low < beef.high,
                 qPrintable(beef.words()));
        QVERIFY(beef.packages > 150 && beef.packages < 300);
        const TakeHome hog = HomeOf(Sheet(QStringLiteral("Pork"), SheetPart::Whole), 180, 180);
        QVERIFY2(hog.low >= 180 * 0.66 && hog.high <= 180 * 0.8, qPrintable(hog.words()));
        const TakeHome deer = HomeOf(Sheet(QStringLiteral("Deer"), SheetPart::Whole), 100, 110);
        QVERIFY2(deer.low >= 100 * 0.6 && deer.high <= 110 * 0.78, qPrintable(deer.words()));

        const auto all = [](PrimalUse use, bool boneless) {
            QList<PrimalChoice> choices;
            for (const Primal& p : CutMaster::Sample(QStringLiteral("Beef")).primals)
                if (p.uses.contains(use))
                    choices << PrimalChoice{p.name, use, 0, 0, 0, boneless};
            return Sheet(QStringLiteral("Beef"), SheetPart::Whole, choices);
        };
        const TakeHome boneless = HomeOf(all(PrimalUse::Steaks, true), 600, 700);
        const TakeHome ground = HomeOf(all(PrimalUse::Ground, false), 600, 700);
        QVERIFY(boneless.high < beef.high);
        QVERIFY(ground.high < beef.high);
        QVERIFY(ground.packages > beef.packages); // a pound to a package, not two

        // Two halves, or a front and a hind quarter and a half, are the whole.
        const auto part = [](SheetPart p) {
            return HomeOf(Sheet(QStringLiteral("Beef"), p), 600, 700);
        };
        const TakeHome half = part(SheetPart::Half);
        QVERIFY(std::abs(2 * half.high - beef.high) < 1e-6);
        QVERIFY(std::abs(part(SheetPart::FrontQuarter).low + part(SheetPart::HindQuarter).low -
                         half.low) < 1e-6);
        QVERIFY(std::abs(4 * part(SheetPart::SplitSideQuarter).high - beef.high) < 1e-6);

        QCOMPARE(HomeOf(Sheet(QStringLiteral("Beef"), SheetPart::Whole), 0, 0).packages, -1);
        QCOMPARE((TakeHome{310.4, 349.6, 180}).words(),
                 QStringLiteral("about 310–350 lb of meat, in about 180 packages"));
        QCOMPARE(UseFromWords(QStringLiteral(" Ground ")), PrimalUse::Ground);
        QCOMPARE(PartFromWords(QStringLiteral("split-side quarter")), SheetPart::SplitSideQuarter);
    }

    // An estimate's take-home: before the kill over its likely range of the
    // hanging weight, after it at the weight weighed; a share's from the
    // whole animal's at its part; a sheet of another species set aside.
    void anEstimatesTakeHome()
    {
        const CutMaster beef = CutMaster::Sample(QStringLiteral("Beef"));
        const Yields yields = Yields::Published(QStringLiteral("Beef"));
        EstimateValue quote = BeefQuote();
        const TakeHome quoted = TakeHomeOf(quote, beef, yields).value();
        const TakeHome atRange = HomeOf(Sheet(QStringLiteral("Beef"), SheetPart::Whole), 696, 768);
        QCOMPARE(quoted.low, atRange.low);
        QCOMPARE(quoted.high, atRange.high);

        EstimateValue weighed = quote;
        weighed.hanging = Figure::typedIn(QStringLiteral("700"));
        const TakeHome known = TakeHomeOf(weighed, beef, yields).value();
        const TakeHome at700 = HomeOf(Sheet(QStringLiteral("Beef"), SheetPart::Whole), 700, 700);
        QCOMPARE(known.low, at700.low);
        QVERIFY(known.high - known.low < quoted.high - quoted.low);

        // A half of a weighed animal of 700 lb: its part of the whole's meat.
        EstimateValue half = quote;
        half.hanging = Figure::figured(QStringLiteral("350"));
        half.share = ShareOfAnimal{};
        half.share->part = QStringLiteral("half");
        half.share->animalHanging = QStringLiteral("700");
        half.share->weighed = true;
        QCOMPARE(TakeHomeOf(half, beef, yields)->high,
                 HomeOf(Sheet(QStringLiteral("Beef"), SheetPart::Half), 700, 700).high);
        QCOMPARE(SheetOf(half).part, SheetPart::Half);
        // A share by percentage: its percentage of the whole.
        EstimateValue some = half;
        some.share->part = QStringLiteral("30 %");
        some.hanging = Figure::figured(QStringLiteral("210"));
        QCOMPARE(SheetOf(some).part, SheetPart::Whole);
        QVERIFY(std::abs(TakeHomeOf(some, beef, yields)->high - 0.3 * at700.high) < 1e-9);

        // The sheet's choices move it; chosen for a hog, it is not this beef's.
        quote.cutSheet = Sheet(QStringLiteral("Beef"), SheetPart::Whole,
                               {{QStringLiteral("Round"), PrimalUse::Ground}});
        QVERIFY(TakeHomeOf(quote, beef, yields)->high < quoted.high);
        quote.cutSheet->species = QStringLiteral("Pork");
        QCOMPARE(TakeHomeOf(quote, beef, yields)->high, quoted.high);

        EstimateValue unknown = BeefQuote();
        unknown.hanging.fail(QStringLiteral("no price"));
        QVERIFY(!TakeHomeOf(unknown, beef, yields));
        unknown.hanging = Figure::figured(QStringLiteral("0"));
        QVERIFY(!TakeHomeOf(unknown, beef, yields));
    }

    // The sheet is kept with the estimate's record and read back whole; one
    // saved before there were sheets reads as none; the quote and the final
    // bill of a saved estimate carry one sheet; the cutting room reads it
    // in the master's order, and a change after the cut in those words.
    void theSheetIsKeptAndReadAsTheCuttingRoomReadsIt()
    {
        const CutMaster beef = CutMaster::Sample(QStringLiteral("Beef"));
        EstimateValue v = BeefQuote();
        v.cutSheet = Sheet(QStringLiteral("Beef"), SheetPart::FrontQuarter,
                           {{QStringLiteral("Rib"), PrimalUse::Steaks, 1.25, 2, 0, true},
                            {QStringLiteral("Chuck"), PrimalUse::Roasts, 0, 0, 3.5, false}});
        v.cutSheet->lean = QStringLiteral("85/15");
        v.cutSheet->keeps = {QStringLiteral("Tongue")};
        v.cutSheet->changes = {{QStringLiteral("owner"),
                                QDateTime(QDate(2026, 11, 9), QTime(10, 5)),
                                QStringLiteral("Chuck: stew → Chuck: roasts, 3.5 lb")}};
        QCOMPARE(EstimateValue::fromRecord(v.toRecord()), std::optional<EstimateValue>(v));
        QJsonObject record = QJsonDocument::fromJson(v.toRecord().toUtf8()).object();
        record.remove(QStringLiteral("cutSheet"));
        const auto older =
            EstimateValue::fromRecord(QString::fromUtf8(QJsonDocument(record).toJson()));
        QVERIFY(older && !older->cutSheet);
        QString wrong = v.toRecord();
        wrong.replace(QStringLiteral("\"roasts\""), QStringLiteral("\"sliced\""));
        QVERIFY(!EstimateValue::fromRecord(wrong));

        // A front quarter: the front primals only, in the master's order.
        QCOMPARE(
            ChoiceLines(*v.cutSheet, beef),
            (QStringList{QStringLiteral("Chuck: roasts, 3.5 lb"),
                         QStringLiteral("Rib: steaks, 1.25 in thick, 2 to a package, boneless"),
                         QStringLiteral("Brisket: roasts"), QStringLiteral("Plate: ground"),
                         QStringLiteral("Shank: ground"),
                         QStringLiteral("Ground: the shop's usual packages, 85/15"),
                         QStringLiteral("Keep: Tongue")}));
        CutSheet after = *v.cutSheet;
        after.choices[1].use = PrimalUse::Stew;
        after.keeps.clear();
        QCOMPARE(
            ChangeWords(*v.cutSheet, after, beef),
            QStringLiteral("Chuck: roasts, 3.5 lb → Chuck: stew; Keep: Tongue → Keep: nothing"));
        QCOMPARE(ChangeWords(after, after, beef), QString());
        after.part = SheetPart::HindQuarter;
        QCOMPARE(ChangeWords(*v.cutSheet, after, beef),
                 QStringLiteral("front quarter → hind quarter"));

        // Saved as the final bill: the quote carries the same sheet.
        EstimateRecord saved;
        EstimateValue quote = BeefQuote();
        saved.quoteState = quote.toRecord();
        saved.finalState = v.toRecord();
        OneCutSheet(saved, true);
        QCOMPARE(EstimateValue::fromRecord(saved.quoteState)->cutSheet, v.cutSheet);
        QCOMPARE(EstimateValue::fromRecord(saved.quoteState)->live, quote.live);
        // A quote with no final bill has nothing to carry it to.
        EstimateRecord quoted;
        quoted.quoteState = v.toRecord();
        OneCutSheet(quoted, false);
        QVERIFY(quoted.finalState.isEmpty());

        // Beside the states the book keeps the sheet's choices, which the
        // changes recorded on it leave alone, and the count of those.
        FillBookFigures(saved);
        QVERIFY(!saved.cutSheet.isEmpty());
        QCOMPARE(saved.sheetChanges, 1);
        EstimateValue unchanged = v;
        unchanged.cutSheet->changes.clear();
        EstimateRecord bare;
        bare.quoteState = unchanged.toRecord();
        FillBookFigures(bare);
        QCOMPARE(bare.cutSheet, saved.cutSheet);
        QCOMPARE(bare.sheetChanges, 0);
        unchanged.cutSheet->choices[1].roastPounds = 3;
        bare.quoteState = unchanged.toRecord();
        FillBookFigures(bare);
        QVERIFY(bare.cutSheet != saved.cutSheet);
        bare.quoteState = BeefQuote().toRecord();
        FillBookFigures(bare);
        QVERIFY(bare.cutSheet.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCutSheet)
#include "test_cut_sheet.moc"
