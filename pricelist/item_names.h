#pragma once

// What makes a text a sound item name, shared by every place where the shop
// types one (the price list window, the locker-pricelist tool, the CSV
// import), and what the program uses each name it looks up for.
//
// The program finds a price by its item name, letter for letter. A name that
// only looks like another one (other capitals, a blank more or less, an
// invisible character) is another item: the program keeps charging the old
// price. These checks catch such names before they are saved.

#include <QString>
#include <QStringList>

namespace ItemNames {

// The most characters an item name may have: enough for any name a clerk
// types, few enough for a column on the screen and on paper.
constexpr int MaxNameLength = 100;

// Why the text cannot be an item name, in plain words; empty when it can. A
// name is not empty, has at most MaxNameLength characters, does not begin or
// end with a blank, and holds no control character (line break, tab, ...), no
// invisible (format) character and no space other than the plain blank.
QString nameProblem(const QString& name);

// Why the text cannot be a category, in plain words; empty when it can.
QString categoryProblem(const QString& category);

// The name that `name` differs from only by letter case or blanks: first
// among the names the program looks up, then among `existingNames`. Empty
// when there is none, or when `name` itself is one of them exactly.
QString lookAlike(const QString& name, const QStringList& existingNames);

// What the program uses the item for, in plain words ("the beef cure products
// and the pork curing worksheet"); empty when the program does not look it up.
QString usedFor(const QString& item);

// Every item name that the program looks up, spelled as it looks it up.
QStringList lookedUpNames();

// The text by which two names that differ only by case or blanks are the
// same: without blanks or invisible characters, case-folded.
QString foldedName(const QString& name);

} // namespace ItemNames
