#pragma once

// A connection of a benchmark's own to a book's file or server, opened; on
// failure `fail` is called with the reason (it does not return).

#include "store/database.h"

#include <QSqlDatabase>
#include <QSqlError>

template <typename Fail>
QSqlDatabase OpenBenchConnection(const QString& name, const QString& path, Fail fail)
{
    QSqlDatabase db;
    if (Database::IsServerUrl(path)) {
        QString problem;
        const std::optional<ServerAddress> address = Database::ParseServerUrl(path, &problem);
        if (!address)
            fail(problem);
        db = Database::AddServer(name, *address);
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
    }
    if (!db.open())
        fail(db.lastError().text());
    return db;
}
