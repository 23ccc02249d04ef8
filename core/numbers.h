#pragma once

// Text <-> number conversions and rounding rules shared by every screen.
//
// Every weight and charge lives as the text of a field. These functions are
// the only place where such text becomes a number or a number becomes text.
// None of them depends on the machine's locale: a point is the decimal
// separator everywhere, and there is never a thousands separator.

#include <QString>
#include <cstdint>
#include <optional>

// The whole text read as a number: blanks around it, an optional sign, digits
// with at most one decimal point (at least one digit). Anything else, an empty
// text, or a number too large for a double gives no value.
std::optional<double> StrictNumber(const QString& text);

// The number at the start of the text: blanks skipped, an optional sign, digits
// with at most one decimal point. 0 when the text does not start with one.
// Never fails; a number beyond the range of a double reads as the largest one.
double LeadingNumber(const QString& text);

// The number rounded to 15 significant digits as a plain decimal: a point as
// separator, no trailing zeros, no bare trailing point, no exponent, no
// thousands separator, no leading blank, a minus sign for negatives.
// 0.66 * 251 gives "165.66", 500 * 0.37 gives "185".
QString NumberText(double value);

// The value as NumberText would show it, read back: rounded to 15 significant
// digits.
double Round15(double value);

// The nearest whole number, a half going to the even neighbour (12.5 gives 12,
// 13.5 gives 14). No value for infinity, NaN or a magnitude beyond 2^62.
std::optional<std::int64_t> RoundHalfEven(double value);

enum class HalfRounding { ToEven, AwayFromZero };

// The value, taken at 15 significant digits, as a whole number of units of
// 10^-decimals, rounded at the last kept decimal. The arithmetic is done on the
// decimal digits, so it is exact. No value when it does not fit in 64 bits.
std::optional<std::int64_t> ScaledUnits(double value, int decimals, HalfRounding rounding);

// Text of a number of units of 10^-decimals. With trailing zeros kept, 45 units
// at one decimal read "4.5" and 30 read "3.0"; without, 30 reads "3".
QString UnitsText(std::int64_t units, int decimals, bool keepTrailingZeros);

// The pattern "####0.0": one decimal, at least one digit before the point,
// halves away from zero (9 / 2 gives "4.5", 10 / 3 gives "3.3").
QString OneDecimalText(double value);

// A count with its noun: "1 change", "3 changes", "0 changes".
QString CountOf(qsizetype count, const QString& one, const QString& many);

// The largest price that the program takes: more is a typing error.
constexpr double MaxMoneyAmount = 100000;

// A price as a clerk or a file gives it: a number from 0 to MaxMoneyAmount with
// at most four decimals. No value otherwise.
std::optional<double> MoneyAmount(const QString& text);

// Why a text is not a MoneyAmount, in plain words for the clerk; empty when it is one.
QString MoneyAmountProblem(const QString& text);
