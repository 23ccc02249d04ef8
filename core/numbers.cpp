#include "core/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f' || u == '\v';
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// A number in the shape [sign] digits [. digits], as plain ASCII without the
// '+' sign, and whether any of its digits before the point is not zero.
struct Scanned {
    std::string ascii;
    int length = 0;      // characters of the text that belong to the number
    bool digits = false; // at least one digit
    bool integralNonZero = false;
};

Scanned scanNumber(const QString& text, int from)
{
    Scanned s;
    int i = from;
    const int n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        if (text[i] == QLatin1Char('-'))
            s.ascii.push_back('-');
        ++i;
    }
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            s.digits = true;
            if (!point && c != QLatin1Char('0'))
                s.integralNonZero = true;
            s.ascii.push_back(static_cast<char>(c.unicode()));
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
            s.ascii.push_back('.');
        } else {
            break;
        }
    }
    s.length = i - from;
    return s;
}

// Converts a scanned number. An underflow reads as zero; an overflow gives no value.
std::optional<double> convert(const Scanned& s)
{
    double value = 0;
    const char* first = s.ascii.data();
    const char* last = first + s.ascii.size();
    const auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        if (s.integralNonZero)
            return std::nullopt;
        return s.ascii.front() == '-' ? -0.0 : 0.0;
    }
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Sign, the significant digits (without trailing zeros) and the decimal
// exponent of the first digit, of the value rounded to 15 significant digits.
struct Decimal {
    bool negative = false;
    std::string digits; // empty for zero
    int exponent = 0;
};

Decimal decimalOf(double value)
{
    Decimal d;
    if (value == 0)
        return d;
    d.negative = value < 0;
    char buf[64];
    auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    double check = 0;
    const auto back = std::from_chars(buf, r.ptr, check);
    if (back.ec == std::errc::result_out_of_range || !std::isfinite(check)) {
        // Rounding up at the 15th digit went past the largest double: cut instead.
        r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                          20);
        char* e = std::find(buf, r.ptr, 'e');
        std::copy(e, r.ptr, buf + 16);
        r.ptr = buf + 16 + (r.ptr - e);
    }
    const char* e = std::find(static_cast<const char*>(buf), static_cast<const char*>(r.ptr), 'e');
    for (const char* p = buf; p != e; ++p)
        if (*p != '.')
            d.digits.push_back(*p);
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), r.ptr, d.exponent);
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

} // namespace

std::optional<double> StrictNumber(const QString& text)
{
    int from = 0;
    int to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    const Scanned s = scanNumber(text, from);
    if (!s.digits || from + s.length != to)
        return std::nullopt;
    return convert(s);
}

double LeadingNumber(const QString& text)
{
    int from = 0;
    while (from < text.size() && isBlank(text[from]))
        ++from;
    const Scanned s = scanNumber(text, from);
    if (!s.digits)
        return 0;
    if (const auto value = convert(s))
        return *value;
    const double largest = std::numeric_limits<double>::max();
    return s.ascii.front() == '-' ? -largest : largest;
}

QString NumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    const Decimal d = decimalOf(value);
    if (d.digits.empty())
        return QStringLiteral("0");
    std::string out;
    if (d.negative)
        out.push_back('-');
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent >= 0) {
        const int whole = d.exponent + 1;
        for (int i = 0; i < whole; ++i)
            out.push_back(i < count ? d.digits[i] : '0');
        if (count > whole) {
            out.push_back('.');
            out.append(d.digits, whole, std::string::npos);
        }
    } else {
        out.append("0.");
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(d.digits);
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

double Round15(double value)
{
    if (!std::isfinite(value))
        return value;
    return StrictNumber(NumberText(value)).value_or(value);
}

std::optional<std::int64_t> RoundHalfEven(double value)
{
    constexpr double limit = 4611686018427387904.0; // 2^62
    if (!std::isfinite(value) || std::fabs(value) >= limit)
        return std::nullopt;
    const double below = std::floor(value);
    const double fraction = value - below; // exact for every double below 2^62
    auto whole = static_cast<std::int64_t>(below);
    if (fraction > 0.5 || (fraction == 0.5 && (whole % 2 != 0)))
        ++whole;
    return whole;
}

std::optional<std::int64_t> ScaledUnits(double value, int decimals, HalfRounding rounding)
{
    if (!std::isfinite(value) || decimals < 0 || decimals > 18)
        return std::nullopt;
    const Decimal d = decimalOf(value);
    // Digit k of d.digits stands for 10^(exponent - k); keep the digits down to 10^-decimals.
    const int kept = d.exponent + 1 + decimals;
    std::int64_t units = 0;
    for (int k = 0; k < kept; ++k) {
        const int digit = k < static_cast<int>(d.digits.size()) ? d.digits[k] - '0' : 0;
        if (__builtin_mul_overflow(units, 10, &units) ||
            __builtin_add_overflow(units, digit, &units))
            return std::nullopt;
    }
    bool up = false;
    if (kept >= 0 && kept < static_cast<int>(d.digits.size())) {
        const int first = d.digits[kept] - '0';
        const bool more = kept + 1 < static_cast<int>(d.digits.size()); // no trailing zeros kept
        if (first > 5 || (first == 5 && more))
            up = true;
        else if (first == 5)
            up = rounding == HalfRounding::AwayFromZero || (units % 2 != 0);
    }
    if (up && __builtin_add_overflow(units, 1, &units))
        return std::nullopt;
    return d.negative ? -units : units;
}

QString UnitsText(std::int64_t units, int decimals, bool keepTrailingZeros)
{
    const bool negative = units < 0;
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    std::string digits = std::to_string(magnitude);
    if (static_cast<int>(digits.size()) <= decimals)
        digits.insert(0, static_cast<std::size_t>(decimals + 1) - digits.size(), '0');
    std::string out = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    if (decimals > 0) {
        std::string fraction = digits.substr(digits.size() - static_cast<std::size_t>(decimals));
        if (!keepTrailingZeros)
            while (!fraction.empty() && fraction.back() == '0')
                fraction.pop_back();
        if (!fraction.empty())
            out += '.' + fraction;
    }
    if (negative && out.find_first_not_of("0.") != std::string::npos)
        out.insert(0, 1, '-');
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

QString CountOf(qsizetype count, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

QString OneDecimalText(double value)
{
    if (const auto units = ScaledUnits(value, 1, HalfRounding::AwayFromZero))
        return UnitsText(*units, 1, true);
    // Beyond 64 bits of tenths the number is a whole number at 15 digits.
    return NumberText(value) + QStringLiteral(".0");
}

QString MoneyAmountProblem(const QString& text)
{
    const auto value = StrictNumber(text);
    if (!value)
        return QStringLiteral("\"%1\" is not an amount of money.").arg(text.trimmed());
    if (*value < 0)
        return QStringLiteral("A price cannot be negative.");
    if (*value > MaxMoneyAmount)
        return QStringLiteral("A price cannot be more than 100,000.00.");
    const QString trimmed = text.trimmed();
    const int point = trimmed.indexOf(QLatin1Char('.'));
    if (point >= 0 && trimmed.size() - point - 1 > 4)
        return QStringLiteral("A price has at most four decimals.");
    return QString();
}

std::optional<double> MoneyAmount(const QString& text)
{
    if (!MoneyAmountProblem(text).isEmpty())
        return std::nullopt;
    return StrictNumber(text);
}
