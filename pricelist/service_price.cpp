#include "pricelist/service_price.h"

ServicePrice::ServicePrice(QString path, QString item, PriceList::CostStatement form)
    : item_(std::move(item))
    , form_(form)
    , list_(std::make_unique<PriceList>(std::move(path)))
{}

ServicePrice::~ServicePrice() = default;

void ServicePrice::open()
{
    if (!list_->isOpen())
        list_->open();
}

void ServicePrice::lookUp()
{
    QString ignored;
    price(&ignored);
}

std::optional<double> ServicePrice::price(QString* problem)
{
    return price_ ? price_ : current(problem);
}

std::optional<double> ServicePrice::priceOr(bool flag, double builtIn, QString* problem)
{
    return ListOrBuiltIn(flag, builtIn, [&] { return price(problem); });
}

std::optional<double> ServicePrice::current(QString* problem)
{
    price_.reset();
    if (!list_->isOpen() && list_->open() != PriceList::OpenResult::Opened) {
        *problem = QStringLiteral("%1 So the price of \"%2\" cannot be looked up.")
                       .arg(list_->openProblem(), item_);
        return std::nullopt;
    }
    const CostLookup found = list_->lookupCost(item_, form_);
    if (!found.found()) {
        *problem = found.problem;
        return std::nullopt;
    }
    price_ = found.cost;
    return price_;
}
