#pragma once

// Statements run in a test as psql runs them, on a connection of its own.
// Header-only, as the test helpers that need no moc.

#include "core/numbers.h"
#include "store/database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

// Runs statements on a connection of its own to the file or the server (as
// psql, for a server); the answer of the last, a "a|b|c" line a row, "-" for
// none and numbers written as numbers.
inline QStringList SqlRows(const QString& location, const QStringList& statements)
{
    static int counter = 0;
    const QString name = QStringLiteral("sql-rows-%1").arg(++counter);
    QStringList rows;
    {
        QSqlDatabase db =
            Database::IsServerUrl(location)
                ? Database::AddServer(
                      name, *Database::ParseServerUrl(location + "?application_name=psql", nullptr))
                : Database::AddSqliteFile(name, location);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(location));
        QSqlQuery query(db);
        for (const QString& statement : statements)
            if (!query.exec(statement))
                qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
        while (query.isSelect() && query.next()) {
            QStringList fields;
            for (int f = 0; f < query.record().count(); ++f) {
                const QVariant value = query.value(f);
                const std::optional<double> number = StrictNumber(value.toString());
                fields << (value.isNull() ? QStringLiteral("-")
                           : number       ? NumberText(*number)
                                          : value.toString());
            }
            rows << fields.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}
