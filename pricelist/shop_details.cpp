#include "pricelist/shop_details.h"

#include "pricelist/price_connection.h"
#include "store/database.h"
#include "store/dialect.h"
#include "store/file_watch.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace ShopDetailsStore {

const QString Table = QStringLiteral("ShopDetails");

namespace {

const QString MakeTable =
    QStringLiteral("Create Table If Not Exists ShopDetails (Name Text, Address Text, Phone Text)");
const QString ReadRow = QStringLiteral("Select Name, Address, Phone From ShopDetails Limit 1");
const QString CountRows = QStringLiteral("Select Count(*) From ShopDetails");
const QString DeleteRows = QStringLiteral("Delete From ShopDetails");
const QString InsertRow =
    QStringLiteral("Insert Into ShopDetails (Name, Address, Phone) Values (?, ?, ?)");

// What a read found: the details, and whether the store holds a row of them.
struct Found {
    ShopDetailsRead read;
    bool held = false;
};

Found readOnce(PriceConnection& connection)
{
    Found found;
    ShopDetailsRead& read = found.read;
    if (!connection.ready(&read.problem)) {
        read.kind = connection.notReadyKind();
        return found;
    }
    QSqlDatabase& db = connection.db();
    const Dialect& dialect = Dialect::Of(db);
    QSqlQuery query(db);
    query.setForwardOnly(!dialect.readsWholeAnswer());
    const auto failed = [&] {
        read.kind = dialect.kind(query.lastError());
        read.problem = connection.failure(QStringLiteral("The shop's details could not be read"),
                                          query.lastError());
        return found;
    };
    QSqlError error;
    const std::optional<bool> kept = dialect.holdsTable(db, Table, &error);
    if (!kept) {
        read.kind = dialect.kind(error);
        read.problem =
            connection.failure(QStringLiteral("The shop's details could not be read"), error);
        return found;
    }
    if (!*kept) {
        // A file that never had them saved; a server set up by an earlier
        // version, which cannot keep them yet.
        if (dialect.isServer())
            read.note = QStringLiteral("The %1 keeps no shop details yet; locker-pricelist init "
                                       "--database %2 adds the table for them.")
                            .arg(connection.describe(), connection.location().text());
        return found;
    }
    if (!query.exec(ReadRow))
        return failed();
    if (query.next()) {
        found.held = true;
        read.details = {query.value(0).toString(), query.value(1).toString(),
                        query.value(2).toString()};
    } else if (query.lastError().isValid()) {
        return failed();
    }
    return found;
}

// Why the store refused a save, in plain words.
StoreResult refusal(PriceConnection& connection, const QSqlError& error)
{
    const QString what = QStringLiteral("The shop's details could not be saved");
    const StoreKind kind = Dialect::Of(connection.db()).kind(error);
    if (connection.isServer() && kind == StoreKind::Missing)
        return StoreResult::fail(
            kind, QStringLiteral("%1: the %2 has no table for them yet. locker-pricelist init "
                                 "--database %3 adds it.")
                      .arg(what, connection.describe(), connection.location().text()));
    if (connection.isServer() && kind == StoreKind::PermissionDenied)
        return StoreResult::fail(
            kind, QStringLiteral("%1: the user of the %2 may read the price list but not change "
                                 "the shop's details (%3). The owner of the database grants it: "
                                 "GRANT SELECT, INSERT, DELETE ON ShopDetails TO the user.")
                      .arg(what, connection.describe(), Database::ServerErrorDetail(error)));
    return StoreResult::fail(
        kind,
        QStringLiteral("%1. Nothing was changed. %2").arg(what, connection.reason(error, true)));
}

// Writes the details in one transaction; with `onlyWhenNone`, only into a
// store that holds none yet (details saved meanwhile at another counter
// stand).
StoreResult saveOnce(PriceConnection& connection, const ShopDetails& details, bool onlyWhenNone)
{
    QString problem;
    if (!connection.ready(&problem))
        return StoreResult::fail(connection.notReadyKind(), problem);
    if (!connection.mayChange(&problem))
        return StoreResult::fail(
            StoreKind::ReadOnly,
            QStringLiteral("The shop's details could not be saved. %1").arg(problem));
    QSqlDatabase& db = connection.db();
    const Dialect& dialect = Dialect::Of(db);
    QSqlError error;
    // On a server the table is locked, so that one save follows another.
    if (!dialect.beginWriting(db, Table, &error))
        return refusal(connection, error);
    bool ok = dialect.isServer() || RunStatement(db, MakeTable, &error);
    {
        QSqlQuery query(db);
        bool held = false;
        if (ok && onlyWhenNone) {
            ok = query.exec(CountRows) && query.next();
            held = ok && query.value(0).toLongLong() > 0;
            query.finish();
        }
        if (ok && !held) {
            ok = query.exec(DeleteRows) && query.prepare(dialect.statement(InsertRow));
            if (ok) {
                query.addBindValue(dialect.text(details.name));
                query.addBindValue(dialect.text(details.address));
                query.addBindValue(dialect.text(details.phone));
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
        return refusal(connection, error);
    }
    FileWatch::NoteWrite();
    return StoreResult();
}

// This machine's details of an earlier version, moved into a store that
// holds none: written there, then taken out of the settings file, once.
// Until the store takes them, they are the details read.
void takeOverSettings(PriceConnection& connection, Found& found)
{
    const ShopDetails left = SettingsShopDetails();
    if (left.isEmpty())
        return;
    if (!found.read.done()) {
        found.read.details = left;
        return;
    }
    if (!found.held) {
        const StoreResult moved =
            connection.onceMoreWhenReconnected([&] { return saveOnce(connection, left, true); });
        if (!moved.done()) {
            found.read.details = left;
            found.read.note = QStringLiteral("The shop's details in %1 could not be moved to "
                                             "the price list, so this machine goes on using "
                                             "them. %2")
                                  .arg(ShopSettingsPath(), moved.problem);
            return;
        }
        // Those saved meanwhile at another counter, if it was first.
        const Found now = connection.onceMoreWhenReconnected([&] { return readOnce(connection); });
        found.read.details = now.read.done() ? now.read.details : left;
    }
    // The store holds details: those of the settings file never come back
    // over them. A file that cannot be written keeps them, unused.
    ForgetSettingsShopDetails(nullptr);
}

} // namespace

ShopDetailsRead Read(PriceConnection& connection)
{
    Found found = connection.onceMoreWhenReconnected([&] { return readOnce(connection); });
    takeOverSettings(connection, found);
    return found.read;
}

StoreResult Save(PriceConnection& connection, const ShopDetails& details)
{
    return connection.onceMoreWhenReconnected([&] { return saveOnce(connection, details, false); });
}

QStringList ServerStatements()
{
    return {
        // Inside the transaction that runs them: no notice of what was there
        // already ("skipping") on the terminal.
        QStringLiteral("Set Local client_min_messages To warning"),
        MakeTable,
    };
}

} // namespace ShopDetailsStore
