#include "screens/shares_window.h"

#include "core/money.h"
#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/book_figures.h"
#include "estimate/booking_money.h"
#include "estimate/estimate_summary.h"
#include "screens/estimate_keeper.h"
#include "screens/estimate_print.h"
#include "ui/dialogs.h"
#include "ui/window_keys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

enum ColumnOf {
    Customer,
    Phone,
    Part,
    Hanging,
    Kill,
    Processing,
    ServicesColumn,
    Surcharge,
    Total,
    Number,
    ColumnCount
};

const char* const Headings[ColumnCount] = {"Customer", "Phone",      "Part",     "Hanging",
                                           "Kill",     "Processing", "Services", "Surcharge",
                                           "Total",    "Estimate"};

const KillFeeSplit Splits[] = {KillFeeSplit::ByPart, KillFeeSplit::OneBuyer,
                               KillFeeSplit::PerShare};

QLineEdit* field(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// A share's total that cannot be given (the window tells why).
const QString NotFigured = QStringLiteral("\u2014");

} // namespace

SharesWindow::SharesWindow(ShareHost& host, PriceSource& prices, EstimateBook& book,
                           const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , host_(host)
    , prices_(prices)
    , book_(book)
    , clock_(clock)
{
    setObjectName(QStringLiteral("frmShares"));
    setWindowTitle(QStringLiteral("Shares of One Animal"));

    auto* head = new QFormLayout;
    tag_ = field(this, "animalTag");
    tag_->setPlaceholderText(QStringLiteral("the carcass's tag"));
    species_ = new QComboBox(this);
    species_->setObjectName(QStringLiteral("animalSpecies"));
    species_->addItems({QStringLiteral("Beef"), QStringLiteral("Pork")});
    live_ = field(this, "animalLive");
    killFee_ = new QComboBox(this);
    killFee_->setObjectName(QStringLiteral("killFeeSplit"));
    for (const KillFeeSplit split : Splits)
        killFee_->addItem(KillFeeSplitWords(split));
    payer_ = new QComboBox(this);
    payer_->setObjectName(QStringLiteral("killFeePayer"));
    auto* fee = new QHBoxLayout;
    fee->addWidget(killFee_, 1);
    fee->addWidget(payer_, 1);
    head->addRow(QStringLiteral("&Tag"), tag_);
    head->addRow(QStringLiteral("&Species"), species_);
    head->addRow(QStringLiteral("&Live Weight"), live_);
    auto* feeCaption = new QLabel(QStringLiteral("&Kill fee"), this);
    feeCaption->setBuddy(killFee_);
    head->addRow(feeCaption, fee);

    auto* kill = new QGroupBox(QStringLiteral("After the kill"), this);
    auto* weighed = new QFormLayout(kill);
    weighed_ = field(kill, "weighedHanging");
    weighed_->setPlaceholderText(QStringLiteral("the whole hanging weight"));
    firstSide_ = field(kill, "firstSide");
    secondSide_ = field(kill, "secondSide");
    auto* sides = new QHBoxLayout;
    sides->addWidget(firstSide_);
    sides->addWidget(secondSide_);
    weighed->addRow(QStringLiteral("&Hanging weight"), weighed_);
    auto* sidesCaption = new QLabel(QStringLiteral("or each si&de"), kill);
    sidesCaption->setBuddy(firstSide_);
    weighed->addRow(sidesCaption, sides);

    auto* top = new QHBoxLayout;
    top->addLayout(head, 3);
    top->addWidget(kill, 2);

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("sharesTable"));
    QStringList headings;
    for (const char* heading : Headings)
        headings << QLatin1String(heading);
    table_->setHorizontalHeaderLabels(headings);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(Customer, QHeaderView::Stretch);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("sharesSummary"));
    problems_ = new QLabel(this);
    problems_->setObjectName(QStringLiteral("sharesProblems"));
    problems_->setWordWrap(true);
    problems_->setStyleSheet(QStringLiteral("color: #a00000;"));

    auto* buttons = new QHBoxLayout;
    QPushButton* add = button(this, "addShare", QStringLiteral("&Add Buyer"));
    QPushButton* remove = button(this, "removeShare", QStringLiteral("&Remove Buyer"));
    QPushButton* services = button(this, "shareServices", QStringLiteral("Buyer's S&ervices..."));
    QPushButton* open = button(this, "openAnimal", QStringLiteral("&Open a Tag..."));
    QPushButton* save = button(this, "saveShares", QStringLiteral("Sa&ve All"));
    QPushButton* print = button(this, "printShares", QStringLiteral("&Print All..."));
    for (QPushButton* b : {add, remove, services})
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {open, save, print})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addWidget(summary_);
    layout->addWidget(problems_);
    layout->addLayout(buttons);
    resize(900, 480);

    for (QLineEdit* edit : {tag_, live_, weighed_, firstSide_, secondSide_})
        connect(edit, &QLineEdit::textEdited, this, [this] {
            readHead();
            figureAndShow();
        });
    for (QComboBox* box : {species_, killFee_, payer_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (showing_)
                return;
            readHead();
            figureAndShow();
        });
    connect(table_, &QTableWidget::cellChanged, this, [this](int row, int column) {
        if (!showing_)
            cellEdited(row, column);
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (column > Part)
            editServices();
    });
    connect(add, &QPushButton::clicked, this, [this] { addShare(); });
    connect(remove, &QPushButton::clicked, this, [this] { removeShare(); });
    connect(services, &QPushButton::clicked, this, [this] { editServices(); });
    connect(open, &QPushButton::clicked, this, [this] {
        if (const auto tag = Dialogs::askText(this, QStringLiteral("The tag of the animal:"),
                                              QStringLiteral("Open a Tag")))
            openAnimal(*tag);
    });
    connect(save, &QPushButton::clicked, this, [this] { saveAll(); });
    lostSave_ = new QTimer(this);
    lostSave_->setInterval(1000);
    connect(lostSave_, &QTimer::timeout, this, [this] { settleLostSave(); });
    connect(print, &QPushButton::clicked, this, [this] { printAll(); });
    // Escape closes the window, asking first about what is not saved.
    EscapeCloses(this);
}

AnimalShares SharesWindow::figuring() const
{
    return AnimalShares(prices_, clock_, host_.priceListFlag(), host_.quoteRules());
}

void SharesWindow::startAnimal(Species species, const QString& live)
{
    animal_ = AnimalValue();
    animal_.species = species == Species::Pork ? Species::Pork : Species::Beef;
    animal_.live = live;
    if (const auto split = KillFeeSplitFromKey(prices_.shopSettings().killFeeSplit))
        animal_.killFee = *split;
    saved_ = animal_;
    records_.clear();
    removed_.clear();
    partTyped_.clear();
    figureAndShow();
}

bool SharesWindow::openAnimal(const QString& tag)
{
    if (!settleUnsaved())
        return false;
    QString problem;
    const QList<EstimateRecord> records = book_.animal(tag, &problem);
    if (records.isEmpty()) {
        Dialogs::warn(
            this,
            problem.isEmpty()
                ? QStringLiteral("No shares are saved under the tag \"%1\".").arg(tag.trimmed())
                : problem);
        return false;
    }
    QList<AnimalShare> shares;
    for (const EstimateRecord& record : records) {
        const auto value =
            EstimateValue::fromRecord(record.hasFinal() ? record.finalState : record.quoteState);
        QString why;
        const auto part = SharePart::fromWords(record.sharePart, &why);
        if (!value || !part) {
            Dialogs::warn(this, QStringLiteral("Estimate %1 of the tag \"%2\" cannot be read "
                                               "back, so the animal was not opened.")
                                    .arg(record.number)
                                    .arg(tag.trimmed()));
            return false;
        }
        shares << AnimalShare{record.customer, record.phone, *part, *value, record.number};
    }
    animal_ = AnimalOf(shares);
    records_ = records;
    removed_.clear();
    partTyped_.clear();
    // Opened as saved: each share as its estimate was saved, figured again
    // only when something changes.
    figures_ = figuring().sum(animal_);
    saved_ = animal_;
    showFigures(figures_);
    return true;
}

void SharesWindow::readHead()
{
    animal_.tag = tag_->text();
    animal_.species = species_->currentIndex() == 1 ? Species::Pork : Species::Beef;
    animal_.live = live_->text();
    animal_.killFee = Splits[std::max(0, killFee_->currentIndex())];
    animal_.payer = std::max(0, payer_->currentIndex());
    animal_.weighed = weighed_->text();
    animal_.firstSide = firstSide_->text();
    animal_.secondSide = secondSide_->text();
}

void SharesWindow::figureAndShow()
{
    figures_ = figuring().figure(animal_);
    // The buyer's share on the Estimate screen follows the animal; while the
    // animal cannot be figured (its species, its weights), it comes back.
    if (const int shown = shownShare(); shown >= 0) {
        if (figures_.hanging.isEmpty())
            host_.takeShareBack();
        else
            host_.shareRefigured(animal_.shares[shown].estimate);
    }
    if (animal_.shares.isEmpty())
        figures_.problems.clear(); // nothing to tell before the first buyer
    for (auto typed = partTyped_.cbegin(); typed != partTyped_.cend(); ++typed)
        figures_.problems.prepend(QStringLiteral("Share %1: \"%2\" is not a part of the animal.")
                                      .arg(typed.key() + 1)
                                      .arg(typed.value()));
    showFigures(figures_);
}

void SharesWindow::showFigures(const AnimalFigures& figures)
{
    const QScopedValueRollback<bool> showing(showing_, true);
    const auto setText = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text)
            edit->setText(text);
    };
    setText(tag_, animal_.tag);
    species_->setCurrentIndex(animal_.species == Species::Pork ? 1 : 0);
    setText(live_, animal_.live);
    killFee_->setCurrentIndex(static_cast<int>(animal_.killFee));
    setText(weighed_, animal_.weighed);
    setText(firstSide_, animal_.firstSide);
    setText(secondSide_, animal_.secondSide);
    payer_->clear();
    for (const AnimalShare& share : animal_.shares)
        payer_->addItem(share.customer.trimmed().isEmpty() ? QStringLiteral("(no name)")
                                                           : share.customer.trimmed());
    payer_->setCurrentIndex(std::min(animal_.payer, int(payer_->count()) - 1));
    payer_->setEnabled(animal_.killFee == KillFeeSplit::OneBuyer);

    // The rows are written in place: the clerk's current cell stays where it is.
    table_->setRowCount(int(animal_.shares.size()));
    for (int row = 0; row < int(animal_.shares.size()); ++row) {
        const AnimalShare& share = animal_.shares[row];
        const EstimateValue& v = share.estimate;
        // The share's own bill to the cent, as it prints; none to show while
        // a figure of it is not current or not a number.
        const std::optional<BillCents> bill = v.total.isCurrent() ? CentsOfBill(v) : std::nullopt;
        const auto cents = [&](std::int64_t BillCents::*line) {
            return bill ? MoneyText((*bill).*line) : QString();
        };
        const bool splitSide = v.share && v.share->splitSide();
        const QString texts[ColumnCount] = {
            share.customer,
            share.phone,
            partTyped_.value(row, share.part.words()),
            v.hanging.text + QStringLiteral(" lb"),
            bill ? cents(&BillCents::kill) : PrintedMoney(v.kill.text),
            bill ? cents(&BillCents::processing) : PrintedMoney(v.processing.text),
            bill && bill->services != 0 ? cents(&BillCents::services) : QString(),
            splitSide ? cents(&BillCents::surcharge) : QString(),
            bill ? cents(&BillCents::total) : NotFigured,
            share.number ? QString::number(share.number) : QString()};
        for (int column = 0; column < ColumnCount; ++column) {
            QTableWidgetItem* item = table_->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                if (column > Part)
                    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                if (column > Part && column < Number)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(row, column, item);
            }
            item->setText(texts[column]);
        }
    }

    QStringList words;
    if (figures.cents) {
        words << QStringLiteral("The animal: %1, hanging weight %2 lb.")
                     .arg(MoneyText(figures.cents->animal), figures.hanging);
        if (figures.unsold.part > 0)
            words << QStringLiteral("Not sold yet: %1 % (%2 lb, %3).")
                         .arg(UnitsText(figures.unsold.part, 2, false),
                              NumberText(figures.unsold.hanging), MoneyText(figures.cents->unsold));
    }
    if (animal_.shares.isEmpty())
        words << QStringLiteral("Add each buyer with Add Buyer, and type their part: half, "
                                "quarter, split-side quarter or a percentage.");
    summary_->setText(words.join(QLatin1Char(' ')));
    problems_->setText(figures.problems.join(QLatin1Char('\n')));
    problems_->setVisible(!figures.problems.isEmpty());
}

void SharesWindow::addShare()
{
    if (animal_.shares.size() >= MostShares) {
        Dialogs::warn(this,
                      QStringLiteral("An animal is sold in at most %1 shares.").arg(MostShares));
        return;
    }
    AnimalShare share;
    // The part left, when it is one of the usual ones.
    const int left = UnsoldPart(animal_.parts());
    share.part = left == WholeAnimal / 2 ? SharePart{PartKind::Half, 0}
                 : left > 0 && left != WholeAnimal / 4 && left < WholeAnimal
                     ? SharePart{PartKind::Percent, left}
                     : SharePart{PartKind::Quarter, 0};
    animal_.shares << share;
    records_ << EstimateRecord();
    figureAndShow();
    table_->setCurrentCell(int(animal_.shares.size()) - 1, Customer);
    table_->editItem(table_->item(int(animal_.shares.size()) - 1, Customer));
}

void SharesWindow::removeShare()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= int(animal_.shares.size()))
        return;
    const AnimalShare& share = animal_.shares[row];
    QString question = QStringLiteral("Take %1's %2 off the animal?")
                           .arg(share.customer.trimmed().isEmpty() ? QStringLiteral("this buyer")
                                                                   : share.customer.trimmed(),
                                share.part.words());
    if (share.number)
        question += QStringLiteral(" Save All then takes its saved estimate %1 off the tag: it "
                                   "stays in the book as an estimate of its own.")
                        .arg(share.number);
    if (!Dialogs::askYesNo(this, question, windowTitle(), QMessageBox::Question, QMessageBox::No))
        return;
    // A share on the Estimate screen comes back first: the rows move.
    host_.takeShareBack();
    if (row >= int(animal_.shares.size()))
        return;
    // Its saved estimate is taken off the animal's tag at the next Save All.
    if (records_.value(row).number != 0)
        removed_ << records_[row];
    animal_.shares.removeAt(row);
    records_.removeAt(row);
    QHash<int, QString> typed;
    for (auto t = partTyped_.cbegin(); t != partTyped_.cend(); ++t)
        if (t.key() != row)
            typed.insert(t.key() > row ? t.key() - 1 : t.key(), t.value());
    partTyped_ = typed;
    if (animal_.payer >= row && animal_.payer > 0)
        --animal_.payer;
    figureAndShow();
}

void SharesWindow::cellEdited(int row, int column)
{
    if (row < 0 || row >= int(animal_.shares.size()))
        return;
    AnimalShare& share = animal_.shares[row];
    const QString text = table_->item(row, column)->text();
    if (column == Customer) {
        if (row == shownRow_)
            shownBuyer_ = text;
        share.customer = text;
    } else if (column == Phone) {
        share.phone = text;
    } else if (column == Part) {
        QString problem;
        if (const auto part = SharePart::fromWords(text, &problem)) {
            share.part = *part;
            partTyped_.remove(row);
        } else {
            share.part = SharePart{PartKind::Percent, 0}; // nothing: the parts do not add up
            partTyped_.insert(row, text.trimmed());
        }
    } else {
        return;
    }
    figureAndShow();
}

void SharesWindow::editServices()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= int(animal_.shares.size())) {
        Dialogs::warn(this, QStringLiteral("Choose the buyer whose services to see."));
        return;
    }
    // At the prices as they stand now (the price list's, or the built-in ones).
    host_.takeShareBack();
    readHead();
    figureAndShow();
    if (row >= int(animal_.shares.size()))
        return;
    if (figures_.hanging.isEmpty()) {
        Dialogs::warn(this, QStringLiteral("The buyer's services are chosen once the animal can be "
                                           "figured.\n\n%1")
                                .arg(figures_.problems.join(QLatin1Char('\n'))));
        return;
    }
    const AnimalShare& share = animal_.shares[row];
    const QString caption =
        QStringLiteral("%1's %2 of %3%4")
            .arg(share.customer.trimmed().isEmpty() ? QStringLiteral("A buyer")
                                                    : share.customer.trimmed(),
                 share.part.words(), SpeciesName(animal_.species).toLower(),
                 animal_.tag.trimmed().isEmpty() ? QString()
                                                 : QStringLiteral(" tag ") + animal_.tag.trimmed());
    const QString buyer = share.customer;
    const bool shown = host_.showShare(
        share.estimate, caption,
        [this](const EstimateValue& value) {
            const int back = shownShare();
            shownRow_ = -1;
            if (back >= 0)
                shareEdited(back, value);
        },
        [this](const EstimateValue& value) {
            if (const int changed = shownShare(); changed >= 0)
                shareChanging(changed, value);
        });
    if (shown) {
        shownRow_ = row;
        shownBuyer_ = buyer;
    }
}

bool SharesWindow::showServicesOf(qint64 number)
{
    for (int row = 0; row < int(animal_.shares.size()); ++row)
        if (animal_.shares[row].number == number) {
            table_->setCurrentCell(row, 0);
            editServices();
            return shownShare() == row;
        }
    return false;
}

int SharesWindow::shownShare() const
{
    // The share follows the window's rows by its place, which a removal
    // moves: it is the row's while the row holds its buyer.
    if (shownRow_ < 0 || shownRow_ >= int(animal_.shares.size()) ||
        animal_.shares[shownRow_].customer != shownBuyer_)
        return -1;
    return shownRow_;
}

void SharesWindow::shareChanging(int row, const EstimateValue& value)
{
    // The animal figured with the share as it stands on the Estimate screen
    // (figureAndShow gives the screen the share as the animal gives it):
    // this window shows what that screen shows.
    animal_.shares[row].estimate = value;
    figureAndShow();
}

void SharesWindow::shareEdited(int row, const EstimateValue& value)
{
    animal_.shares[row].estimate = value;
    figureAndShow();
    raise();
    activateWindow();
}

bool SharesWindow::readyTo(const char* what)
{
    host_.takeShareBack();
    readHead();
    figureAndShow();
    if (animal_.shares.isEmpty())
        figures_.problems << PartsProblem({});
    const bool saving = QLatin1String(what) == QLatin1String("saved");
    if (animal_.tag.trimmed().isEmpty() && saving)
        figures_.problems << QStringLiteral("Give the carcass's tag: it links the shares of the "
                                            "animal, and finds them again.");
    if (!figures_.problems.isEmpty()) {
        Dialogs::warn(this,
                      QStringLiteral("The shares were not %1.\n\n%2")
                          .arg(QLatin1String(what), figures_.problems.join(QLatin1Char('\n'))));
        return false;
    }
    // Each buyer's rows figured for another hanging weight, as the Estimate
    // screen asks of one estimate.
    QStringList stale;
    for (const AnimalShare& share : animal_.shares)
        for (const QString& row : StaleRowWords(share.estimate))
            stale << QStringLiteral("%1: %2").arg(
                share.customer.trimmed().isEmpty() ? share.part.words() : share.customer.trimmed(),
                row);
    return GoOnWithStaleRows(this, stale, saving ? QStringLiteral("Save") : QStringLiteral("Print"),
                             QStringLiteral("the shares"));
}

bool SharesWindow::hasUnsavedChanges() const
{
    return (!(animal_ == saved_) && !animal_.shares.isEmpty()) || !removed_.isEmpty();
}

void SharesWindow::settleLostSave()
{
    // Never under a message box or dialog, and never waiting for a server
    // that does not answer.
    if (QApplication::activeModalWidget() || !book_.mayAsk())
        return;
    QList<EstimateRecord*> waiting;
    for (QList<EstimateRecord>* records : {&records_, &removed_})
        for (EstimateRecord& record : *records)
            if (!record.saveKey.isEmpty())
                waiting << &record;
    if (waiting.isEmpty()) {
        lostSave_->stop();
        return;
    }
    // One save, all or none: the first tells for every one of them.
    const BookResult told = book_.settle(*waiting[0]);
    if (told.mayBeSaved)
        return;
    lostSave_->stop();
    if (!told.done) {
        for (EstimateRecord* record : waiting)
            record->saveKey.clear();
        Dialogs::warn(this, QStringLiteral("The server answered: the shares were not saved. "
                                           "Save All saves them."));
        return;
    }
    QStringList numbers;
    for (EstimateRecord* record : waiting) {
        if (record != waiting[0])
            book_.settle(*record); // its number, times and revision as the server kept them
        numbers << QString::number(record->number);
    }
    for (int i = 0; i < int(records_.size()) && i < int(animal_.shares.size()); ++i)
        animal_.shares[i].number = records_[i].number;
    Dialogs::tell(this, QStringLiteral("The server answered: the save went through, as "
                                       "%1 %2. Save All again changes them; it adds none.")
                            .arg(numbers.size() == 1 ? QStringLiteral("estimate")
                                                     : QStringLiteral("estimates"),
                                 numbers.join(QStringLiteral(", "))));
}

bool SharesWindow::saveAll()
{
    if (!readyTo("saved"))
        return false;
    const QDateTime now = clock_.now();
    AnimalValue kept = animal_;
    figuring().keep(kept, now);
    // After the kill a share saved before gets its final bill beside its
    // quote; a buyer added after the kill gets both, the quote figured from
    // the live weight as every other buyer's was.
    const bool billing = animal_.weighedAfterKill();
    std::optional<AnimalValue> quoted;
    QList<EstimateRecord> next = records_;
    QList<EstimateRecord*> toSave;
    for (int i = 0; i < int(kept.shares.size()); ++i) {
        const AnimalShare& share = kept.shares[i];
        EstimateRecord& record = next[i];
        const bool final = billing && record.number != 0;
        record.customer = share.customer.simplified();
        record.phone = share.phone.simplified();
        record.species = SpeciesName(kept.species);
        record.liveWeight = kept.live;
        (final ? record.finalState : record.quoteState) = share.estimate.toRecord();
        (final ? record.finalTotal : record.quoteTotal) = share.estimate.total.text;
        if (billing && record.number == 0) {
            if (!quoted) {
                quoted = animal_;
                quoted->weighed.clear();
                quoted->firstSide.clear();
                quoted->secondSide.clear();
                figuring().figure(*quoted);
                figuring().keep(*quoted, now);
            }
            const EstimateValue& quote = quoted->shares[i].estimate;
            record.finalState = record.quoteState;
            record.finalTotal = record.quoteTotal;
            record.quoteState = quote.toRecord();
            record.quoteTotal = quote.total.text;
        }
        if (!final)
            record.likelyLow = record.likelyHigh = std::nullopt; // the quote given now
        FillBookFigures(record);
        toSave << &record;
    }
    // The buyers taken off: their estimates stay, no longer under the tag.
    QList<EstimateRecord> takenOff = removed_;
    for (EstimateRecord& record : takenOff) {
        for (QString* state : {&record.quoteState, &record.finalState}) {
            std::optional<EstimateValue> value = EstimateValue::fromRecord(*state);
            if (value && value->share) {
                value->share->takenOff = true;
                *state = value->toRecord();
            }
        }
        FillBookFigures(record);
        toSave << &record;
    }
    const BookResult result = book_.saveAll(toSave);
    lostSave_->stop(); // told by this save
    if (!result.done) {
        for (int i = 0; i < int(next.size()); ++i)
            records_[i].saveKey = next[i].saveKey;
        for (int i = 0; i < int(takenOff.size()); ++i)
            removed_[i].saveKey = takenOff[i].saveKey;
        if (result.mayBeSaved)
            lostSave_->start();
        Dialogs::warn(this, result.problem);
        return false;
    }
    QStringList numbers;
    for (int i = 0; i < int(kept.shares.size()); ++i) {
        kept.shares[i].number = next[i].number;
        numbers << QString::number(next[i].number);
    }
    QStringList off;
    for (const EstimateRecord& record : takenOff)
        off << QString::number(record.number);
    records_ = next;
    removed_.clear();
    animal_ = kept;
    saved_ = animal_;
    showFigures(figures_);
    QString told =
        QStringLiteral("Saved %1 as %2 %3%4.")
            .arg(billing ? QStringLiteral("the final bills") : QStringLiteral("the shares"),
                 numbers.size() == 1 ? QStringLiteral("estimate") : QStringLiteral("estimates"),
                 numbers.join(QStringLiteral(", ")),
                 animal_.tag.trimmed().isEmpty()
                     ? QString()
                     : QStringLiteral(" under the tag ") + animal_.tag.trimmed());
    if (off.size() == 1)
        told += QStringLiteral(" Estimate %1 was taken off the tag and is kept as an estimate of "
                               "its own.")
                    .arg(off[0]);
    else if (!off.isEmpty())
        told += QStringLiteral(" Estimates %1 were taken off the tag and are kept as estimates "
                               "of their own.")
                    .arg(off.join(QStringLiteral(", ")));
    // The sides weighed: the animal's booking is killed.
    if (const QString problem = WeighBookings(book_, next); !problem.isEmpty())
        told += QStringLiteral("\n\nThe booking they bill was not told the carcass's weight. %1")
                    .arg(problem);
    Dialogs::tell(this, told);
    return true;
}

EstimateSummary SharesWindow::sheetOf(int share, const EstimateValue& value) const
{
    EstimateSummary summary = Summarize(value);
    AddShopHead(summary, clock_);
    summary.number = animal_.shares[share].number;
    summary.customer = animal_.shares[share].customer.trimmed();
    summary.customerPhone = animal_.shares[share].phone.trimmed();
    AddBillMoney(summary, MoneyOnBill(book_, summary.number));
    return summary;
}

QStringList SharesWindow::buyersPages() const
{
    QStringList pages;
    for (int i = 0; i < int(animal_.shares.size()); ++i) {
        const EstimateValue& shown = animal_.shares[i].estimate;
        // After the kill, a share quoted before is billed beside its quote.
        const std::optional<EstimateValue> quote =
            animal_.weighedAfterKill() && records_.value(i).number != 0
                ? EstimateValue::fromRecord(records_[i].quoteState)
                : std::nullopt;
        if (quote) {
            pages << FinalBillHtml(sheetOf(i, *quote), sheetOf(i, shown));
        } else {
            EstimateSummary sheet = sheetOf(i, shown);
            AddLikelyRange(sheet, shown, host_.quoteRules());
            pages << EstimateHtml(sheet);
        }
    }
    return pages;
}

QString SharesWindow::animalSheet() const
{
    EstimateSummary head;
    AddShopHead(head, clock_);
    return AnimalSheetHtml(head, animal_, figures_);
}

void SharesWindow::printAll()
{
    if (!readyTo("printed"))
        return;
    const QStringList pages = buyersPages() << animalSheet();
    // Filed under the carcass's tag, as the shares are saved.
    const QString tag = animal_.tag.simplified();
    PrintPagesWithDialog(
        this, pages, QStringLiteral("Print the Shares"),
        tag.isEmpty()
            ? QStringLiteral("Shares %1").arg(clock_.today().toString(QStringLiteral("yyyy-MM-dd")))
            : QStringLiteral("Shares of %1").arg(tag));
}

bool SharesWindow::settleUnsaved()
{
    host_.takeShareBack();
    if (!hasUnsavedChanges())
        return true;
    const QMessageBox::StandardButton answer =
        Dialogs::ask(this,
                     QStringLiteral("The shares of this animal have changes that are not "
                                    "saved. Save them?"),
                     windowTitle(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return saveAll();
    if (answer == QMessageBox::No) {
        animal_ = saved_;
        removed_.clear();
        return true;
    }
    return false;
}

void SharesWindow::closeEvent(QCloseEvent* event)
{
    if (!settleUnsaved())
        return event->ignore();
    QWidget::closeEvent(event);
}
