#include "estimate/service_catalog.h"

#include "pricelist/price_items.h"

namespace {

using F = Figuring;
using W = Worksheet;

std::array<ServiceInfo, ServiceCount> makeServices()
{
    const Column beef = Column::Beef, pork = Column::Pork;
    // clang-format off
    return {{
        // id                    caption          column price list  figuring         worksheet       price item                    built-in share  follows singleRate printed name
        {ServiceId::Tenderising, "Tenderising",    beef, false, F::HangingShare, W::None,        PriceItem::MinuteSteaks,     0.2,  0.0686, true,  true, "Tenderising"},
        {ServiceId::MinuteSteaks, "Minute Steaks",  beef, false, F::HangingShare, W::None,        PriceItem::MinuteSteaks,     0.3,  0.06,   true,  true, "Minute steaks"},
        {ServiceId::ExtraBoning, "ExtraBoning",    beef, false, F::Worksheet,    W::ExtraBoning, PriceItem::ExtraBoning,      0.17, 0,      false, true, "Extra boning"},
        {ServiceId::BeefCuring, "Curing",         beef, false, F::CureProducts, W::None,        PriceItem::Curing,           0.42, 0,      true,  true, "Beef curing"},
        {ServiceId::BeefSausage, "Sausage",        beef, true,  F::Worksheet,    W::Sausage,     QString(),                   0,    0,      false, false, "Sausage"},
        {ServiceId::PaperWrapp, "Paper Wrapp",    beef, false, F::PaperWrapp,   W::None,        PriceItem::PaperWrapp,       0.47, 0,      true,  false, "Paper wrapping"},
        {ServiceId::FajitaStrips, "Fajita Strips",  beef, true,  F::Worksheet,    W::Fajita,      PriceItem::FajitaStrips,     0,    0,      true,  true, "Fajita strips"},
        {ServiceId::Slicing, "Slicing",        beef, true,  F::Worksheet,    W::Jerky,       PriceItem::Slicing,          0,    0,      true,  true, "Slicing for jerky"},
        {ServiceId::PorkCuring, "Curing",         pork, true,  F::Worksheet,    W::Curing,      PriceItem::Curing,           0.42, 0,      true,  true, "Pork curing"},
        {ServiceId::PorkSausage, "Sausage",        pork, true,  F::Worksheet,    W::Curing,      PriceItem::SausageSeasoning, 0.2,  0,      true,  true, "Sausage seasoning"},
        {ServiceId::Cutlets, "Cutlets",        pork, true,  F::Worksheet,    W::Curing,      PriceItem::MinuteSteaks,     0.2,  0,      true,  true, "Cutlets"},
        {ServiceId::Cooling, "Cooling",        pork, true,  F::WholeHanging, W::None,        PriceItem::Cooling,          0,    0,      true,  true, "Cooling"},
        {ServiceId::Quartering, "Quartering",     pork, true,  F::Notice,       W::None,        QString(),                   0,    0,      false, false, "Quartering"},
    }};
    // clang-format on
}

} // namespace

const std::array<ServiceInfo, ServiceCount>& Services()
{
    static const std::array<ServiceInfo, ServiceCount> services = makeServices();
    return services;
}

const ServiceInfo& Service(ServiceId id)
{
    return Services()[static_cast<int>(id)];
}

QString ServiceCaption(const ServiceInfo& s)
{
    return (s.column == Column::Pork ? QStringLiteral("pork ") : QString()) +
           QLatin1String(s.caption);
}
