#include "screens/accuracy_window.h"

#include "core/money.h"
#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/book_figures.h"
#include "estimate/estimate_value.h"
#include "estimate/likely_range.h"
#include "estimate/quote_rules.h"
#include "estimate/service_catalog.h"
#include "ui/dialogs.h"
#include "ui/spread_chart.h"
#include "ui/window_keys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

const QStringList Columns = {
    QStringLiteral("Species"),           QStringLiteral("Estimates"),
    QStringLiteral("Final bills"),       QStringLiteral("Hanging \u00f7 live"),
    QStringLiteral("Final vs quote"),    QStringLiteral("Within \u00b15 %"),
    QStringLiteral("Within \u00b110 %"),
};
const QString None = QStringLiteral("\u2014");

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("d MMM yyyy"));
}

// "+3.0 %", "-0.4 %", "0.0 %" for a share.
QString signedPercent(double share)
{
    const double percent = share * 100;
    if (std::abs(percent) < 0.05)
        return QStringLiteral("0.0 %");
    return (percent > 0 ? QStringLiteral("+") : QString()) + QString::number(percent, 'f', 1) +
           QStringLiteral(" %");
}

// "60 % (3 of 5)": the share of the bills compared with their quotes.
QString withinText(double share, qsizetype compared)
{
    if (compared == 0)
        return None;
    return QStringLiteral("%1 % (%2 of %3)")
        .arg(std::lround(share * 100))
        .arg(std::lround(share * double(compared)))
        .arg(compared);
}

// "Tenderising (5), Minute Steaks (2)": the most frequent first.
QString servicesText(const QMap<int, int>& counts)
{
    QList<std::pair<int, int>> byCount;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.key() >= 0 && it.key() < ServiceCount)
            byCount.append({it.value(), it.key()});
    std::stable_sort(byCount.begin(), byCount.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList words;
    for (const auto& [count, service] : byCount)
        words << QStringLiteral("%1 (%2)")
                     .arg(ServiceCaption(Service(ServiceId(service))))
                     .arg(count);
    return words.join(QStringLiteral(", "));
}

QTableWidgetItem* cellItem(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return item;
}

} // namespace

AccuracyWindow::AccuracyWindow(EstimateBook& book, PriceSource& shop, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , book_(book)
    , shop_(shop)
{
    setObjectName(QStringLiteral("frmAccuracy"));
    setWindowTitle(QStringLiteral("Quote accuracy"));

    const QDate today = QDate::currentDate();
    const auto dateEdit = [this](const char* name, const QDate& day) {
        auto* edit = new QDateEdit(day, this);
        edit->setObjectName(QLatin1String(name));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("d MMM yyyy"));
        return edit;
    };
    from_ = dateEdit("dateFrom", QDate(today.year(), 1, 1));
    to_ = dateEdit("dateTo", today);
    species_ = new QComboBox(this);
    species_->setObjectName(QStringLiteral("speciesChoice"));
    species_->addItem(QStringLiteral("All species"), QString());
    for (const Species s : {Species::Beef, Species::Pork, Species::Deer})
        species_->addItem(SpeciesName(s), SpeciesName(s));

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("reportNote"));
    note_->setWordWrap(true);

    table_ = new QTableWidget(0, int(Columns.size()), this);
    table_->setObjectName(QStringLiteral("reportTable"));
    table_->setHorizontalHeaderLabels(Columns);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->verticalHeader()->hide();
    table_->setStyleSheet(QStringLiteral("QTableView::item { padding: 0px 6px; }"));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 0; column < table_->columnCount(); ++column)
        table_->horizontalHeaderItem(column)->setTextAlignment(
            (column > 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    // Room for the three species without a scroll bar.
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                           3 * table_->verticalHeader()->defaultSectionSize() +
                           2 * table_->frameWidth() + 2);

    chart_ = new SpreadChart(this);
    services_ = new QLabel(this);
    services_->setObjectName(QStringLiteral("servicesChanged"));
    services_->setWordWrap(true);
    services_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    services_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* servicesBox =
        new QGroupBox(QStringLiteral("Services added or dropped on the bill"), this);
    auto* servicesLayout = new QVBoxLayout(servicesBox);
    servicesLayout->addWidget(services_);
    servicesLayout->addStretch();

    auto* adopt = new QPushButton(QStringLiteral("&Adopt measured ranges\u2026"), this);
    adopt->setObjectName(QStringLiteral("adoptRanges"));
    adopt->setToolTip(QStringLiteral("Make the 10th to 90th percentile of the hanging weight "
                                     "measured here the shop's range for each species shown"));
    middle_ = new QCheckBox(QStringLiteral("and the measured &middle"), this);
    middle_->setObjectName(QStringLiteral("adoptMiddle"));
    forQuotes_ = new QCheckBox(QStringLiteral("which &figures the quotes"), this);
    forQuotes_->setObjectName(QStringLiteral("adoptForQuotes"));
    forQuotes_->setToolTip(QStringLiteral("Quotes then figure the hanging weight at the measured "
                                          "middle instead of the screen's own share of the live "
                                          "weight; a saved estimate keeps the share it was quoted "
                                          "with"));
    forQuotes_->setEnabled(false);
    connect(middle_, &QCheckBox::toggled, forQuotes_, &QWidget::setEnabled);
    yields_ = new QLabel(this);
    yields_->setObjectName(QStringLiteral("lblYields"));
    yields_->setWordWrap(true);
    yields_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* adoptYields = new QPushButton(QStringLiteral("Adopt measured &yields\u2026"), this);
    adoptYields->setObjectName(QStringLiteral("adoptYields"));
    adoptYields->setToolTip(QStringLiteral("Make the meat packed at pickup, against the published "
                                           "yields, the shop's yields for each species shown"));
    connect(adoptYields, &QPushButton::clicked, this, &AccuracyWindow::adoptYields);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(adopt, &QPushButton::clicked, this, &AccuracyWindow::adoptRanges);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    const auto labelled = [&](const QString& caption, QWidget* buddy) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(buddy);
        top->addWidget(label);
        top->addWidget(buddy);
    };
    labelled(QStringLiteral("&From:"), from_);
    labelled(QStringLiteral("&to:"), to_);
    top->addSpacing(16);
    labelled(QStringLiteral("&Species:"), species_);
    top->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(chart_, 3);
    middle->addWidget(servicesBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(adopt);
    buttons->addWidget(middle_);
    buttons->addWidget(forQuotes_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(note_);
    layout->addWidget(table_);
    layout->addLayout(middle, 1);
    auto* takeHome =
        new QGroupBox(QStringLiteral("Take-home quoted against the meat packed at pickup"), this);
    auto* takeHomeRow = new QHBoxLayout(takeHome);
    takeHomeRow->addWidget(yields_, 1);
    takeHomeRow->addWidget(adoptYields);
    layout->addWidget(takeHome);
    layout->addLayout(buttons);
    resize(1040, 680);
    EnterPressesButtons(this);
    EscapeCloses(this);

    refresh();
    connect(from_, &QDateEdit::dateChanged, this, &AccuracyWindow::refresh);
    connect(to_, &QDateEdit::dateChanged, this, &AccuracyWindow::refresh);
    connect(species_, &QComboBox::currentIndexChanged, this, &AccuracyWindow::refresh);
}

void AccuracyWindow::refresh()
{
    report_ = AccuracyReport();
    const ReportRange range{from_->date(), to_->date(), species_->currentData().toString()};
    const QString which =
        range.species.isEmpty() ? QString() : range.species.toLower() + QLatin1Char(' ');
    QString problem, unfilled;
    if (range.from > range.to) {
        note_->setText(QStringLiteral("The first day (%1) is after the last (%2): pick a first "
                                      "day on or before the last.")
                           .arg(dayText(range.from), dayText(range.to)));
    } else {
        report_ = book_.report(range, &problem);
        // Estimates saved before the book kept its figures are figured once
        // from their states, then counted.
        if (problem.isEmpty() && report_.notFigured > 0 &&
            book_.fillFigures(FillBookFigures, &unfilled) >= 0)
            report_ = book_.report(range, &problem);
        if (!problem.isEmpty())
            note_->setText(QStringLiteral("The saved estimates cannot be read. %1").arg(problem));
        else if (report_.estimates == 0)
            note_->setText(QStringLiteral("No %1estimate was saved from %2 to %3.")
                               .arg(which, dayText(range.from), dayText(range.to)));
        else if (report_.billed == 0)
            note_->setText(report_.estimates == 1
                               ? QStringLiteral("The one %1estimate in this range has no final "
                                                "bill yet, so there is nothing to compare.")
                                     .arg(which)
                               : QStringLiteral("None of the %1 %2estimates in this range has a "
                                                "final bill yet, so there is nothing to compare.")
                                     .arg(report_.estimates)
                                     .arg(which));
        else
            note_->setText(QStringLiteral("%1 %2estimate%3 saved from %4 to %5, %6 of them with a "
                                          "final bill.")
                               .arg(report_.estimates)
                               .arg(which, report_.estimates == 1 ? QString() : QStringLiteral("s"),
                                    dayText(range.from), dayText(range.to))
                               .arg(report_.billed));
        if (problem.isEmpty() && report_.notFigured > 0)
            note_->setText(
                note_->text() +
                QStringLiteral(" %1 older estimate%2 could not be counted. %3")
                    .arg(report_.notFigured)
                    .arg(report_.notFigured == 1 ? QString() : QStringLiteral("s"), unfilled));
    }
    showFigures();
    showYields();
}

void AccuracyWindow::showYields()
{
    yieldChecks_.clear();
    QString problem;
    const QString species = species_->currentData().toString();
    if (from_->date() <= to_->date()) {
        const StoreRules rules(shop_);
        for (const YieldCheck& c : CheckYields(book_, rules, from_->date(), to_->date(), &problem))
            if (species.isEmpty() || c.species == species)
                yieldChecks_ << c;
    }
    QStringList lines;
    for (const YieldCheck& c : yieldChecks_)
        lines << c.words();
    yields_->setText(!problem.isEmpty() ? problem
                     : lines.isEmpty()  ? QStringLiteral("No order killed in this range was picked "
                                                          "up with its packaged weight recorded.")
                                        : lines.join(QLatin1Char('\n')));
}

void AccuracyWindow::adoptYields()
{
    QStringList set, tooFew;
    for (const YieldCheck& c : yieldChecks_) {
        if (const std::optional<Yields> y = c.adoptable())
            set << QStringLiteral("%1: %2 of the published yields, one carcass %3 to %4 of that")
                       .arg(c.species, RatioText(y->measured), RatioText(y->low),
                            RatioText(y->high));
        else
            tooFew << QStringLiteral("%1: %2 weighed, and %3 are needed")
                          .arg(c.species)
                          .arg(c.measured.size())
                          .arg(FewestPickups);
    }
    const QString others =
        tooFew.isEmpty() ? QString()
                         : QStringLiteral("\n\nLeft as they are, with too few weighed pickups:\n") +
                               tooFew.join(QLatin1Char('\n'));
    if (set.isEmpty()) {
        Dialogs::tell(this,
                      QStringLiteral("No yields can be adopted from the pickups in this range.") +
                          others + QStringLiteral("\n\nNothing was changed."),
                      QMessageBox::Information);
        return;
    }
    if (!Dialogs::askYesNo(this,
                           QStringLiteral("Make these the shop's yields of meat, measured from the "
                                          "packaged weights shown?\n\n") +
                               set.join(QLatin1Char('\n')) + others,
                           QStringLiteral("Adopt measured yields"), QMessageBox::Question))
        return;
    const StoreResult result = AdoptYields(shop_, yieldChecks_);
    if (result.done())
        Dialogs::tell(this,
                      QStringLiteral("The shop's yields are now, at every counter:\n") +
                          set.join(QLatin1Char('\n')),
                      QMessageBox::Information);
    else
        Dialogs::warn(
            this,
            QStringLiteral("Not set:\n%1\n\n%2").arg(set.join(QLatin1Char('\n')), result.problem));
    showYields();
}

void AccuracyWindow::showFigures()
{
    // Nothing to compare: no figures at all rather than empty ones.
    const bool figures = report_.billed > 0;
    table_->clearContents();
    table_->setRowCount(figures ? int(report_.species.size()) : 0);
    QList<SpreadRow> rows;
    QStringList changes;
    for (int row = 0; figures && row < report_.species.size(); ++row) {
        const SpeciesAccuracy& s = report_.species[row];
        const qsizetype compared = s.finalOverQuote.size();
        const QString ratio = s.ratio ? QStringLiteral("%1 (%2\u2013%3)")
                                            .arg(RatioText(s.ratio->median),
                                                 RatioText(s.ratio->low), RatioText(s.ratio->high))
                                      : None;
        const QString difference =
            compared == 0 ? None
                          : QStringLiteral("%1 (%2)").arg(SignedMoneyText(s.medianDifference),
                                                          signedPercent(s.medianDifferenceShare));
        const QStringList cells = {
            s.species,  QString::number(s.estimates),    QString::number(s.billed),       ratio,
            difference, withinText(s.within5, compared), withinText(s.within10, compared)};
        for (int column = 0; column < cells.size(); ++column)
            table_->setItem(row, column, cellItem(cells[column], column > 0));
        if (s.ratio)
            table_->item(row, 3)->setToolTip(
                QStringLiteral(
                    "The median of %1 weighed animals, and their 10th to 90th percentile")
                    .arg(s.weighed));
        rows.append({s.species, s.finalOverQuote});
        if (s.billed == 0)
            continue;
        QStringList parts;
        if (!s.added.isEmpty())
            parts << QStringLiteral("added %1").arg(servicesText(s.added));
        if (!s.dropped.isEmpty())
            parts << QStringLiteral("dropped %1").arg(servicesText(s.dropped));
        changes << QStringLiteral("%1: %2.").arg(
            s.species, parts.isEmpty() ? QStringLiteral("none added or dropped")
                                       : parts.join(QStringLiteral("; ")));
    }
    chart_->setRows(rows);
    services_->setText(changes.join(QStringLiteral("\n\n")));
}

void AccuracyWindow::adoptRanges()
{
    QList<Adoption> adopted;
    QStringList set, leftAsTheyAre, refused;
    const bool middle = middle_->isChecked();
    const bool forQuotes = middle && forQuotes_->isChecked();
    for (const Adoption& a : Adoptions(report_, middle, forQuotes, shop_.shopSettings())) {
        switch (a.outcome) {
        case Adoption::TooFew:
            leftAsTheyAre << QStringLiteral("%1: %2, and %3 are needed")
                                 .arg(a.species,
                                      CountOf(a.weighed, QStringLiteral("weighed animal"),
                                              QStringLiteral("weighed animals")))
                                 .arg(FewestWeighed);
            break;
        case Adoption::NotAllowed:
            refused << QStringLiteral("%1. %2").arg(AdoptionWords(a.species, a.setting), a.problem);
            break;
        case Adoption::Set:
            set << QStringLiteral("%1 (now %2 to %3)")
                       .arg(AdoptionWords(a.species, a.setting), RatioText(a.before.low),
                            RatioText(a.before.high));
            adopted << a;
            break;
        }
    }
    QString others;
    if (!refused.isEmpty())
        others += QStringLiteral("\n\nNot set, as the range is not allowed:\n") +
                  refused.join(QLatin1Char('\n'));
    if (!leftAsTheyAre.isEmpty())
        others += QStringLiteral("\n\nLeft as they are, with too few weighed bills:\n") +
                  leftAsTheyAre.join(QLatin1Char('\n'));

    if (adopted.isEmpty()) {
        const QString why = report_.species.isEmpty()
                                ? QStringLiteral("There are no bills in this range to measure "
                                                 "the hanging weight from.")
                                : QStringLiteral("No range can be adopted from the bills in this "
                                                 "range.") +
                                      others;
        Dialogs::tell(this, why + QStringLiteral("\n\nNothing was changed."),
                      QMessageBox::Information);
        return;
    }
    if (!Dialogs::askYesNo(this,
                           QStringLiteral("Make these the shop's ranges of the hanging weight, "
                                          "measured from the weighed bills shown?\n\n") +
                               set.join(QLatin1Char('\n')) + others,
                           QStringLiteral("Adopt measured ranges"), QMessageBox::Question))
        return;
    QList<Adoption> saved;
    const StoreResult result = AdoptRanges(shop_, report_, middle, forQuotes, &saved);
    QStringList words;
    for (const Adoption& a : saved)
        if (a.outcome == Adoption::Set)
            words << AdoptionWords(a.species, a.setting);
    if (result.done())
        Dialogs::tell(this,
                      QStringLiteral("The shop's ranges are now, at every counter:\n") +
                          words.join(QLatin1Char('\n')),
                      QMessageBox::Information);
    else
        Dialogs::warn(this, QStringLiteral("Not set:\n%1\n\n%2")
                                .arg(words.join(QLatin1Char('\n')), result.problem));
}
