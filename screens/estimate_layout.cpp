#include "screens/estimate_layout.h"

#include "estimate/estimate_rules.h"
#include "store/database.h"
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
#include <optional>

namespace R = EstimateRules;

namespace {

const QColor PaleBlue(192, 224, 255);
const QColor StaleColour(255, 236, 170);
const QColor NotFiguredColour(210, 210, 210);
const QColor NotFiguredText(105, 105, 105);

// A figure field's mark, kept beside it: it is looked at for every field at
// every keystroke, which dynamic properties would make slow. The properties
// "stale" and "notFigured" tell it to whoever looks at the field from outside.
class FigureMarkState : public QObject {
public:
    explicit FigureMarkState(QLineEdit* field)
        : QObject(field)
    {}
    FigureMark mark = FigureMark::None;
    QString reason;
    // The field's own colours, taken before it is first painted with a mark
    // (until then its palette is its own, or the invalid mark's).
    std::optional<QColor> ownBase, ownText;

    void keepOwnColours(const QLineEdit* field)
    {
        if (ownBase || IsMarkedInvalid(field))
            return;
        ownBase = field->palette().color(QPalette::Base);
        ownText = field->palette().color(QPalette::Text);
    }
};

FigureMarkState* markStateOf(QLineEdit* field)
{
    for (QObject* child : field->children())
        if (auto* state = dynamic_cast<FigureMarkState*>(child))
            return state;
    return nullptr;
}

// Paints a field's figure mark, with the reason as its tool tip, or takes it
// away; while the field is marked as invalid, that mark shows.
void paintMark(QLineEdit* field, FigureMarkState& state)
{
    state.keepOwnColours(field);
    if (IsMarkedInvalid(field) || !state.ownBase)
        return;
    const bool stale = state.mark == FigureMark::Stale;
    const bool notFigured = state.mark == FigureMark::NotFigured;
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, notFigured ? NotFiguredColour
                                     : stale    ? StaleColour
                                                : *state.ownBase);
    // A figure that could not be figured reads dimmed: it is not to be quoted.
    palette.setColor(QPalette::Text, notFigured ? NotFiguredText : *state.ownText);
    if (palette != field->palette())
        field->setPalette(palette);
    const QString tip = stale || notFigured ? state.reason : QString();
    if (field->toolTip() != tip)
        field->setToolTip(tip);
}

// Gives a figure field its mark, painted again whenever its text changes.
void watchFigureMark(QLineEdit* field)
{
    auto* state = new FigureMarkState(field);
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [field, state] { paintMark(field, *state); });
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
     "Clear the screen for the next customer (Ctrl+N); Ctrl+Shift+N keeps the animal and "
     "services for a new customer",
     {3660, 1500, 2100, 420},
     &EstimateControls::newEstimate},
    {"cmdEstimates",
     "Saved &Estimates...",
     "Find a saved estimate by name, phone or number (Ctrl+F)",
     {3660, 1980, 2100, 420},
     &EstimateControls::estimates},
    // One animal sold in shares to several buyers.
    {"cmdShares",
     "Sh&ares...",
     "Sell a beef or hog in halves and quarters to several buyers",
     {3660, 570, 2100, 420},
     &EstimateControls::shares},
    // The animal's way through the shop: its kill date booked ahead on the
    // calendar of the cooler's space and its cut sheet for the cutting room,
    // under the weights; what the shop does with its bookings today.
    {"cmdBookKillDate",
     "Book a &Kill Date...",
     "Book a kill date for this customer on the calendar of the kill days and the cooler "
     "(Ctrl+K)",
     {240, 2460, 1860, 420},
     &EstimateControls::killCalendar},
    {"cmdCutSheet",
     "Cu&t Sheet...",
     "The customer's cut sheet for the cutting room, and the meat they are likely to take home",
     {2160, 2460, 1335, 420},
     &EstimateControls::cutSheet},
    {"cmdDayBoard",
     "Today's B&oard...",
     "Today's drop-offs and kills, the carcasses to cut and the orders ready for pickup",
     {3660, 2460, 2100, 420},
     &EstimateControls::dayBoard},
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
    c.flag->setAccessibleName(QStringLiteral("Prices from the price list"));
    place(c.flag, {120, 120, 300, 300});

    c.totalCaption = label(screen, "Label5", QStringLiteral("Total Estimated Price"));
    place(c.totalCaption, {5880, 150, 2300, 300});
    c.total = field(screen, "Text5", R::FigureProblem);
    watchFigureMark(c.total);
    c.total->setReadOnly(true);              // the total is figured, never typed
    c.total->setFocusPolicy(Qt::ClickFocus); // so Tab passes it by
    c.totalCaption->setBuddy(c.total);
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
            place(c.speciesHint, {3540, 1110, 3600, 300}); // room for "About 61 % Of Live Weight"
        }
        QLabel* caption = label(screen, r.caption, QLatin1String(r.captionText));
        QLineEdit* edit = field(screen, r.field, r.problem);
        place(caption, {240, 630 + row * 480, 1800, 300});
        place(edit, {2160, 600 + row * 480, 1335, 345});
        c.*r.slot = edit;
        caption->setBuddy(edit); // a screen reader names the field by its caption
        SelectZeroOnKeyboardFocus(edit);
        watchFigureMark(edit);
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

    // The saved estimate's heading, on two lines when it needs them.
    c.recordLabel = label(screen, "lblEstimate", QString());
    c.recordLabel->setTextFormat(Qt::PlainText); // a customer's name is shown as typed
    c.recordLabel->setWordWrap(true);
    c.recordLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = c.recordLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    c.recordLabel->setFont(small);
    place(c.recordLabel, {540, 90, 5280, 480});

    c.connection = label(screen, "lblConnection", QString());
    c.connection->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));
    place(c.connection, {240, 2940, 10500, 270});
    c.connection->hide();

    c.likely = label(screen, "lblLikely", QString());
    c.likely->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(c.likely, {5880, 2940, 4960, 270});
    c.takeHome = label(screen, "lblTakeHome", QString());
    c.takeHome->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(c.takeHome, {5880, 3210, 4960, 270});
    c.likelyCaution = label(screen, "lblLikelyCaution", QString());
    c.likelyCaution->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(c.likelyCaution, {240, 3480, 10600, 270});

    c.shareLine = label(screen, "lblShare", QString());
    c.shareLine->setTextFormat(Qt::PlainText);
    place(c.shareLine, {240, 2940, 5560, 270});

    auto* line = new QFrame(screen);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    place(line, {0, 3780, EstimateDesignWidth, 60});

    c.tot = new QPushButton(QString(), screen);
    c.tot->setObjectName(QStringLiteral("tot"));
    c.tot->setFocusPolicy(Qt::StrongFocus);
    c.tot->hide();
}

void makeServiceBand(QWidget* screen, EstimateControls& c)
{
    constexpr int firstRowTop = 4080, rowStep = 540, fieldHeight = 345, fieldWidth = 1000;
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
        row.weight->setAccessibleName(QStringLiteral("%1 weight").arg(row.box->text()));
        row.charge->setAccessibleName(QStringLiteral("%1 charge").arg(row.box->text()));
        for (QLineEdit* edit : {row.weight, row.charge}) {
            SelectZeroOnKeyboardFocus(edit);
            MarkInvalidWhile(edit, R::FigureProblem);
            watchFigureMark(edit);
            edit->hide();
        }
    }
    c.porkFrame->lower();

    c.cureProducts = new QListWidget(screen);
    c.cureProducts->setObjectName(QStringLiteral("List1"));
    c.cureProducts->setSelectionMode(QAbstractItemView::MultiSelection);
    c.cureProducts->setAccessibleName(QStringLiteral("Cure products"));
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
    FigureMarkState* state = markStateOf(field);
    const QString shown = mark == FigureMark::None ? QString() : reason;
    if (!state || (state->mark == mark && state->reason == shown))
        return;
    state->keepOwnColours(field);
    state->mark = mark;
    state->reason = shown;
    field->setProperty("stale", mark == FigureMark::Stale);
    field->setProperty("notFigured", mark == FigureMark::NotFigured);
    paintMark(field, *state);
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
