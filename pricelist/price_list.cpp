#include "pricelist/price_list.h"

#include "core/shop_settings.h"
#include "pricelist/price_history.h"
#include "pricelist/shop_settings_store.h"
#include "pricelist/stored_cost.h"
#include "store/database.h"
#include "store/dialect.h"
#include "store/file_watch.h"
#include "store/server_watch.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

PriceList::PriceList(StoreLocation location)
    : connection_(std::make_shared<PriceConnection>(std::move(location)))
{}

PriceList::PriceList(std::shared_ptr<PriceConnection> connection)
    : connection_(std::move(connection))
{}

PriceList::~PriceList() = default;

bool PriceList::ready(QString* problem)
{
    const bool ready = connection_->ready(problem);
    if (costsAt_ != connection_->changes()) {
        costs_.clear();
        costsAt_ = connection_->changes();
    }
    return ready;
}

quint64 PriceList::revision()
{
    QString problem;
    if (connection_->isOpen())
        ready(&problem); // a change made meanwhile moves it on
    return connection_->changes();
}

ShopWideSettings PriceList::shopSettings()
{
    QString problem;
    if (!connection_->isOpen() || connection_->outOfReach())
        return settings_;
    ready(&problem);
    if (settingsAt_ == connection_->changes())
        return settings_;
    const quint64 at = connection_->changes();
    const ShopSettingsRead read = ShopSettingsStore::Read(*connection_);
    if (read.done() || settings_.isEmpty())
        settings_ = read.settings;
    if (read.done())
        settingsAt_ = at;
    return settings_;
}

StoreResult PriceList::saveShopSettings(const ShopWideSettings& settings)
{
    const StoreResult saved = ShopSettingsStore::Save(*connection_, settings);
    if (saved.done()) {
        settings_ = settings;
        settingsAt_.reset(); // read back at the next use, as every counter reads them
    }
    return saved;
}

CostLookup PriceList::lookupCost(const QString& item, CostStatement form)
{
    return connection_->onceMoreWhenReconnected([&] { return lookupCostOnce(item, form); });
}

ItemRows PriceList::findItemRows(const QString& item)
{
    return connection_->onceMoreWhenReconnected([&] { return findItemRowsOnce(item); });
}

CostLookup PriceList::lookupCostOnce(const QString& item, CostStatement form)
{
    QString problem;
    if (!ready(&problem)) {
        CostLookup result;
        result.problem = connection_->lost()
                             ? problem
                             : QStringLiteral("%1 So the price of \"%2\" cannot be looked up.")
                                   .arg(problem, item);
        return result;
    }
    if (connection_->snapshot().held())
        return connection_->snapshot().rows(item).first;
    if (const auto known = costs_.constFind(item); known != costs_.constEnd())
        return *known;
    // The first row of the name: the exact name, the row stored first.
    QString statement =
        QStringLiteral("Select Cost From Charges1 Where Item = ? Collate Binary Order By rowid");
    if (form == CostStatement::TrailingBlank)
        statement += QLatin1Char(' ');
    else if (form == CostStatement::WideFrom)
        statement.replace(QLatin1String("From "), QLatin1String("From  "));
    QSqlQuery& query = connection_->prepared(statement);
    query.bindValue(0, item);
    const QString what = QStringLiteral("The price of \"%1\" could not be read").arg(item);
    if (!query.exec()) {
        CostLookup result;
        result.problem = connection_->failure(what, query.lastError());
        connection_->forget(statement); // prepared again next time: the file may be usable then
        return result;
    }
    CostLookup result = query.next() ? CostFromStored(query.value(0), item) : MissingItem(item);
    if (query.lastError().isValid()) {
        result = CostLookup();
        result.problem = connection_->failure(what, query.lastError());
    }
    query.finish();
    if (result.status != CostLookup::Status::Failed && connection_->seesChanges())
        costs_.insert(item, result);
    return result;
}

ItemRows PriceList::findItemRowsOnce(const QString& item)
{
    ItemRows rows;
    QString problem;
    if (!ready(&problem)) {
        rows.first.problem = QStringLiteral("%1 So \"%2\" cannot be looked up.").arg(problem, item);
        return rows;
    }
    if (connection_->snapshot().held())
        return connection_->snapshot().rows(item);
    const QString statement =
        QStringLiteral("Select * From Charges1 Where Item = ? Collate Binary Order By rowid ");
    QSqlQuery& query = connection_->prepared(statement);
    query.bindValue(0, item);
    const QString what = QStringLiteral("\"%1\" could not be looked up").arg(item);
    if (!query.exec()) {
        rows.first.problem = connection_->failure(what, query.lastError());
        connection_->forget(statement); // prepared again next time: the file may be usable then
        return rows;
    }
    while (query.next()) {
        if (rows.count == 0)
            rows.first = CostFromStored(query.value(1), item);
        ++rows.count;
    }
    if (query.lastError().isValid()) {
        rows = ItemRows();
        rows.first.problem = connection_->failure(what, query.lastError());
    } else if (rows.count == 0) {
        rows.first = MissingItem(item);
    }
    query.finish();
    return rows;
}

SaveResult PriceList::addItem(const QString& item, double cost, const QString& category)
{
    SaveResult result;
    QString problem;
    if (!ready(&problem)) {
        result.problem = QStringLiteral("%1 So \"%2\" cannot be added.").arg(problem, item);
        return result;
    }
    const QString what = QStringLiteral("\"%1\" could not be added to the price list").arg(item);
    if (!connection_->mayChange(&problem)) {
        result.problem = QStringLiteral("%1. %2").arg(what, problem);
        return result;
    }
    QSqlDatabase& db = connection_->db();
    ServerWatch watch(db);
    const auto refused = [&](const QSqlError& error) {
        result.problem = connection_->failure(what, error, true);
        if (watch.cut())
            connection_->notAnswered();
        return result;
    };
    // A server's connection found broken at the start is made again, and
    // tried once more: nothing was sent yet.
    if (!db.transaction() &&
        (!isServer() || watch.cut() || !connection_->reconnect(nullptr) || !db.transaction()))
        return refused(db.lastError());
    {
        QSqlError recording;
        if (!isServer() && !PriceHistory::RecordInFile(db, &recording)) {
            db.rollback();
            return refused(recording);
        }
        QSqlQuery insert(db);
        insert.prepare(
            QStringLiteral("Insert Into Charges1 (Item, Cost, Category) Values (?, ?, ?)"));
        insert.addBindValue(item);
        insert.addBindValue(cost);
        insert.addBindValue(category);
        QSqlError error;
        if (!insert.exec() || (!isServer() && !PriceHistory::RecordedInFile(db, &error))) {
            if (!error.isValid())
                error = insert.lastError();
            insert.finish();
            db.rollback();
            return refused(error);
        }
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        return refused(error);
    }
    FileWatch::NoteWrite();
    result.saved = true;
    return result;
}

QList<PriceEntry> PriceList::entries(QString* problem)
{
    QString why;
    QList<PriceEntry> list =
        connection_->onceMoreWhenReconnected([&] { return entriesOnce(&why); });
    if (problem)
        *problem = why;
    return list;
}

QList<PriceEntry> PriceList::entriesOnce(QString* problem)
{
    QList<PriceEntry> list;
    if (!ready(problem))
        return list;
    problem->clear();
    QSqlQuery query(connection_->db());
    query.setForwardOnly(true);
    const QString what = QStringLiteral("The price list could not be read");
    if (!query.exec(
            QStringLiteral("Select rowid, Item, Cost, Category From Charges1 Order By rowid"))) {
        *problem = connection_->failure(what, query.lastError());
        return list;
    }
    while (query.next())
        list.append({query.value(1).toString(), StoredCostText(query.value(2)),
                     query.value(3).toString(), query.value(0).toLongLong()});
    if (query.lastError().isValid())
        *problem = connection_->failure(what, query.lastError());
    return list;
}

bool PriceList::isView()
{
    return Dialect::Of(connection_->db()).isView(connection_->db(), QStringLiteral("Charges1"));
}

PriceList::Choice PriceList::choose(const std::optional<QString>& database,
                                    const std::optional<QString>& priceList, bool mayUseSetting)
{
    Choice choice;
    if (database) {
        choice.location = *database;
        return choice;
    }
    if (priceList) {
        choice.location = *priceList;
        return choice;
    }
    const QString setting = mayUseSetting ? DatabaseSetting() : QString();
    if (setting.isEmpty()) {
        choice.location = defaultPath();
        return choice;
    }
    choice.location = setting;
    choice.fromSetting = true;
    QString problem;
    if (!Database::ParseServerUrl(setting, &problem))
        choice.settingProblem = QStringLiteral("The database set in %1 cannot be used: %2")
                                    .arg(ShopSettingsPath(), problem);
    return choice;
}

QString PriceList::defaultPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("locker-estimate/Lockers.db"));
}
