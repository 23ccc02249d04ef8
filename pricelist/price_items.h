#pragma once

// Every item name that the program sends to the price list, spelled once.
// The names are keys of the shop's existing price list: keep them letter for
// letter, blanks, capitals and odd spellings included.

#include <QString>

namespace PriceItem {

inline const QString BeefKill = QStringLiteral("BeefKill");
inline const QString PorkKill = QStringLiteral("PorkKill");
inline const QString Deer = QStringLiteral("Deer");
inline const QString Processing = QStringLiteral("Processing");
inline const QString PaperWrapp = QStringLiteral("Paper Wrapp");
inline const QString Cooling = QStringLiteral("Cooling");
inline const QString MinuteSteaks = QStringLiteral("MinuteSteaks");
inline const QString Curing = QStringLiteral("Curing");
inline const QString SausageSeasoning = QStringLiteral("SausageSeasoning");
inline const QString ExtraBoning = QStringLiteral("ExtraBoning");
inline const QString Slicing = QStringLiteral("Slicing");
inline const QString FajitaStrips = QStringLiteral("Fajita Strips");
inline const QString Summer = QStringLiteral("Summer");
inline const QString Jerky = QStringLiteral("Jerky");
inline const QString HotStix = QStringLiteral("HotStix");
inline const QString SmokedSausage = QStringLiteral("Smoked Sausage");
inline const QString SmokedSausageJalepono = QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar");
inline const QString PorkTrim = QStringLiteral("PorkTrim");
// An animal sold in shares: the surcharge per pound of a quarter cut from a
// split side, and the kill fee per share where the shop divides it so.
inline const QString SplitSide = QStringLiteral("SplitSide");
inline const QString ShareKill = QStringLiteral("ShareKill");

// The category written with an item that the sausage worksheet adds.
inline const QString AddedItemCategory = QStringLiteral("Curing/Seasoning");

} // namespace PriceItem
