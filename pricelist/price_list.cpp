#include "pricelist/price_list.h"

#include "core/numbers.h"
#include "pricelist/csv.h"
#include "pricelist/sqlite_errors.h"
#include "sample_prices.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QVariant>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Driver = QStringLiteral("QSQLITE");

// How long a change waits for another program that holds the file locked.
constexpr int BusyTimeoutMs = 2000;

QString nextConnectionName(const char* purpose)
{
    static QAtomicInt counter;
    return QStringLiteral("pricelist-%1-%2")
        .arg(QLatin1String(purpose))
        .arg(counter.fetchAndAddRelaxed(1));
}

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
    , connectionName_(nextConnectionName("screen"))
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
    costPlain_.reset();
    costTrailing_.reset();
    costWide_.reset();
    rows_.reset();
    costs_.clear();
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
    if (!open_) {
        *problem = QStringLiteral("The price list is not open.");
        return false;
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
        costs_.clear(); // changed since the answers were given
    *mark_ = now;
    return true;
}

PriceList::OpenResult PriceList::open()
{
    if (open_)
        return OpenResult::Opened;
    openProblem_.clear();
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
        db_ = QSqlDatabase::addDatabase(Driver, connectionName_);
        if (!db_.isValid()) {
            openProblem_ =
                QStringLiteral("Qt's SQLite driver is not installed (package libqt6sql6-sqlite).");
            return OpenResult::Unusable;
        }
    }
    // mode=rw: SQLite opens an existing file and never creates one.
    const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                        QStringLiteral("?mode=rw");
    db_.setDatabaseName(uri);
    db_.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
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

QSqlQuery& PriceList::prepared(std::unique_ptr<QSqlQuery>& slot, const QString& statement)
{
    if (!slot) {
        slot = std::make_unique<QSqlQuery>(db_);
        slot->setForwardOnly(true);
        slot->prepare(statement); // a failure shows when the query runs
    }
    return *slot;
}

QString PriceList::failure(const QString& what, const QSqlError& error) const
{
    return QStringLiteral("%1. %2 (%3)").arg(what, errorWords(error), path_);
}

CostLookup PriceList::lookupCost(const QString& item, CostStatement form)
{
    QString problem;
    if (!stillTheFile(&problem)) {
        CostLookup result;
        result.problem =
            QStringLiteral("%1 So the price of \"%2\" cannot be looked up.").arg(problem, item);
        return result;
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
    if (result.status != CostLookup::Status::Failed && mark_->countsChanges)
        costs_.insert(item, result);
    return result;
}

ItemRows PriceList::findItemRows(const QString& item)
{
    ItemRows rows;
    QString problem;
    if (!stillTheFile(&problem)) {
        rows.first.problem = QStringLiteral("%1 So \"%2\" cannot be looked up.").arg(problem, item);
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
    if (!db_.transaction()) {
        result.problem = failure(what, db_.lastError());
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
            return result;
        }
    }
    if (!db_.commit()) {
        result.problem = failure(what, db_.lastError());
        db_.rollback();
        return result;
    }
    noteWrite();
    result.saved = true;
    return result;
}

QList<PriceEntry> PriceList::entries(QString* problem)
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

bool PriceList::isView()
{
    QSqlQuery query(db_);
    query.setForwardOnly(true);
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
    const QString name = nextConnectionName("create");
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
