#include "screens/estimate_layout.h"

#include "estimate/estimate_rules.h"
#include "pricelist/database.h"
#include "ui/field_cues.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace R = EstimateRules;

namespace {

const QColor PaleBlue(192, 224, 255);
const QColor StaleColour(255, 236, 170);
const QColor NotFiguredColour(210, 210, 210);
const QColor NotFiguredText(105, 105, 105);

// Paints a field's figure mark (its "stale" or "notFigured" property, with the
// reason in "markReason" as its tool tip), or takes it away.
void paintMark(QLineEdit* field)
{
    if (IsMarkedInvalid(field))
        return;
    const bool stale = field->property("stale").toBool();
    const bool notFigured = field->property("notFigured").toBool();
    if (!field->property("ownBase").isValid()) {
        field->setProperty("ownBase", field->palette().color(QPalette::Base));
        field->setProperty("ownText", field->palette().color(QPalette::Text));
    }
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, notFigured ? NotFiguredColour
                                     : stale    ? StaleColour
                                                : field->property("ownBase").value<QColor>());
    // A figure that could not be figured reads dimmed: it is not to be quoted.
    palette.setColor(QPalette::Text,
                     notFigured ? NotFiguredText : field->property("ownText").value<QColor>());
    if (palette != field->palette())
        field->setPalette(palette);
    field->setToolTip(stale || notFigured ? field->property("markReason").toString() : QString());
}

// A place on the screen, in twips.
struct Twips {
    int left, top, width, height;
};

void place(QWidget* w, const Twips& at)
{
    PlaceTwips(w, at.left, at.top, at.width, at.height);
}

using Problem = QString (*)(const QString&);

// The four rows of caption and field down the left of the top band; the
// species hint is made between the second and the third.
struct FieldRow {
    const char* caption;
    const char* captionText; // the first row's caption follows the species
    const char* field;
    Problem problem;
    QLineEdit* EstimateControls::*slot;
};
const FieldRow FieldRows[] = {
    {"Label1", "", "Text1", R::WeightProblem, &EstimateControls::liveWeight},
    {"Label2", "Hanging Weight", "Text2", R::WeightProblem, &EstimateControls::hangingWeight},
    {"Label3", "Processing Charge", "Text3", R::FigureProblem, &EstimateControls::processing},
    {"Label4", "Kill Charge", "Text4", R::FigureProblem, &EstimateControls::kill},
};
constexpr int SpeciesHintRow = 2;

const char* const SpeciesNames[] = {"Beef", "Pork", "Deer"};

// The buttons of the top band, in their tab order.
struct ButtonDesign {
    const char* name;
    const char* caption;
    const char* toolTip; // none when null
    Twips at;
    QPushButton* EstimateControls::*slot;
};
const ButtonDesign Buttons[] = {
    {"Command1",
     "Click To Add Other Charges",
     nullptr,
     {5880, 1980, 3000, 420},
     &EstimateControls::expand},
    // The shop's own tools, in the free corner of the top band.
    {"cmdPriceList",
     "Price &List...",
     "See and change the prices",
     {9000, 1500, 1900, 420},
     &EstimateControls::priceList},
    {"cmdPrint",
     "&Print Estimate...",
     "Print the estimate for the customer, or save it as a PDF file (Ctrl+P)",
     {9000, 1980, 1900, 420},
     &EstimateControls::print},
    // The saved estimates: the customer's estimate kept, the next one begun,
    // an earlier one found again.
    {"cmdSaveEstimate",
     "&Save Estimate...",
     "Keep the estimate under the customer's name (Ctrl+S)",
     {9000, 1020, 1900, 420},
     &EstimateControls::save},
    {"cmdNewEstimate",
     "&New Estimate",
     "Clear the screen for the next customer (Ctrl+N)",
     {3660, 1500, 2100, 420},
     &EstimateControls::newEstimate},
    {"cmdEstimates",
     "Saved &Estimates...",
     "Find a saved estimate by name, phone or number (Ctrl+F)",
     {3660, 1980, 2100, 420},
     &EstimateControls::estimates},
    // A saved estimate: its final bill or its quote, at the rates kept with it.
    {"cmdQuoteOrFinal",
     "Show the &Quote",
     "Show the quote or the final bill of the saved estimate",
     {5880, 1020, 3000, 420},
     &EstimateControls::quoteOrFinal},
    {"cmdTodaysPrices",
     "Use &Today's Prices",
     "Figure the whole estimate again at the prices of the price list today",
     {5880, 1500, 3000, 420},
     &EstimateControls::todaysPrices},
};

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit* field(QWidget* parent, const char* name, Problem problem)
{
    auto* edit = new QLineEdit(QStringLiteral("0"), parent);
    edit->setObjectName(QLatin1String(name));
    MarkInvalidWhile(edit, problem);
    return edit;
}

void paintWith(QWidget* w, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = w->palette();
    palette.setColor(role, colour);
    w->setPalette(palette);
}

void makeTopBand(QWidget* screen, EstimateControls& c)
{
    c.flag = new QCheckBox(screen);
    c.flag->setObjectName(QStringLiteral("Check2"));
    place(c.flag, {120, 120, 300, 300});

    c.totalCaption = label(screen, "Label5", QStringLiteral("Total Estimated Price"));
    place(c.totalCaption, {5880, 150, 2300, 300});
    c.total = field(screen, "Text5", R::FigureProblem);
    QObject::connect(c.total, &QLineEdit::textChanged, c.total, [f = c.total] { paintMark(f); });
    c.total->setReadOnly(true); // the total is figured, never typed
    paintWith(c.total, QPalette::Base, PaleBlue);
    place(c.total, {8280, 120, 1695, 345});

    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QLatin1String(SpeciesNames[i]), screen);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        place(option, {5880 + i * 1200, 600, 1100, 300});
        c.species[i] = option;
    }

    for (int row = 0; row < 4; ++row) {
        const FieldRow& r = FieldRows[row];
        if (row == SpeciesHintRow) {
            c.speciesHint = label(screen, "Label6", QString());
            place(c.speciesHint, {3540, 1110, 2340, 300});
        }
        QLabel* caption = label(screen, r.caption, QLatin1String(r.captionText));
        QLineEdit* edit = field(screen, r.field, r.problem);
        place(caption, {240, 630 + row * 480, 1800, 300});
        place(edit, {2160, 600 + row * 480, 1335, 345});
        c.*r.slot = edit;
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { paintMark(edit); });
        if (row == 0)
            c.weightCaption = caption;
    }
    SelectAllOnFocus(c.liveWeight);

    for (const ButtonDesign& design : Buttons) {
        auto* b = new QPushButton(QString::fromLatin1(design.caption), screen);
        b->setObjectName(QLatin1String(design.name));
        if (design.toolTip)
            b->setToolTip(QString::fromLatin1(design.toolTip));
        place(b, design.at);
        c.*design.slot = b;
    }

    c.quoteOrFinal->hide();
    c.todaysPrices->hide();

    c.recordLabel = label(screen, "lblEstimate", QString());
    c.recordLabel->setTextFormat(Qt::PlainText); // a customer's name is shown as typed
    place(c.recordLabel, {540, 150, 5200, 300});

    auto* line = new QFrame(screen);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    place(line, {0, 2700, EstimateDesignWidth, 60});

    c.tot = new QPushButton(QString(), screen);
    c.tot->setObjectName(QStringLiteral("tot"));
    c.tot->setFocusPolicy(Qt::StrongFocus);
    c.tot->hide();
}

void makeServiceBand(QWidget* screen, EstimateControls& c)
{
    constexpr int firstRowTop = 3000, rowStep = 540, fieldHeight = 345, fieldWidth = 1000;
    // Column left edges: weight field, check box, charge field.
    constexpr int beefX[3] = {120, 1200, 3150};
    constexpr int porkX[3] = {4350, 5430, 6980};

    c.porkFrame = new QFrame(screen);
    c.porkFrame->setObjectName(QStringLiteral("Frame1"));
    c.porkFrame->setFrameShape(QFrame::Box);
    c.porkFrame->setAutoFillBackground(true);
    paintWith(c.porkFrame, QPalette::Window, PaleBlue);
    place(c.porkFrame,
          {porkX[0] - 90, firstRowTop + 3 * rowStep - 90, 10800 - porkX[0], 2 * rowStep + 60});
    c.porkFrame->hide();
    c.porkNote =
        new QLabel(QStringLiteral("Only Applies When We Dont Process The Pork"), c.porkFrame);
    c.porkNote->setObjectName(QStringLiteral("Label7"));
    c.porkNote->setWordWrap(true);
    place(c.porkNote, {3800, 150, 2500, 800});
    c.porkNote->hide();

    for (const ServiceInfo& s : Services()) {
        const int* x = s.column == Column::Pork ? porkX : beefX;
        const int box = ServiceBox(s.id);
        const int top = firstRowTop + (s.column == Column::Pork ? box - 9 : box) * rowStep;
        EstimateControls::Service& row = c.services[static_cast<int>(s.id)];
        row.box = new QCheckBox(QLatin1String(s.caption), screen);
        row.box->setObjectName(indexed("Check1", box));
        place(row.box, {x[1], top, x[2] - x[1] - 60, fieldHeight});
        row.box->hide();
        row.weight = new QLineEdit(QStringLiteral("0"), screen);
        row.charge = new QLineEdit(QStringLiteral("0"), screen);
        row.weight->setObjectName(indexed("Text6", WeightField(s.id)));
        row.charge->setObjectName(indexed("Text6", ChargeField(s.id)));
        place(row.weight, {x[0], top, fieldWidth, fieldHeight});
        place(row.charge, {x[2], top, fieldWidth, fieldHeight});
        for (QLineEdit* edit : {row.weight, row.charge}) {
            MarkInvalidWhile(edit, R::FigureProblem);
            QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { paintMark(edit); });
            edit->hide();
        }
    }
    c.porkFrame->lower();

    c.cureProducts = new QListWidget(screen);
    c.cureProducts->setObjectName(QStringLiteral("List1"));
    c.cureProducts->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const char* product : R::CureProductNames)
        c.cureProducts->addItem(QLatin1String(product));
    place(c.cureProducts, {8200, firstRowTop, 2700, 1500});
    c.cureProducts->hide();
}

} // namespace

int ServiceBox(ServiceId service)
{
    // In the order of ServiceId: the beef services, then the pork ones.
    static constexpr int Boxes[ServiceCount] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13};
    return Boxes[static_cast<int>(service)];
}

int WeightField(ServiceId service)
{
    const int box = ServiceBox(service);
    return Service(service).column == Column::Pork ? box + 10 : box + 9;
}

int ChargeField(ServiceId service)
{
    const int box = ServiceBox(service);
    return Service(service).column == Column::Pork ? box + 17 : box;
}

const ServiceInfo* ServiceAtBox(int box)
{
    for (const ServiceInfo& s : Services())
        if (ServiceBox(s.id) == box)
            return &s;
    return nullptr;
}

EstimateControls MakeEstimateControls(QWidget* screen)
{
    EstimateControls c;
    makeTopBand(screen, c);
    makeServiceBand(screen, c);
    return c;
}

void ShowFigureMark(QLineEdit* field, FigureMark mark, const QString& reason)
{
    const bool stale = mark == FigureMark::Stale;
    const bool notFigured = mark == FigureMark::NotFigured;
    const QString shown = mark == FigureMark::None ? QString() : reason;
    if (field->property("stale").toBool() == stale &&
        field->property("notFigured").toBool() == notFigured &&
        field->property("markReason").toString() == shown)
        return;
    field->setProperty("stale", stale);
    field->setProperty("notFigured", notFigured);
    field->setProperty("markReason", shown);
    paintMark(field);
}

QString PriceFlagTip(const QString& priceListPath, bool open, bool ticked)
{
    const QString file = Database::Described(priceListPath);
    QString tip;
    if (open)
        tip = ticked ? QStringLiteral("Prices come from %1")
                     : QStringLiteral("The built-in prices are in use; tick the box to take "
                                      "prices from %1");
    else if (Database::IsServerUrl(priceListPath))
        tip = ticked ? QStringLiteral("The prices on %1 cannot be reached now: what needs a price "
                                      "is not figured until they can (tried again at every "
                                      "action)")
                     : QStringLiteral("The price list on %1 could not be reached or opened: the "
                                      "built-in prices are in use");
    else if (!QFileInfo::exists(priceListPath))
        tip = QStringLiteral("No price list at %1: the built-in prices are in use");
    else
        tip = QStringLiteral("The price list at %1 could not be opened: the built-in prices "
                             "are in use");
    return tip.arg(file);
}
