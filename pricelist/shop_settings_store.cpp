#include "pricelist/shop_settings_store.h"

#include "pricelist/price_connection.h"
#include "store/database.h"
#include "store/dialect.h"
#include "store/file_watch.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace ShopSettingsStore {

const QString Table = QStringLiteral("ShopSettings");

namespace {

const QString MakeTable = QStringLiteral(
    "Create Table If Not Exists ShopSettings (Key Text Primary Key, Value Text Not Null)");
const QString ReadRows = QStringLiteral("Select Key, Value From ShopSettings Order By Key");
const QString CountRows = QStringLiteral("Select Count(*) From ShopSettings");
const QString DeleteRows = QStringLiteral("Delete From ShopSettings");
const QString InsertRow = QStringLiteral("Insert Into ShopSettings (Key, Value) Values (?, ?)");
const QString What = QStringLiteral("The shop's settings");

struct Found {
    ShopSettingsRead read;
    bool held = false; // the store holds a row of them
};

Found readOnce(PriceConnection& connection)
{
    Found found;
    ShopSettingsRead& read = found.read;
    if (!connection.ready(&read.problem)) {
        read.kind = connection.notReadyKind();
        return found;
    }
    QSqlDatabase& db = connection.db();
    const Dialect& dialect = Dialect::Of(db);
    const auto failed = [&](const QSqlError& error) {
        read.kind = dialect.kind(error);
        read.problem = connection.failure(What + QStringLiteral(" could not be read"), error);
        return found;
    };
    QSqlError error;
    const std::optional<bool> kept = dialect.holdsTable(db, Table, &error);
    if (!kept)
        return failed(error);
    if (!*kept) {
        // A file that never had them saved; a server set up by an earlier
        // version, which cannot keep them yet.
        if (dialect.isServer())
            read.note = QStringLiteral("The %1 keeps no shop settings yet; locker-pricelist init "
                                       "--database %2 adds the table for them.")
                            .arg(connection.describe(), connection.location().text());
        return found;
    }
    QSqlQuery query(db);
    query.setForwardOnly(!dialect.readsWholeAnswer());
    if (!query.exec(ReadRows))
        return failed(query.lastError());
    QList<QPair<QString, QString>> rows;
    while (query.next())
        rows.append({query.value(0).toString(), query.value(1).toString()});
    if (query.lastError().isValid())
        return failed(query.lastError());
    found.held = !rows.isEmpty();
    read.settings = ShopWideSettings::fromRows(rows);
    return found;
}

StoreResult refusal(PriceConnection& connection, const QSqlError& error)
{
    const QString what = What + QStringLiteral(" could not be saved");
    const StoreKind kind = Dialect::Of(connection.db()).kind(error);
    if (connection.isServer() && kind == StoreKind::Missing)
        return StoreResult::fail(
            kind, QStringLiteral("%1: the %2 has no table for them yet. locker-pricelist init "
                                 "--database %3 adds it.")
                      .arg(what, connection.describe(), connection.location().text()));
    if (connection.isServer() && kind == StoreKind::PermissionDenied)
        return StoreResult::fail(
            kind, QStringLiteral("%1: only the shop's owner may change them (%2). Run it with "
                                 "the owner's login.")
                      .arg(what, Database::ServerErrorDetail(error)));
    return StoreResult::fail(
        kind,
        QStringLiteral("%1. Nothing was changed. %2").arg(what, connection.reason(error, true)));
}

// Writes the settings in one transaction; with `onlyWhenNone`, only into a
// store that holds none yet (settings saved meanwhile at another counter
// stand).
StoreResult saveOnce(PriceConnection& connection, const ShopWideSettings& settings,
                     bool onlyWhenNone)
{
    QString problem;
    if (!connection.ready(&problem))
        return StoreResult::fail(connection.notReadyKind(), problem);
    if (!connection.mayChange(&problem))
        return StoreResult::fail(StoreKind::ReadOnly,
                                 QStringLiteral("%1 could not be saved. %2").arg(What, problem));
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
            for (const auto& [key, value] : settings.rows()) {
                if (!ok)
                    break;
                query.addBindValue(dialect.text(key));
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
        return refusal(connection, error);
    }
    FileWatch::NoteWrite();
    return StoreResult();
}

// This machine's settings of an earlier version, moved into a store that
// holds none: written there, then taken out of the settings file, once.
// Until the store takes them, they are the settings read.
void takeOverSettings(PriceConnection& connection, Found& found)
{
    const ShopWideSettings left = SettingsFileShopWide();
    if (left.isEmpty())
        return;
    if (!found.read.done()) {
        found.read.settings = left;
        return;
    }
    if (!found.held) {
        const StoreResult moved =
            connection.onceMoreWhenReconnected([&] { return saveOnce(connection, left, true); });
        if (!moved.done()) {
            found.read.settings = left;
            found.read.note = QStringLiteral("The shop's settings in %1 could not be moved to "
                                             "the price list, so this machine goes on using "
                                             "them. %2")
                                  .arg(ShopSettingsPath(), moved.problem);
            return;
        }
        const Found now = connection.onceMoreWhenReconnected([&] { return readOnce(connection); });
        found.read.settings = now.read.done() ? now.read.settings : left;
    }
    ForgetSettingsFileShopWide(nullptr);
}

} // namespace

ShopSettingsRead Read(PriceConnection& connection)
{
    Found found = connection.onceMoreWhenReconnected([&] { return readOnce(connection); });
    takeOverSettings(connection, found);
    return found.read;
}

StoreResult Save(PriceConnection& connection, const ShopWideSettings& settings)
{
    return connection.onceMoreWhenReconnected(
        [&] { return saveOnce(connection, settings, false); });
}

QStringList ServerStatements()
{
    return {
        QStringLiteral("Set Local client_min_messages To warning"),
        MakeTable,
        // A change reaches every counter as a change of the prices does.
        QStringLiteral("Drop Trigger If Exists ShopSettings_Changed On ShopSettings"),
        QStringLiteral("Create Trigger ShopSettings_Changed After Insert Or Update Or Delete Or "
                       "Truncate On ShopSettings For Each Statement Execute Function "
                       "locker_prices_changed()"),
    };
}

} // namespace ShopSettingsStore
