#pragma once

// Money as the customer reads it: whole cents. Every amount printed, billed,
// listed or exported goes through this one rounding (the nearest cent, a half
// cent to the even cent), so the list, the file and the page always agree.

#include <QString>
#include <cstdint>
#include <optional>

// A figure's text to the nearest cent; no value when it is not a number.
std::optional<std::int64_t> CentsOf(const QString& figure);

// Cents as dollars with two decimals: "238.68", "-0.25".
QString CentsText(std::int64_t cents);

// Cents as money: "$238.68", "-$0.25".
QString MoneyText(std::int64_t cents);

// A difference of money with its sign: "+$3.00", "-$0.25", "$0.00".
QString SignedMoneyText(std::int64_t cents);

// The dollars that take `amount` (at its 15 significant digits) exactly to
// `cents`, as a figure's text ("0.005", "-0.0033", "0"); no value when they
// are beyond figuring.
std::optional<QString> DollarsToCents(double amount, std::int64_t cents);

// A figure as money, to the cent ("$25.58" for 25.575, "$17.00" for "17");
// text that is not a number stays as it is.
QString PrintedMoney(const QString& figure);
