#include "pricelist/shop_table.h"

#include "core/shop_settings.h"
#include "pricelist/price_connection.h"
#include "store/database.h"
#include "store/dialect.h"
#include "store/file_watch.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ShopTable {

namespace {

int columnCount(const Shape& shape)
{
    return int(shape.columns.count(QLatin1Char(','))) + 1;
}

struct Found {
    Read read;
    bool held = false; // the store holds a row
};

Found readOnce(PriceConnection& connection, const Shape& shape)
{
    Found found;
    Read& read = found.read;
    if (!connection.ready(&read.problem)) {
        read.kind = connection.notReadyKind();
        return found;
    }
    QSqlDatabase& db = connection.db();
    const Dialect& dialect = Dialect::Of(db);
    const auto failed = [&](const QSqlError& error) {
        read.kind = dialect.kind(error);
        read.problem = connection.failure(shape.what + QStringLiteral(" could not be read"), error);
        return found;
    };
    QSqlError error;
    const std::optional<bool> kept = dialect.holdsTable(db, shape.table, &error);
    if (!kept)
        return failed(error);
    if (!*kept) {
        // A file that never had them saved; a server set up by an earlier
        // version, which cannot keep them yet.
        if (dialect.isServer())
            read.note =
                QStringLiteral("The %1 keeps %2 yet; locker-pricelist init --database %3 "
                               "adds the table for them.")
                    .arg(connection.describe(), shape.noneYet, connection.location().text());
        return found;
    }
    QSqlQuery query(db);
    query.setForwardOnly(!dialect.readsWholeAnswer());
    if (!query.exec(QStringLiteral("Select %1 From %2%3")
                        .arg(shape.columns, shape.table,
                             shape.order.isEmpty() ? QString()
                                                   : QStringLiteral(" Order By ") + shape.order)))
        return failed(query.lastError());
    const int columns = columnCount(shape);
    while (query.next()) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << query.value(c).toString();
        read.rows << row;
    }
    if (query.lastError().isValid())
        return failed(query.lastError());
    found.held = !read.rows.isEmpty();
    return found;
}

StoreResult refusal(PriceConnection& connection, const Shape& shape, const QSqlError& error)
{
    const QString what = shape.what + QStringLiteral(" could not be saved");
    const StoreKind kind = Dialect::Of(connection.db()).kind(error);
    if (connection.isServer() && kind == StoreKind::Missing)
        return StoreResult::fail(
            kind, QStringLiteral("%1: the %2 has no table for them yet. locker-pricelist init "
                                 "--database %3 adds it.")
                      .arg(what, connection.describe(), connection.location().text()));
    if (connection.isServer() && kind == StoreKind::PermissionDenied)
        return StoreResult::fail(
            kind, QString(shape.mayNot)
                      .replace(QLatin1String("%3"), Database::ServerErrorDetail(error))
                      .replace(QLatin1String("%2"), connection.describe())
                      .replace(QLatin1String("%1"), what));
    return StoreResult::fail(
        kind,
        QStringLiteral("%1. Nothing was changed. %2").arg(what, connection.reason(error, true)));
}

// Writes the rows in one transaction; with `onlyWhenNone`, only into a store
// that holds none yet (rows saved meanwhile at another counter stand).
StoreResult writeOnce(PriceConnection& connection, const Shape& shape, const Rows& rows,
                      bool onlyWhenNone)
{
    QString problem;
    if (!connection.ready(&problem))
        return StoreResult::fail(connection.notReadyKind(), problem);
    if (!connection.mayChange(&problem))
        return StoreResult::fail(
            StoreKind::ReadOnly,
            QStringLiteral("%1 could not be saved. %2").arg(shape.what, problem));
    QSqlDatabase& db = connection.db();
    const Dialect& dialect = Dialect::Of(db);
    QSqlError error;
    // On a server the table is locked, so that one save follows another.
    if (!dialect.beginWriting(db, shape.table, &error))
        return refusal(connection, shape, error);
    bool ok = dialect.isServer() || RunStatement(db, MakeTable(shape), &error);
    {
        QSqlQuery query(db);
        bool held = false;
        if (ok && onlyWhenNone) {
            ok = query.exec(QStringLiteral("Select Count(*) From %1").arg(shape.table)) &&
                 query.next();
            held = ok && query.value(0).toLongLong() > 0;
            query.finish();
        }
        if (ok && !held) {
            QStringList marks;
            for (int c = 0; c < columnCount(shape); ++c)
                marks << QStringLiteral("?");
            ok = query.exec(QStringLiteral("Delete From %1").arg(shape.table)) &&
                 query.prepare(dialect.statement(
                     QStringLiteral("Insert Into %1 (%2) Values (%3)")
                         .arg(shape.table, shape.columns, marks.join(QStringLiteral(", ")))));
            for (const QStringList& row : rows) {
                if (!ok)
                    break;
                for (const QString& value : row)
                    query.addBindValue(dialect.text(value));
                ok = query.exec();
            }
        }
        if (!ok && !error.isValid())
            error = query.lastError();
    }
    if (ok)
        ok = RunStatement(db, QStringLiteral("Commit"), &error);
    if (!ok) {
        QSqlError ignored;
        RunStatement(db, QStringLiteral("Rollback"), &ignored);
        return refusal(connection, shape, error);
    }
    FileWatch::NoteWrite();
    return StoreResult();
}

} // namespace

Read ReadTakingOver(PriceConnection& connection, const Shape& shape, const Rows& left,
                    bool (*forget)(QString* problem))
{
    Found found = connection.onceMoreWhenReconnected([&] { return readOnce(connection, shape); });
    if (left.isEmpty())
        return found.read;
    if (!found.read.done()) {
        found.read.rows = left;
        return found.read;
    }
    if (!found.held) {
        const StoreResult moved = connection.onceMoreWhenReconnected(
            [&] { return writeOnce(connection, shape, left, true); });
        if (!moved.done()) {
            found.read.rows = left;
            found.read.note = QStringLiteral("%1 in %2 could not be moved to the price list, so "
                                             "this machine goes on using them. %3")
                                  .arg(shape.what, ShopSettingsPath(), moved.problem);
            return found.read;
        }
        // Those saved meanwhile at another counter, if it was first.
        const Found now =
            connection.onceMoreWhenReconnected([&] { return readOnce(connection, shape); });
        found.read.rows = now.read.done() ? now.read.rows : left;
    }
    // The store holds them: those of the settings file never come back over
    // them. A file that cannot be written keeps them, unused.
    forget(nullptr);
    return found.read;
}

StoreResult Write(PriceConnection& connection, const Shape& shape, const Rows& rows)
{
    return connection.onceMoreWhenReconnected(
        [&] { return writeOnce(connection, shape, rows, false); });
}

QString MakeTable(const Shape& shape)
{
    return QStringLiteral("Create Table If Not Exists %1 (%2)").arg(shape.table, shape.made);
}

} // namespace ShopTable
