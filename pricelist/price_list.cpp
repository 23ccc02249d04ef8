#include "pricelist/price_list.h"

#include "core/numbers.h"
#include "sample_prices.h"
#include "store/csv.h"
#include "store/database.h"
#include "store/server_probe.h"
#include "store/server_watch.h"
#include "store/sqlite_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Driver = QStringLiteral("QSQLITE");

// How long a server that could not be reached is left before it is tried again.
constexpr qint64 RetryAfterMs = 1500;

// How long reading every price from a server may take: a large price list
// over a slow link, at the connection or after a change.
constexpr int SnapshotLimitMs = 10000;

// The name under which the server tells every counter that the prices changed.
const QString PricesChanged = QStringLiteral("locker_prices");

// SQLite's error in plain words where there are some, with its own words after.
QString errorWords(const QSqlError& error)
{
    const QString detail = SqliteErrorDetail(error);
    QString reason = SqliteErrorReason(error);
    if (reason.isEmpty())
        return detail;
    reason[0] = reason[0].toUpper();
    return QStringLiteral("%1. (%2)").arg(reason, detail);
}

// Changes made through the price lists of this program, counted.
std::atomic<unsigned long long> programWrites{0};

// SQLite's database header: the file change counter, which every committed
// change in rollback-journal mode moves on, and the write version (2 for WAL,
// whose changes do not move the counter).
constexpr off_t HeaderReadFrom = 18;
constexpr int WriteVersionAt = 18 - HeaderReadFrom;
constexpr int ChangeCounterAt = 24 - HeaderReadFrom;
constexpr int HeaderReadBytes = 28 - HeaderReadFrom;

} // namespace

// What a price list file looks like at one moment.
struct FileMark {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;
    unsigned long long programWrites = 0;
    quint32 changeCounter = 0;
    bool countsChanges = false; // the counter can be trusted to tell a change

    bool sameFile(const FileMark& other) const
    {
        return device == other.device && inode == other.inode;
    }
    bool sameContent(const FileMark& other) const
    {
        return countsChanges && other.countsChanges && sameFile(other) && size == other.size &&
               modifiedNs == other.modifiedNs && changedNs == other.changedNs &&
               programWrites == other.programWrites && changeCounter == other.changeCounter;
    }
};

namespace {

// The Cost read from a row, checked to be a number.
CostLookup costFrom(const QVariant& value, const QString& item)
{
    CostLookup result;
    if (value.isNull()) {
        result.status = CostLookup::Status::NoPrice;
        result.problem = QStringLiteral("\"%1\" has no price in the price list.").arg(item);
        return result;
    }
    std::optional<double> cost;
    const auto type = value.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int ||
        type == QMetaType::ULongLong || type == QMetaType::UInt) {
        cost = value.toDouble();
    } else {
        cost = StrictNumber(value.toString());
    }
    if (!cost || !std::isfinite(*cost)) {
        result.status = CostLookup::Status::NoPrice;
        result.problem =
            QStringLiteral("The price of \"%1\" in the price list is not a number (%2).")
                .arg(item, value.toString());
        return result;
    }
    // A file made by another program may hold anything: a negative or absurd
    // price is a typing error there, never a charge.
    if (*cost < 0 || *cost > MaxMoneyAmount) {
        result.status = CostLookup::Status::NoPrice;
        result.problem = QStringLiteral("The price of \"%1\" in the price list is %2, which "
                                        "cannot be right: a price is from 0 to 100,000. Correct "
                                        "it in the price list.")
                             .arg(item, NumberText(*cost));
        return result;
    }
    result.status = CostLookup::Status::Found;
    result.cost = *cost;
    return result;
}

CostLookup missing(const QString& item)
{
    CostLookup result;
    result.status = CostLookup::Status::Missing;
    result.problem = QStringLiteral("\"%1\" is not in the price list.").arg(item);
    return result;
}

} // namespace

QString PriceList::storedText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    const auto type = value.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int)
        return NumberText(value.toDouble());
    return value.toString();
}

PriceList::PriceList(QString path)
    : path_(std::move(path))
    , connectionName_(Database::NextConnectionName("screen"))
{}

PriceList::~PriceList()
{
    close();
    if (db_.isValid()) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

void PriceList::close()
{
    snapshot_.reset();
    costPlain_.reset();
    costTrailing_.reset();
    costWide_.reset();
    rows_.reset();
    forgetAnswers();
    if (listening_) {
        QObject::disconnect(notified_);
        if (db_.isOpen())
            db_.driver()->unsubscribeFromNotification(PricesChanged);
        listening_ = false;
    }
    if (db_.isValid())
        db_.close();
    if (header_ >= 0)
        ::close(header_); // no statement runs now, so no lock of SQLite's is lost
    header_ = -1;
    open_ = false;
}

void PriceList::noteWrite()
{
    ++programWrites;
}

bool PriceList::markFile(FileMark* mark) const
{
    struct stat info;
    if (::stat(QFile::encodeName(path_).constData(), &info) != 0)
        return false;
    mark->device = static_cast<unsigned long long>(info.st_dev);
    mark->inode = static_cast<unsigned long long>(info.st_ino);
    mark->size = static_cast<long long>(info.st_size);
    mark->modifiedNs =
        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    mark->changedNs =
        static_cast<long long>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    mark->programWrites = programWrites;
    unsigned char header[HeaderReadBytes];
    mark->countsChanges = header_ >= 0 &&
                          ::pread(header_, header, sizeof header, HeaderReadFrom) ==
                              static_cast<ssize_t>(sizeof header) &&
                          header[WriteVersionAt] == 1;
    if (mark->countsChanges) {
        const unsigned char* c = header + ChangeCounterAt;
        mark->changeCounter = quint32(c[0]) << 24 | quint32(c[1]) << 16 | quint32(c[2]) << 8 | c[3];
    }
    return true;
}

bool PriceList::stillTheFile(QString* problem)
{
    if (!open_ && triedOpening_) {
        // A price list that could not be opened (a server out of reach, a
        // file replaced by one that is not a price list) is tried again, now
        // and then, at a use: nothing stands in for the shop's prices.
        // A server is tried away from the screen, and connected to here
        // only once it answered there.
        if (isServer()) {
            if (serverAnswered())
                open();
        } else if (!lastTry_.isValid() || lastTry_.hasExpired(RetryAfterMs)) {
            open();
            lastTry_.start(); // the pause counts from the end of the attempt
        }
        if (!open_) {
            *problem = openProblem_;
            return false;
        }
    }
    if (!open_) {
        *problem = QStringLiteral("The price list is not open.");
        return false;
    }
    if (isServer()) {
        // Reads the notices of changes that have come in, without asking the
        // server anything: the event loop may not have seen them yet. A driver
        // that cannot do it keeps no answers.
        if (!lost_ && listening_ &&
            !QMetaObject::invokeMethod(db_.driver(), "_q_handleNotification", Qt::DirectConnection))
            listening_ = false;
        // A connection that is gone (the server restarted, a link found cut)
        // is made again at once, unless the server is out of reach.
        if (!lost_ && Database::ConnectionBroken(db_)) {
            lost_ = true;
            openProblem_ = QStringLiteral("Prices cannot be looked up now: %1 did not answer "
                                          "(the connection was lost). This counter connects "
                                          "again as soon as the server answers.")
                               .arg(describe());
        }
        if (lost_)
            return reconnect(problem);
        return true;
    }
    FileMark now;
    if (!markFile(&now)) {
        *problem = QStringLiteral("The price list file %1 is no longer there (deleted or moved).")
                       .arg(path_);
        return false;
    }
    if (!now.sameFile(*mark_)) {
        close(); // another file has taken its place: move to it
        if (open() != OpenResult::Opened) {
            *problem = openProblem_;
            return false;
        }
        return true;
    }
    if (!now.sameContent(*mark_))
        forgetAnswers(); // changed since the answers were given
    *mark_ = now;
    return true;
}

PriceList::OpenResult PriceList::open()
{
    if (open_)
        return OpenResult::Opened;
    triedOpening_ = true;
    openProblem_.clear();
    if (Database::IsServerUrl(path_))
        return openServer();
    const QFileInfo info(path_);
    if (!info.exists()) {
        openProblem_ = QStringLiteral("There is no price list at %1.").arg(path_);
        return OpenResult::FileMissing;
    }
    if (!info.isFile()) {
        openProblem_ = QStringLiteral("%1 is not a price list file.").arg(path_);
        return OpenResult::Unusable;
    }
    if (::access(QFile::encodeName(path_).constData(), R_OK) != 0) {
        openProblem_ = QStringLiteral("The price list file %1 may not be read by this user "
                                      "(permission denied). Give this user permission to read "
                                      "and write it, or use the program as the user who owns it.")
                           .arg(path_);
        return OpenResult::Unusable;
    }
    if (!db_.isValid()) {
        db_ = Database::AddSqliteFile(connectionName_, path_);
        if (!db_.isValid()) {
            openProblem_ =
                QStringLiteral("Qt's SQLite driver is not installed (package libqt6sql6-sqlite).");
            return OpenResult::Unusable;
        }
    }
    if (!db_.open()) {
        openProblem_ = QStringLiteral("%1 (%2)").arg(errorWords(db_.lastError()), path_);
        return QFileInfo::exists(path_) ? OpenResult::Unusable : OpenResult::FileMissing;
    }
    {
        QSqlQuery check(db_);
        if (!check.exec(
                QStringLiteral("Select rowid, Item, Cost, Category From Charges1 Limit 1"))) {
            const QSqlError error = check.lastError();
            if (error.databaseText().contains(QLatin1String("rowid")))
                openProblem_ = QStringLiteral("%1 keeps Charges1 as a table without row numbers "
                                              "(WITHOUT ROWID), so the first row of a name "
                                              "cannot be told. Copy its rows into an ordinary "
                                              "table Charges1 (Item, Cost, Category).")
                                   .arg(path_);
            else if (error.databaseText().contains(QLatin1String("no such")))
                openProblem_ = QStringLiteral("%1 is not a price list: it has no table Charges1 "
                                              "with the columns Item, Cost and Category (%2).")
                                   .arg(path_, errorWords(error));
            else
                openProblem_ = QStringLiteral("%1 (%2)").arg(errorWords(error), path_);
            check.finish();
            db_.close();
            return OpenResult::Unusable;
        }
    }
    header_ = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    mark_ = std::make_unique<FileMark>();
    if (!markFile(mark_.get())) {
        openProblem_ = QStringLiteral("There is no price list at %1.").arg(path_);
        close();
        return OpenResult::FileMissing;
    }
    open_ = true;
    return OpenResult::Opened;
}

PriceList::OpenResult PriceList::openServer()
{
    // A server that cannot be reached, or a database that is not there: the
    // shop's prices cannot be had now.
    switch (Database::OpenServer(db_, connectionName_, path_, &openProblem_)) {
    case Database::ServerOpening::Opened:
        break;
    case Database::ServerOpening::Refused:
        return OpenResult::Unusable;
    case Database::ServerOpening::NotReached:
        lastTry_.start();
        return OpenResult::Unreachable;
    }
    QSqlQuery check(db_);
    if (!check.exec(QStringLiteral("Select rowid, Item, Cost, Category From Charges1 Limit 1"))) {
        const QSqlError error = check.lastError();
        const StoreKind kind = Database::ServerErrorKind(error);
        if (kind == StoreKind::Missing || kind == StoreKind::Failed)
            openProblem_ = QStringLiteral("The %1 holds no price list: it has no table Charges1 "
                                          "with the columns Item, Cost and Category (%2). Make "
                                          "one with locker-pricelist init --database.")
                               .arg(describe(), Database::ServerErrorDetail(error));
        else
            openProblem_ = Database::ServerReason(error, describe());
        check.finish();
        db_.close();
        return kind == StoreKind::Unreachable || kind == StoreKind::TimedOut
                   ? OpenResult::Unreachable
                   : OpenResult::Unusable;
    }
    check.finish();
    // Every change to the prices, made at any counter, is told to this one:
    // the answers kept since are dropped.
    QSqlDriver* driver = db_.driver();
    listening_ = driver->subscribeToNotification(PricesChanged);
    if (listening_)
        notified_ = QObject::connect(driver, &QSqlDriver::notification, driver,
                                     [this](const QString& name) {
                                         if (name == PricesChanged) {
                                             forgetAnswers();
                                             ServerWatch watch(db_, SnapshotLimitMs);
                                             loadSnapshot();
                                         }
                                     });
    lost_ = false;
    open_ = true;
    // Every price held here, so that a lookup asks the server nothing.
    {
        ServerWatch watch(db_, SnapshotLimitMs);
        if (listening_ && !loadSnapshot()) {
            close();
            return OpenResult::Unreachable;
        }
    }
    return OpenResult::Opened;
}

QSqlQuery& PriceList::prepared(std::unique_ptr<QSqlQuery>& slot, const QString& statement)
{
    if (!slot) {
        slot = std::make_unique<QSqlQuery>(db_);
        // On a server a forward-only query reads its rows one at a time, and
        // the notices of changes wait behind those left unread: the whole
        // answer is taken at once there.
        slot->setForwardOnly(!Database::IsServer(db_));
        slot->prepare(Database::Statement(db_, statement)); // a failure shows when it runs
    }
    return *slot;
}

QString PriceList::failure(const QString& what, const QSqlError& error)
{
    if (!Database::IsServer(db_))
        return QStringLiteral("%1. %2 (%3)").arg(what, errorWords(error), path_);
    // A connection that is gone (the server stopped, the network cut) is made
    // again at the next use; a refusal (no right, a lock held elsewhere) is
    // the server's answer, and the connection stays.
    if (Database::ServerErrorKind(error) != StoreKind::Unreachable)
        return QStringLiteral("%1. %2").arg(what, Database::ServerReason(error, describe()));
    lost_ = true;
    return QStringLiteral("Prices cannot be looked up now. %1")
        .arg(Database::ServerReason(error, describe()));
}

bool PriceList::reconnect(QString* problem)
{
    // A server out of reach is not tried at the clerk's actions: a probe
    // away from the screen tells when it answers again.
    if (outOfReach_ && !serverAnswered()) {
        if (problem)
            *problem = openProblem_;
        return false;
    }
    close();
    if (open() == OpenResult::Opened) {
        outOfReach_ = false;
        return true;
    }
    // Still the price list in use: connected again once the server answers.
    open_ = true;
    lost_ = true;
    outOfReach_ = true;
    serverAnswered();
    if (problem)
        *problem = openProblem_;
    return false;
}

void PriceList::notAnswered()
{
    // No answer within the limit: out of reach until a probe finds it.
    lost_ = true;
    outOfReach_ = true;
    openProblem_ = QStringLiteral("Prices cannot be looked up now: %1 did not answer within %2 "
                                  "seconds. This counter connects again as soon as the server "
                                  "answers.")
                       .arg(describe())
                       .arg(ServerWatch::LimitMs / 1000);
    serverAnswered();
}

bool PriceList::serverAnswered()
{
    if (!probe_)
        probe_ = std::make_unique<ServerProbe>(path_);
    if (probe_->takeAnswered())
        return true;
    probe_->start();
    return false;
}

bool PriceList::connectWhenAnswering()
{
    // A connection found gone (the server stopped, a link cut) is out of
    // reach until a probe finds the server again: a reconnection here could
    // wait for a server that does not answer.
    if (open_ && !lost_ && isServer() && Database::ConnectionBroken(db_)) {
        lost_ = true;
        outOfReach_ = true;
        openProblem_ = QStringLiteral("Prices cannot be looked up now: the connection to %1 "
                                      "was lost. This counter connects again as soon as the "
                                      "server answers.")
                           .arg(describe());
        serverAnswered();
    }
    if (!outOfReach())
        return true;
    if (!open_) {
        if (serverAnswered())
            open();
    } else {
        reconnect(nullptr);
    }
    return !outOfReach();
}

bool PriceList::outOfReach() const
{
    return isServer() && ((!open_ && triedOpening_) || outOfReach_);
}

template <typename Use> auto PriceList::onceMoreWhenReconnected(Use use)
{
    const bool wasLost = lost_;
    auto result = watched(use);
    // The use found the server's connection broken (the server restarted, the
    // network came back): it is made again at once, and the use tried once more.
    if (lost_ && !wasLost && reconnect(nullptr))
        result = watched(use);
    return result;
}

template <typename Use> auto PriceList::watched(Use use)
{
    ServerWatch watch(db_);
    auto result = use();
    if (watch.cut())
        notAnswered();
    return result;
}

void PriceList::forgetAnswers()
{
    costs_.clear();
    ++revision_;
}

quint64 PriceList::revision()
{
    QString problem;
    if (open_)
        stillTheFile(&problem); // a change made meanwhile moves it on
    return revision_;
}

bool PriceList::isServer() const
{
    return Database::IsServerUrl(path_);
}

QString PriceList::describe() const
{
    return Database::Described(path_);
}

CostLookup PriceList::lookupCost(const QString& item, CostStatement form)
{
    return onceMoreWhenReconnected([&] { return lookupCostOnce(item, form); });
}

ItemRows PriceList::findItemRows(const QString& item)
{
    return onceMoreWhenReconnected([&] { return findItemRowsOnce(item); });
}

CostLookup PriceList::lookupCostOnce(const QString& item, CostStatement form)
{
    QString problem;
    if (!stillTheFile(&problem)) {
        CostLookup result;
        result.problem = lost_ ? problem
                               : QStringLiteral("%1 So the price of \"%2\" cannot be looked up.")
                                     .arg(problem, item);
        return result;
    }
    if (snapshot_) {
        const auto held = snapshot_->constFind(item);
        return held == snapshot_->constEnd() ? missing(item) : held->first;
    }
    if (const auto known = costs_.constFind(item); known != costs_.constEnd())
        return *known;
    std::unique_ptr<QSqlQuery>* slot = &costPlain_;
    // The first row of the name: the exact name, the row stored first.
    QString statement =
        QStringLiteral("Select Cost From Charges1 Where Item = ? Collate Binary Order By rowid");
    if (form == CostStatement::TrailingBlank) {
        slot = &costTrailing_;
        statement = QStringLiteral(
            "Select Cost From Charges1 Where Item = ? Collate Binary Order By rowid ");
    } else if (form == CostStatement::WideFrom) {
        slot = &costWide_;
        statement = QStringLiteral(
            "Select Cost From  Charges1 Where Item = ? Collate Binary Order By rowid");
    }
    QSqlQuery& query = prepared(*slot, statement);
    query.bindValue(0, item);
    if (!query.exec()) {
        CostLookup result;
        result.problem = failure(QStringLiteral("The price of \"%1\" could not be read").arg(item),
                                 query.lastError());
        slot->reset(); // prepared again next time, when the file may be usable again
        return result;
    }
    CostLookup result = query.next() ? costFrom(query.value(0), item) : missing(item);
    if (query.lastError().isValid()) {
        result = CostLookup();
        result.problem = failure(QStringLiteral("The price of \"%1\" could not be read").arg(item),
                                 query.lastError());
    }
    query.finish();
    if (result.status != CostLookup::Status::Failed && (listening_ || mark_->countsChanges))
        costs_.insert(item, result);
    return result;
}

ItemRows PriceList::findItemRowsOnce(const QString& item)
{
    ItemRows rows;
    QString problem;
    if (!stillTheFile(&problem)) {
        rows.first.problem = QStringLiteral("%1 So \"%2\" cannot be looked up.").arg(problem, item);
        return rows;
    }
    if (snapshot_) {
        const auto held = snapshot_->constFind(item);
        if (held != snapshot_->constEnd())
            return *held;
        rows.first = missing(item);
        return rows;
    }
    QSqlQuery& query = prepared(
        rows_,
        QStringLiteral("Select * From Charges1 Where Item = ? Collate Binary Order By rowid "));
    query.bindValue(0, item);
    if (!query.exec()) {
        rows.first.problem =
            failure(QStringLiteral("\"%1\" could not be looked up").arg(item), query.lastError());
        rows_.reset(); // prepared again next time, when the file may be usable again
        return rows;
    }
    while (query.next()) {
        if (rows.count == 0)
            rows.first = costFrom(query.value(1), item);
        ++rows.count;
    }
    if (query.lastError().isValid()) {
        rows.count = 0;
        rows.first = CostLookup();
        rows.first.problem =
            failure(QStringLiteral("\"%1\" could not be looked up").arg(item), query.lastError());
    } else if (rows.count == 0) {
        rows.first = missing(item);
    }
    query.finish();
    return rows;
}

SaveResult PriceList::addItem(const QString& item, double cost, const QString& category)
{
    SaveResult result;
    QString problem;
    if (!stillTheFile(&problem)) {
        result.problem = QStringLiteral("%1 So \"%2\" cannot be added.").arg(problem, item);
        return result;
    }
    const QString what = QStringLiteral("\"%1\" could not be added to the price list").arg(item);
    ServerWatch watch(db_);
    // A server's connection found broken at the start is made again, and
    // tried once more: nothing was sent yet.
    if (!db_.transaction() &&
        (!Database::IsServer(db_) || watch.cut() || !reconnect(nullptr) || !db_.transaction())) {
        result.problem = failure(what, db_.lastError());
        if (watch.cut())
            notAnswered();
        return result;
    }
    {
        QSqlQuery insert(db_);
        insert.prepare(
            QStringLiteral("Insert Into Charges1 (Item, Cost, Category) Values (?, ?, ?)"));
        insert.addBindValue(item);
        insert.addBindValue(cost);
        insert.addBindValue(category);
        if (!insert.exec()) {
            result.problem = failure(what, insert.lastError());
            insert.finish();
            db_.rollback();
            if (watch.cut())
                notAnswered();
            return result;
        }
    }
    if (!db_.commit()) {
        result.problem = failure(what, db_.lastError());
        db_.rollback();
        if (watch.cut())
            notAnswered();
        return result;
    }
    noteWrite();
    result.saved = true;
    return result;
}

QList<PriceEntry> PriceList::entries(QString* problem)
{
    QString why;
    QList<PriceEntry> list = onceMoreWhenReconnected([&] { return entriesOnce(&why); });
    if (problem)
        *problem = why;
    return list;
}

QList<PriceEntry> PriceList::entriesOnce(QString* problem)
{
    QList<PriceEntry> list;
    if (problem)
        problem->clear();
    QString gone;
    if (!stillTheFile(&gone)) {
        if (problem)
            *problem = gone;
        return list;
    }
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("Select rowid, Item, Cost, Category From Charges1 Order By rowid"))) {
        if (problem)
            *problem =
                failure(QStringLiteral("The price list could not be read"), query.lastError());
        return list;
    }
    while (query.next())
        list.append({query.value(1).toString(), storedText(query.value(2)),
                     query.value(3).toString(), query.value(0).toLongLong()});
    if (query.lastError().isValid() && problem)
        *problem = failure(QStringLiteral("The price list could not be read"), query.lastError());
    return list;
}

bool PriceList::loadSnapshot()
{
    snapshot_.reset();
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("Select Item, Cost From Charges1 Order By rowid"))) {
        openProblem_ =
            failure(QStringLiteral("The price list could not be read"), query.lastError());
        return false;
    }
    QHash<QString, ItemRows> rows;
    while (query.next()) {
        ItemRows& held = rows[query.value(0).toString()];
        if (held.count++ == 0)
            held.first = costFrom(query.value(1), query.value(0).toString());
    }
    if (query.lastError().isValid()) {
        openProblem_ =
            failure(QStringLiteral("The price list could not be read"), query.lastError());
        return false;
    }
    snapshot_ = std::move(rows);
    return true;
}

bool PriceList::isView()
{
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (Database::IsServer(db_))
        return query.exec(QStringLiteral("Select 1 From information_schema.views Where "
                                         "table_name = 'charges1'")) &&
               query.next();
    return query.exec(QStringLiteral("Select type From sqlite_master Where name = 'Charges1' "
                                     "Collate NoCase")) &&
           query.next() && query.value(0).toString() == QLatin1String("view");
}

QString PriceList::defaultPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("locker-estimate/Lockers.db"));
}

QString PriceList::sampleCsv()
{
    return QString::fromUtf8(SamplePricesCsv);
}

SaveResult PriceList::createSample(const QString& path)
{
    SaveResult result;
    if (QFileInfo::exists(path)) {
        result.problem = QStringLiteral("%1 already exists; it was left as it is.").arg(path);
        return result;
    }
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        result.problem =
            QStringLiteral("The folder %1 could not be made.").arg(info.absolutePath());
        return result;
    }
    QString problem;
    const QList<Csv::Record> records = Csv::parse(sampleCsv(), &problem);
    const QString temporary = info.absoluteFilePath() + QStringLiteral(".creating");
    QFile::remove(temporary);
    const QString name = Database::NextConnectionName("create");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(Driver, name);
        db.setDatabaseName(temporary);
        bool ok = db.open();
        QSqlQuery query(db);
        ok = ok && query.exec(QStringLiteral(
                       "Create Table Charges1 (Item Text, Cost Numeric, Category Text)"));
        ok = ok && query.exec(QStringLiteral("Create Index Charges1_Item On Charges1 (Item)"));
        ok = ok && db.transaction();
        ok = ok && query.prepare(QStringLiteral(
                       "Insert Into Charges1 (Item, Cost, Category) Values (?, ?, ?)"));
        for (int r = 1; ok && r < records.size(); ++r) {
            const QStringList& f = records[r].fields;
            query.addBindValue(f.value(0));
            query.addBindValue(MoneyAmount(f.value(1)).value_or(0));
            query.addBindValue(f.value(2));
            ok = query.exec();
        }
        ok = ok && db.commit();
        if (!ok)
            problem = errorWords(query.lastError().isValid() ? query.lastError() : db.lastError());
        query.finish();
        query = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!problem.isEmpty() || !QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        result.problem = QStringLiteral("The sample price list could not be made at %1. %2")
                             .arg(path, problem)
                             .trimmed();
        return result;
    }
    result.saved = true;
    return result;
}

namespace {

// A connection to a server for one piece of work, gone with it.
class ServerWork {
public:
    explicit ServerWork(const QString& url)
        : described(Database::Described(url))
    {
        Database::OpenServer(db, name, url, &problem);
    }
    ~ServerWork()
    {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    ServerWork(const ServerWork&) = delete;
    ServerWork& operator=(const ServerWork&) = delete;

    // Runs the statements in one transaction; false, with `problem` set, when
    // one fails (and then nothing is changed).
    bool run(const QStringList& statements)
    {
        QSqlQuery query(db);
        for (const QString& statement : statements)
            if (!query.exec(statement)) {
                problem = Database::ServerErrorDetail(query.lastError());
                query.exec(QStringLiteral("Rollback"));
                return false;
            }
        return true;
    }

    QString name = Database::NextConnectionName("server");
    QSqlDatabase db;
    QString problem;
    QString described;
};

} // namespace

SaveResult PriceList::createServerTables(const QString& url)
{
    SaveResult result;
    ServerWork server(url);
    if (!server.problem.isEmpty()) {
        result.problem = server.problem;
        return result;
    }
    QSqlQuery there(server.db);
    if (there.exec(QStringLiteral("Select to_regclass('charges1') Is Not Null")) && there.next() &&
        there.value(0).toBool()) {
        result.problem = QStringLiteral("The %1 holds a price list already; it was left as it is.")
                             .arg(server.described);
        return result;
    }
    there.finish();
    // The row number keeps the order of the rows, as SQLite's rowid does in
    // a file: the first row of a name is the one with the lowest.
    if (!server.run({
            QStringLiteral("Begin"),
            QStringLiteral("Create Table Charges1 (Item Text, Cost Double Precision, Category "
                           "Text, rowid Bigint Generated By Default As Identity Primary Key)"),
            QStringLiteral("Create Index Charges1_Item On Charges1 (Item)"),
            QStringLiteral("Create Or Replace Function locker_prices_changed() Returns Trigger "
                           "Language plpgsql As $$ Begin Perform pg_notify('%1', ''); Return "
                           "Null; End $$")
                .arg(PricesChanged),
            QStringLiteral("Create Trigger Charges1_Changed After Insert Or Update Or Delete Or "
                           "Truncate On Charges1 For Each Statement Execute Function "
                           "locker_prices_changed()"),
            QStringLiteral("Commit"),
        })) {
        result.problem = QStringLiteral("The price list could not be made in the %1. (%2)")
                             .arg(server.described, server.problem);
        return result;
    }
    result.saved = true;
    return result;
}

SaveResult PriceList::copyToServer(const QString& file, const QString& url, int* copied,
                                   QStringList* notes)
{
    SaveResult result;
    *copied = 0;
    PriceList source(file);
    if (source.open() != OpenResult::Opened) {
        result.problem = source.openProblem();
        return result;
    }
    QString problem;
    const QList<PriceEntry> rows = source.entries(&problem);
    if (!problem.isEmpty()) {
        result.problem = problem;
        return result;
    }
    ServerWork server(url);
    if (!server.problem.isEmpty()) {
        result.problem = server.problem;
        return result;
    }
    const QString refused =
        QStringLiteral("The price list was not copied to the %1").arg(server.described);
    if (!server.run({QStringLiteral("Begin"),
                     QStringLiteral("Lock Table Charges1 In Share Row Exclusive Mode")})) {
        result.problem = QStringLiteral("%1. (%2)").arg(refused, server.problem);
        return result;
    }
    QSqlQuery query(server.db);
    if (!query.exec(QStringLiteral("Select Count(*) From Charges1")) || !query.next() ||
        query.value(0).toLongLong() != 0) {
        result.problem = query.lastError().isValid()
                             ? QStringLiteral("%1. (%2)")
                                   .arg(refused, Database::ServerErrorDetail(query.lastError()))
                             : QStringLiteral("%1: it holds prices already, which were left as "
                                              "they are.")
                                   .arg(refused);
        query.exec(QStringLiteral("Rollback"));
        return result;
    }
    query.prepare(QStringLiteral("Insert Into Charges1 (Item, Cost, Category) Values (?, ?, ?)"));
    for (const PriceEntry& row : rows) {
        const std::optional<double> cost = StrictNumber(row.cost);
        if (!cost && !row.cost.isEmpty())
            notes->append(QStringLiteral("\"%1\" had the cost \"%2\", which is not a number: "
                                         "copied without a cost.")
                              .arg(row.item, row.cost));
        query.addBindValue(row.item);
        query.addBindValue(cost ? QVariant(*cost) : QVariant(QMetaType(QMetaType::Double)));
        query.addBindValue(row.category);
        if (!query.exec()) {
            result.problem = QStringLiteral("%1. (%2)")
                                 .arg(refused, Database::ServerErrorDetail(query.lastError()));
            query.exec(QStringLiteral("Rollback"));
            return result;
        }
    }
    if (!server.run({QStringLiteral("Commit")})) {
        result.problem = QStringLiteral("%1. (%2)").arg(refused, server.problem);
        return result;
    }
    *copied = int(rows.size());
    result.saved = true;
    return result;
}
