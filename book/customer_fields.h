#pragma once

// What a saved estimate's customer fields may hold, checked where the clerk
// types them: one line each (a pasted line break or tab becomes one blank,
// and blanks at the ends go), a name of at most 200 characters, a phone of
// digits, blanks and + - ( ) . x of at most 40, a hunter's tag of at most 40.

#include <QString>

namespace CustomerFields {

constexpr int MaxName = 200;
constexpr int MaxPhone = 40;
constexpr int MaxHunterTag = 40;

// The text on one line: each run of line breaks and tabs becomes one blank,
// and the blanks at both ends are taken off.
QString oneLine(const QString& text);

// Why the cleaned text cannot be the customer's name, the phone or the
// hunter's tag; empty when it can.
QString nameProblem(const QString& name);
QString phoneProblem(const QString& phone);
QString hunterTagProblem(const QString& tag);

} // namespace CustomerFields
