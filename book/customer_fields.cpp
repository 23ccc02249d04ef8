#include "book/customer_fields.h"

#include <QRegularExpression>

namespace CustomerFields {

QString oneLine(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n\\t\\v\\f\\x{2028}\\x{2029}]+"));
    QString line = text;
    line.replace(breaks, QStringLiteral(" "));
    return line.trimmed();
}

QString nameProblem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("Type the customer's name: the estimate is found again by it.");
    if (name.size() > MaxName)
        return QStringLiteral("A name is at most %1 characters; this one has %2.")
            .arg(MaxName)
            .arg(name.size());
    return QString();
}

QString phoneProblem(const QString& phone)
{
    static const QRegularExpression allowed(QStringLiteral("^[0-9 +\\-().xX]*$"));
    if (phone.size() > MaxPhone || !allowed.match(phone).hasMatch())
        return QStringLiteral("A phone number is written with digits, blanks and + - ( ) . x, "
                              "at most %1 of them.")
            .arg(MaxPhone);
    return QString();
}

QString hunterTagProblem(const QString& tag)
{
    if (tag.size() > MaxHunterTag)
        return QStringLiteral("A tag or licence number is at most %1 characters.")
            .arg(MaxHunterTag);
    return QString();
}

} // namespace CustomerFields
