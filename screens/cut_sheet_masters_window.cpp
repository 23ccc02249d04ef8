#include "screens/cut_sheet_masters_window.h"

#include "estimate/cut_sheet.h"
#include "pricelist/shop_settings_store.h"
#include "ui/window_keys.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CutSheetMastersWindow::CutSheetMastersWindow(std::shared_ptr<PriceConnection> connection,
                                             QWidget* parent)
    : QWidget(parent, Qt::Window)
    , connection_(std::move(connection))
{
    setObjectName(QStringLiteral("frmCutSheetMasters"));
    setWindowTitle(QStringLiteral("Cut-Sheet Masters"));
    species_ = new QComboBox(this);
    species_->setObjectName(QStringLiteral("cboMasterSpecies"));
    species_->addItems({QStringLiteral("Beef"), QStringLiteral("Pork"), QStringLiteral("Deer")});
    auto* speciesCaption = new QLabel(QStringLiteral("&Species:"), this);
    speciesCaption->setBuddy(species_);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("txtMaster"));
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setToolTip(QStringLiteral(
        "A line each: \"primal Chuck|0.26|front|roasts steaks ground stew\" (its share of the "
        "hanging weight, its quarter, what it may become, its standard use first), \"packages "
        "1 lb|2 lb\", \"lean 80/20|85/15\", \"keeps Liver|Heart\", \"one Heart|Tongue\" (the "
        "keeps an animal has one of)"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblMasterStatus"));
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);
    auto* save = new QPushButton(QStringLiteral("&Save"), this);
    save->setObjectName(QStringLiteral("cmdSaveMaster"));
    auto* sample = new QPushButton(QStringLiteral("The S&ample's"), this);
    sample->setObjectName(QStringLiteral("cmdSampleMaster"));
    sample->setToolTip(QStringLiteral("Put the sample's master of the species in the text, to be "
                                      "saved or edited"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(species_, &QComboBox::currentIndexChanged, this, &CutSheetMastersWindow::showMaster);
    connect(save, &QPushButton::clicked, this, &CutSheetMastersWindow::save);
    connect(sample, &QPushButton::clicked, this, &CutSheetMastersWindow::sample);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    top->addWidget(speciesCaption);
    top->addWidget(species_);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sample);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(text_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    resize(620, 420);
    EscapeCloses(this);
    showMaster();
}

void CutSheetMastersWindow::showMaster()
{
    const ShopSettingsRead read = ShopSettingsStore::Read(*connection_);
    const QString species = species_->currentText();
    text_->setPlainText(MasterOf(read.settings, species).text());
    status_->setText(!read.done() ? read.problem
                     : read.settings.cutSheets.contains(species)
                         ? QStringLiteral("The shop's own master.")
                         : QStringLiteral("The sample's master: the shop has set none."));
}

void CutSheetMastersWindow::sample()
{
    text_->setPlainText(CutMaster::Sample(species_->currentText()).text());
    status_->setText(QStringLiteral("The sample's master, not saved."));
}

void CutSheetMastersWindow::save()
{
    const QString species = species_->currentText();
    QString problem;
    const std::optional<CutMaster> master =
        CutMaster::fromText(species, text_->toPlainText(), &problem);
    if (!master) {
        status_->setText(QStringLiteral("Not saved: %1").arg(problem));
        return;
    }
    // The settings as the store holds them now, this master changed.
    const ShopSettingsRead read = ShopSettingsStore::Read(*connection_);
    if (!read.done()) {
        status_->setText(QStringLiteral("Not saved: %1").arg(read.problem));
        return;
    }
    ShopWideSettings settings = read.settings;
    settings.cutSheets.insert(species, master->text());
    const StoreResult saved = ShopSettingsStore::Save(*connection_, settings);
    status_->setText(saved.done() ? QStringLiteral("Saved: every counter's %1 cut sheets follow "
                                                   "it from now on.")
                                        .arg(species.toLower())
                                  : QStringLiteral("Not saved: %1").arg(saved.problem));
    if (saved.done())
        text_->setPlainText(master->text());
}
