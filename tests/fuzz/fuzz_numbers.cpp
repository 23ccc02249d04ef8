// Fuzzing the text <-> number conversions.
//
// Every input is read three ways as text (UTF-8, Latin-1 and raw UTF-16) and
// its first eight bytes as a double. The checks stand on their own: the
// number grammar is matched here by a separate scanner and the values come
// from the C library (strtod and printf in the C locale), so a fault in the
// conversions cannot hide behind the same fault in the checker.
//
// A violated property prints what went wrong and aborts, which libFuzzer
// reports as a crash and keeps as an artifact to replay. scripts/fuzz.sh runs
// the fuzzer; tests/test_number_corpus.cpp replays the corpus in every build.

#include "core/numbers.h"

#include <QByteArray>
#include <QString>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

// ---------------------------------------------------------------- reporting

std::string describe(const QString& text)
{
    std::string out = "\"";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7f && u != '"' && u != '\\') {
            out.push_back(static_cast<char>(u));
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(u));
            out += code;
        }
    }
    return out + "\"";
}

std::string describe(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (%a)", value, value);
    return text;
}

// Outside the fuzzer (a test replaying the corpus) a violated property is
// thrown, for the test to report.
[[noreturn]] void fail(const char* property, const std::string& input, const std::string& detail)
{
    const std::string message =
        std::string("PROPERTY VIOLATED: ") + property + "\n  input: " + input + "\n  " + detail;
#ifdef NUMBER_PROPERTIES_THROW
    throw std::runtime_error(message);
#else
    std::fprintf(stderr, "\n%s\n", message.c_str());
    std::abort();
#endif
}

bool sameDouble(double a, double b)
{
    return a == b && std::signbit(a) == std::signbit(b);
}

// ---------------------------------------------------------------- the grammar

// Blanks are the C locale's white space: space, tab, line feed, vertical tab,
// form feed and carriage return. Anything outside ASCII is never a blank.
bool blank(char16_t u)
{
    return u < 0x80 && std::isspace(static_cast<unsigned char>(u)) != 0;
}

bool asciiDigit(char16_t u)
{
    return u < 0x80 && std::isdigit(static_cast<unsigned char>(u)) != 0;
}

// The number that starts at `at`: an optional sign, then digits with at most
// one decimal point, at least one digit. Returns its characters (ASCII), or
// nothing when no such number starts there. The scan is a small automaton.
enum State { Start, Signed, Whole, BarePoint, PointAfterWhole, Fraction, Stop };

State step(State state, char16_t u)
{
    if (u == '+' || u == '-')
        return state == Start ? Signed : Stop;
    if (u == '.') {
        if (state == Start || state == Signed)
            return BarePoint;
        return state == Whole ? PointAfterWhole : Stop;
    }
    if (asciiDigit(u))
        return (state == Start || state == Signed || state == Whole) ? Whole : Fraction;
    return Stop;
}

bool accepting(State state)
{
    return state == Whole || state == PointAfterWhole || state == Fraction;
}

std::optional<std::string> numberAt(const QString& text, qsizetype at, qsizetype* end)
{
    State state = Start;
    qsizetype last = -1;
    for (qsizetype i = at; i < text.size(); ++i) {
        state = step(state, text[i].unicode());
        if (state == Stop)
            break;
        if (accepting(state))
            last = i + 1;
    }
    if (last < 0)
        return std::nullopt;
    std::string ascii;
    for (qsizetype k = at; k < last; ++k)
        ascii.push_back(static_cast<char>(text[k].unicode()));
    *end = last;
    return ascii;
}

// The whole text as a number: blanks, a number, blanks.
std::optional<std::string> wholeNumber(const QString& text)
{
    qsizetype from = 0;
    while (from < text.size() && blank(text[from].unicode()))
        ++from;
    qsizetype end = 0;
    const auto number = numberAt(text, from, &end);
    if (!number)
        return std::nullopt;
    for (qsizetype i = end; i < text.size(); ++i)
        if (!blank(text[i].unicode()))
            return std::nullopt;
    return number;
}

// The C library's reading of a number that matched the grammar; infinity when
// it is beyond the range of a double.
double reference(const std::string& ascii)
{
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size())
        fail("the checker's own number was not read whole", ascii, describe(value));
    return value;
}

// ---------------------------------------------------------------- 15 digits

// The value rounded to 15 significant digits, as a double. Where rounding up
// would pass the largest double the digits are cut instead, as the largest
// 15-digit number that a double can hold.
double reference15(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", value);
    const double rounded = std::strtod(text, nullptr);
    if (std::isfinite(rounded))
        return rounded;
    // d.dddddddddddddde+308: one down in the last digit.
    char* e = std::strchr(text, 'e');
    for (char* p = e - 1; p >= text; --p) {
        if (*p == '.' || *p == '-')
            continue;
        if (*p != '0') {
            --*p;
            break;
        }
        *p = '9';
    }
    return std::strtod(text, nullptr);
}

// The shape of a number as NumberText writes it: an optional minus, digits
// without a needless leading zero, and a point only when a digit other than
// zero ends the fraction; at most 15 significant digits.
const char* shapeProblem(const QString& text)
{
    qsizetype i = 0;
    if (text.isEmpty())
        return "empty";
    if (text[0] == QLatin1Char('-'))
        ++i;
    const qsizetype wholeFrom = i;
    while (i < text.size() && asciiDigit(text[i].unicode()))
        ++i;
    const qsizetype wholeDigits = i - wholeFrom;
    if (wholeDigits == 0)
        return "no digit before the point";
    if (wholeDigits > 1 && text[wholeFrom] == QLatin1Char('0'))
        return "a leading zero";
    if (i < text.size()) {
        if (text[i] != QLatin1Char('.'))
            return "a character that is neither a digit nor the point (exponent, separator, "
                   "blank?)";
        ++i;
        const qsizetype fractionFrom = i;
        while (i < text.size() && asciiDigit(text[i].unicode()))
            ++i;
        if (i == fractionFrom)
            return "a bare point";
        if (i < text.size())
            return "a character after the fraction";
        if (text.back() == QLatin1Char('0'))
            return "a trailing zero after the point";
    }
    if (text == QLatin1String("-0"))
        return "a negative zero";
    // Significant digits: from the first digit other than zero to the last
    // one, or to the point for a whole number.
    std::string digits;
    for (const QChar c : text)
        if (asciiDigit(c.unicode()))
            digits.push_back(static_cast<char>(c.unicode()));
    const std::size_t first = digits.find_first_not_of('0');
    std::size_t significant = 0;
    if (first != std::string::npos) {
        const bool fraction = text.contains(QLatin1Char('.'));
        const std::size_t last = fraction ? digits.size() - 1 : digits.find_last_not_of('0');
        significant = last - first + 1;
    }
    if (significant > 15)
        return "more than 15 significant digits";
    return nullptr;
}

// ---------------------------------------------------------------- properties

void checkNumberText(double value)
{
    if (!std::isfinite(value))
        return;
    const QString text = NumberText(value);
    if (const char* problem = shapeProblem(text))
        fail("NumberText writes a plain decimal", describe(value),
             std::string(problem) + " in " + describe(text));
    const auto back = StrictNumber(text);
    if (!back)
        fail("NumberText reads back through StrictNumber", describe(value),
             "no value for " + describe(text));
    const double expected = reference15(value);
    if (*back != expected)
        fail("NumberText keeps the value at 15 significant digits", describe(value),
             describe(text) + " reads back as " + describe(*back) + ", expected " +
                 describe(expected));
    if (Round15(value) != expected)
        fail("Round15 is the value at 15 significant digits", describe(value),
             "gave " + describe(Round15(value)) + ", expected " + describe(expected));
}

void checkRounding(double value, std::uint8_t selector)
{
    const auto whole = RoundHalfEven(value);
    if (std::isfinite(value) && std::fabs(value) < 4611686018427387904.0) {
        if (!whole)
            fail("RoundHalfEven rounds every finite value below 2^62", describe(value), "no value");
        const double distance = std::fabs(static_cast<double>(*whole) - value);
        if (distance > 0.5 || (distance == 0.5 && *whole % 2 != 0))
            fail("RoundHalfEven goes to the nearest whole number, halves to even", describe(value),
                 "gave " + std::to_string(*whole));
    } else if (whole) {
        fail("RoundHalfEven gives no value beyond 2^62", describe(value),
             "gave " + std::to_string(*whole));
    }

    // Any number of decimals, the sensible ones and the others.
    const int decimals = static_cast<int>(selector % 24) - 2;
    const HalfRounding rounding =
        (selector & 0x80) != 0 ? HalfRounding::AwayFromZero : HalfRounding::ToEven;
    if (const auto units = ScaledUnits(value, decimals, rounding)) {
        const QString text = UnitsText(*units, decimals, (selector & 0x40) != 0);
        if (!StrictNumber(text))
            fail("UnitsText writes a number", describe(value), describe(text));
    }
    // Whole units agree with rounding the 15-digit value to the even neighbour.
    if (std::isfinite(value) && std::fabs(value) < 1e15) {
        const auto units = ScaledUnits(value, 0, HalfRounding::ToEven);
        const auto even = RoundHalfEven(Round15(value));
        if (!units || !even || *units != *even)
            fail("ScaledUnits to whole units halves to even", describe(value),
                 "ScaledUnits " + (units ? std::to_string(*units) : std::string("none")) +
                     ", RoundHalfEven " + (even ? std::to_string(*even) : std::string("none")));
    }
    const QString oneDecimal = OneDecimalText(value);
    if (std::isfinite(value) && !StrictNumber(oneDecimal))
        fail("OneDecimalText writes a number", describe(value), describe(oneDecimal));
}

void checkText(const QString& text)
{
    // StrictNumber: exactly the grammar, and only numbers a double holds.
    const auto strict = StrictNumber(text);
    const auto whole = wholeNumber(text);
    if (whole) {
        const double expected = reference(*whole);
        if (std::isinf(expected)) {
            if (strict)
                fail("StrictNumber gives no value beyond a double", describe(text),
                     "gave " + describe(*strict));
        } else if (!strict) {
            fail("StrictNumber accepts every number of the grammar", describe(text),
                 "no value, expected " + describe(expected));
        } else if (!sameDouble(*strict, expected)) {
            fail("StrictNumber reads the nearest double", describe(text),
                 "gave " + describe(*strict) + ", expected " + describe(expected));
        }
    } else if (strict) {
        fail("StrictNumber refuses what is not a number", describe(text),
             "gave " + describe(*strict));
    }

    // LeadingNumber: never fails, reads the number at the start after blanks.
    const double leading = LeadingNumber(text);
    if (!std::isfinite(leading))
        fail("LeadingNumber is always finite", describe(text), describe(leading));
    qsizetype from = 0;
    while (from < text.size() && blank(text[from].unicode()))
        ++from;
    qsizetype end = 0;
    double expected = 0;
    if (const auto prefix = numberAt(text, from, &end)) {
        expected = reference(*prefix);
        if (std::isinf(expected))
            expected = std::copysign(DBL_MAX, expected);
    }
    if (!sameDouble(leading, expected))
        fail("LeadingNumber reads the leading number", describe(text),
             "gave " + describe(leading) + ", expected " + describe(expected));

    // A price is a number, not negative.
    if (const auto money = MoneyAmount(text)) {
        if (!strict || *money != *strict || *money < 0)
            fail("MoneyAmount is a number that is not negative", describe(text), describe(*money));
    } else if (MoneyAmountProblem(text).isEmpty()) {
        fail("MoneyAmountProblem explains every refusal", describe(text), "no words");
    }

    if (strict)
        checkNumberText(*strict);
    checkNumberText(leading);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    checkText(QString::fromUtf8(bytes, length));
    checkText(QString::fromLatin1(bytes, length));
    QString utf16(length / 2, Qt::Uninitialized);
    if (length >= 2)
        std::memcpy(utf16.data(), data, static_cast<std::size_t>(length / 2) * 2);
    checkText(utf16);

    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        checkNumberText(value);
        checkRounding(value, size > sizeof(double) ? data[sizeof(double)] : 0);
    }
    return 0;
}
