#include "book/estimate_book.h"

#include "pricelist/sqlite_errors.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

const QString Driver = QStringLiteral("QSQLITE");

// How long a change waits for another program that holds the file locked.
constexpr int BusyTimeoutMs = 2000;

// Times are kept as text in local time, to the second.
const QString TimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

const SqliteFileWords BookWords{"the estimates file", "the estimates file", "an estimates file"};

// SQLite's primary result codes that the book tells apart.
constexpr int SqliteError = 1;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADb = 26;

// Each step brings the tables from one version to the next; step 0 makes them
// in a new, empty file. A later version adds its step and never changes one.
//
// The Key columns hold the customer's name and phone in folded letter case
// and the phone's digits, for the search. The listing index holds every column
// that the list shows or searches, so the list reads the index alone and not
// the estimates themselves, which are large.
const QStringList Steps[] = {
    {QStringLiteral(
         "Create Table Estimates ("
         "Number Integer Primary Key Autoincrement, "
         "Created Text Not Null, Updated Text Not Null, "
         "Customer Text Not Null, Phone Text Not Null, Note Text Not Null, "
         "Species Text Not Null, LiveWeight Text Not Null, "
         "QuoteTotal Text Not Null, FinalTotal Text Not Null, "
         "QuoteState Text Not Null, FinalState Text Not Null, "
         "Revision Integer Not Null, "
         "CustomerKey Text Not Null, PhoneKey Text Not Null, PhoneDigits Text Not Null)"),
     QStringLiteral("Create Index Estimates_Listing On Estimates (Number, CustomerKey, PhoneKey, "
                    "PhoneDigits, Created, Customer, Phone, Species, LiveWeight, QuoteTotal, "
                    "FinalTotal)")},
};
static_assert(std::size(Steps) == EstimateBook::SchemaVersion, "one step for each version");

const QString RecordColumns =
    QStringLiteral("Number, Created, Updated, Customer, Phone, Note, Species, LiveWeight, "
                   "QuoteTotal, FinalTotal, QuoteState, FinalState, Revision");

QString nextConnectionName(const char* purpose)
{
    static QAtomicInt counter;
    return QStringLiteral("book-%1-%2")
        .arg(QLatin1String(purpose))
        .arg(counter.fetchAndAddRelaxed(1));
}

QString timeText(const QDateTime& time)
{
    return time.toString(TimeFormat);
}

QDateTime timeFrom(const QVariant& value)
{
    return QDateTime::fromString(value.toString(), TimeFormat);
}

// The time of a save, to the second, as it is kept.
QDateTime now()
{
    return timeFrom(timeText(QDateTime::currentDateTime()));
}

// A text as a value that is never NULL (Qt binds a null QString as NULL).
QVariant text(const QString& value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

// A text as the search compares it: letter case folded, accents composed.
QString searchKey(const QString& value)
{
    return value.normalized(QString::NormalizationForm_C).toCaseFolded();
}

QString digitsOf(const QString& value)
{
    QString digits;
    for (const QChar c : value)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    return digits;
}

// A search written as a phone number is: digits, and blanks or the marks
// written between them.
bool looksLikePhone(const QString& search)
{
    for (const QChar c : search)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) &&
            !QStringLiteral(" -().+/").contains(c))
            return false;
    return !digitsOf(search).isEmpty();
}

int primaryCode(const QSqlError& error)
{
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number ? code & 0xff : -1;
}

bool damaged(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == SqliteCorrupt || code == SqliteNotADb;
}

QString damagedWords(const QString& path)
{
    return QStringLiteral("The estimates file %1 is damaged or not an estimates file, so no "
                          "estimate can be kept in it or read from it; it was left as it is. "
                          "Move it to another folder (the next save then starts a new estimates "
                          "file there), or put back a copy of it kept earlier.")
        .arg(path);
}

QString newerWords(const QString& path, int version)
{
    return QStringLiteral("The estimates file %1 was made by a newer version of Locker Estimate "
                          "(its tables are version %2; this version knows up to %3), so this "
                          "version neither reads nor changes it. Use the newer version with it.")
        .arg(path)
        .arg(version)
        .arg(EstimateBook::SchemaVersion);
}

// SQLite's error in plain words, with its own words after.
QString errorWords(const QString& path, const QSqlError& error, bool changing)
{
    if (damaged(error))
        return QStringLiteral("%1 (%2)").arg(damagedWords(path), SqliteErrorDetail(error));
    // While a change runs on the open file, what cannot be opened is the
    // journal that SQLite makes beside it, in its folder.
    QString reason = changing && SqliteCannotOpen(error) ? SqliteFolderReason(BookWords)
                                                         : SqliteErrorReason(error, BookWords);
    if (primaryCode(error) == SqliteFull)
        reason += QStringLiteral("; make room on it (delete or move files that are not needed), "
                                 "then try again");
    if (reason.isEmpty())
        return QStringLiteral("%1 (%2)").arg(SqliteErrorDetail(error), path);
    reason[0] = reason[0].toUpper();
    return QStringLiteral("%1 (%2). (%3)").arg(reason, path, SqliteErrorDetail(error));
}

// What the open file holds.
struct FileShape {
    enum Kind {
        Empty,   // a new, empty database: no tables yet
        Older,   // the book's tables, of an earlier version
        Current, // the book's tables, of this version
        Newer,   // made by a newer program
        Foreign, // a database without the book's tables
        Failed,  // could not be read: `error` says why
    };
    Kind kind = Failed;
    int version = 0;
    QSqlError error;
};

bool run(QSqlDatabase& db, const QString& statement, QSqlError* error)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    *error = query.lastError();
    return false;
}

FileShape examine(QSqlDatabase& db)
{
    FileShape shape;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("Pragma user_version")) || !query.next()) {
        shape.error = query.lastError();
        return shape;
    }
    shape.version = query.value(0).toInt();
    query.finish();
    if (shape.version > EstimateBook::SchemaVersion) {
        shape.kind = FileShape::Newer;
        return shape;
    }
    if (shape.version == 0) {
        if (!query.exec(QStringLiteral("Select count(*) From sqlite_master")) || !query.next()) {
            shape.error = query.lastError();
            return shape;
        }
        shape.kind = query.value(0).toLongLong() == 0 ? FileShape::Empty : FileShape::Foreign;
        return shape;
    }
    // A file of this version must have every column that is read; one of an
    // earlier version at least the table, which its steps bring up.
    const QString probe =
        shape.version == EstimateBook::SchemaVersion
            ? QStringLiteral("Select %1 From Estimates Limit 0").arg(RecordColumns)
            : QStringLiteral("Select 1 From Estimates Limit 0");
    if (!query.exec(probe)) {
        shape.error = query.lastError();
        if (primaryCode(shape.error) == SqliteError)
            shape.kind = FileShape::Foreign;
        return shape;
    }
    shape.kind =
        shape.version == EstimateBook::SchemaVersion ? FileShape::Current : FileShape::Older;
    return shape;
}

bool upgrade(QSqlDatabase& db, int from, QSqlError* error)
{
    for (int version = from; version < EstimateBook::SchemaVersion; ++version)
        for (const QString& statement : Steps[version])
            if (!run(db, statement, error))
                return false;
    return run(db, QStringLiteral("Pragma user_version = %1").arg(EstimateBook::SchemaVersion),
               error);
}

// Binds what the clerk gave (never NULL) and the search keys made from it, in
// the order that the insert and the update name them: Customer to FinalState,
// then CustomerKey, PhoneKey, PhoneDigits.
void bindContent(QSqlQuery& query, const EstimateRecord& record)
{
    query.addBindValue(text(record.customer));
    query.addBindValue(text(record.phone));
    query.addBindValue(text(record.note));
    query.addBindValue(text(record.species));
    query.addBindValue(text(record.liveWeight));
    query.addBindValue(text(record.quoteTotal));
    query.addBindValue(text(record.finalTotal));
    query.addBindValue(text(record.quoteState));
    query.addBindValue(text(record.finalState));
    query.addBindValue(text(searchKey(record.customer)));
    query.addBindValue(text(searchKey(record.phone)));
    query.addBindValue(text(digitsOf(record.phone)));
}

// Adds the record as a new estimate; its number on success, else 0.
qint64 insert(QSqlDatabase& db, const EstimateRecord& record, const QDateTime& time,
              QSqlError* error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "Insert Into Estimates (Created, Updated, Customer, Phone, Note, Species, LiveWeight, "
        "QuoteTotal, FinalTotal, QuoteState, FinalState, CustomerKey, PhoneKey, PhoneDigits, "
        "Revision) Values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"));
    query.addBindValue(timeText(time));
    query.addBindValue(timeText(time));
    bindContent(query, record);
    if (!query.exec()) {
        *error = query.lastError();
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

// An open connection to the file for one use of the book; closed when it
// goes, so that the book never holds on to a file that another may replace.
class Session {
public:
    Session(QSqlDatabase& db, const QString& path)
        : db_(db)
    {
        // mode=rw: SQLite opens an existing file and never creates one.
        db_.setDatabaseName(
            QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
            QStringLiteral("?mode=rw"));
        db_.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
        opened_ = db_.open();
    }
    ~Session()
    {
        if (db_.isOpen())
            db_.close();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool opened() const { return opened_; }

    // The file opened and a transaction begun (see begin()); false when either
    // was refused, and `problem` says why.
    bool start(bool change, const QString& path, QString* problem, bool* empty = nullptr)
    {
        if (!opened_) {
            *problem = errorWords(path, db_.lastError(), false);
            return false;
        }
        return begin(change, path, problem, empty);
    }

    // Begins a transaction on a file that holds the book's tables of this
    // version: a change (which waits for others to finish theirs) brings a
    // new or older file up to this version first. False when the file is
    // refused, and `problem` says why. When only reading a new, empty file,
    // `empty` tells it and no transaction is left open.
    bool begin(bool change, const QString& path, QString* problem, bool* empty = nullptr)
    {
        QSqlError error;
        if (!run(db_, change ? QStringLiteral("Begin Immediate") : QStringLiteral("Begin"),
                 &error)) {
            *problem = errorWords(path, error, change);
            return false;
        }
        const FileShape shape = examine(db_);
        switch (shape.kind) {
        case FileShape::Current:
            return true;
        case FileShape::Empty:
            if (!change) {
                end(false);
                *empty = true;
                return true;
            }
            [[fallthrough]];
        case FileShape::Older:
            if (!change) {
                // Read it as this version reads: brought up first.
                end(false);
                return begin(true, path, problem, empty);
            }
            if (upgrade(db_, shape.version, &error))
                return true;
            *problem = errorWords(path, error, true);
            break;
        case FileShape::Newer:
            *problem = newerWords(path, shape.version);
            break;
        case FileShape::Foreign:
            *problem = damagedWords(path);
            break;
        case FileShape::Failed:
            *problem = errorWords(path, shape.error, change);
            break;
        }
        end(false);
        return false;
    }

    // Ends the transaction: commits it, or takes it back.
    bool end(bool commit, QSqlError* error = nullptr)
    {
        QSqlError ignored;
        if (commit && run(db_, QStringLiteral("Commit"), error ? error : &ignored))
            return true;
        run(db_, QStringLiteral("Rollback"), &ignored);
        return !commit;
    }

private:
    QSqlDatabase& db_;
    bool opened_ = false;
};

// Syncs a folder, so that a file just linked into it stays there.
void syncFolder(const QString& folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

struct EstimateBook::Connection {
    QString name = nextConnectionName("book");
    QSqlDatabase db = QSqlDatabase::addDatabase(Driver, name);
};

EstimateBook::EstimateBook(QString path)
    : path_(std::move(path))
    , connection_(std::make_unique<Connection>())
{}

EstimateBook::~EstimateBook()
{
    const QString name = connection_->name;
    connection_.reset();
    QSqlDatabase::removeDatabase(name);
}

QString EstimateBook::pathBeside(const QString& priceListPath)
{
    return QFileInfo(priceListPath).absoluteDir().filePath(QStringLiteral("Estimates.db"));
}

namespace {

enum class Creation { Made, There, Failed };

// The first save: a new file holding the book's tables and the record,
// written beside the file's place and linked into it whole, so that the file
// appears with its first estimate or not at all. There when another program
// made the file meanwhile: the record is then saved in that file.
Creation create(const QString& path, EstimateRecord& record, QString* problem)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString cannotMake =
        QStringLiteral("The estimates file cannot be made in the folder %1: this user may not "
                       "write in it, or it cannot be made. Let this user write in that folder, or "
                       "keep the estimates file in another one.")
            .arg(folder);
    if (!QDir().mkpath(folder)) {
        *problem = cannotMake;
        return Creation::Failed;
    }
    const QString temporary =
        QStringLiteral("%1/.%2.new-%3").arg(folder, info.fileName()).arg(::getpid());
    QFile::remove(temporary);
    const QDateTime time = now();
    qint64 number = 0;
    QSqlError error;
    const QString name = nextConnectionName("create");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(Driver, name);
        db.setDatabaseName(temporary);
        bool ok = db.open();
        if (!ok)
            error = db.lastError();
        ok = ok && run(db, QStringLiteral("Begin"), &error) && upgrade(db, 0, &error);
        ok = ok && (number = insert(db, record, time, &error)) > 0;
        ok = ok && run(db, QStringLiteral("Commit"), &error);
        db.close();
        if (!ok)
            number = 0;
    }
    QSqlDatabase::removeDatabase(name);
    Creation result = Creation::Failed;
    if (number == 0) {
        *problem = SqliteCannotOpen(error) ? cannotMake : errorWords(path, error, true);
    } else if (::link(QFile::encodeName(temporary).constData(),
                      QFile::encodeName(path).constData()) == 0) {
        result = Creation::Made;
    } else if (errno == EEXIST) {
        result = Creation::There;
    } else if (!QFileInfo::exists(path) && ::rename(QFile::encodeName(temporary).constData(),
                                                    QFile::encodeName(path).constData()) == 0) {
        result = Creation::Made; // a file system without hard links
    } else {
        *problem = QStringLiteral("The estimates file could not be made at %1 (%2).")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    QFile::remove(temporary);
    QFile::remove(temporary + QStringLiteral("-journal"));
    if (result == Creation::Made) {
        syncFolder(folder);
        record.number = number;
        record.created = time;
        record.updated = time;
        record.revision = 1;
    }
    return result;
}

} // namespace

BookResult EstimateBook::save(EstimateRecord& record)
{
    BookResult result;
    const QString what = QStringLiteral("The estimate was not saved");
    if (record.customer.trimmed().isEmpty()) {
        result.problem = QStringLiteral("%1: it needs the customer's name (blanks alone are not a "
                                        "name). Type the name, then save again.")
                             .arg(what);
        return result;
    }
    const QFileInfo info(path_);
    if (info.exists() && !info.isFile()) {
        result.problem = QStringLiteral("%1: %2 is not a file that estimates can be kept in. Keep "
                                        "the estimates file somewhere else.")
                             .arg(what, path_);
        return result;
    }
    if (!info.exists()) {
        if (record.number != 0) {
            result.problem = QStringLiteral("%1: estimate %2 cannot be changed, because there is "
                                            "no estimates file at %3 (moved or deleted since the "
                                            "estimate was opened).")
                                 .arg(what)
                                 .arg(record.number)
                                 .arg(path_);
            return result;
        }
        QString problem;
        switch (create(path_, record, &problem)) {
        case Creation::Made:
            result.done = true;
            return result;
        case Creation::Failed:
            result.problem = QStringLiteral("%1. %2").arg(what, problem);
            return result;
        case Creation::There:
            break;
        }
    }

    Session session(connection_->db, path_);
    QString problem;
    if (!session.start(true, path_, &problem)) {
        result.problem = QStringLiteral("%1. %2").arg(what, problem);
        return result;
    }
    const QDateTime time = now();
    QSqlError error;
    qint64 number = record.number;
    if (number == 0) {
        number = insert(connection_->db, record, time, &error);
    } else {
        QSqlQuery update(connection_->db);
        update.prepare(QStringLiteral(
            "Update Estimates Set Updated = ?, Customer = ?, Phone = ?, Note = ?, Species = ?, "
            "LiveWeight = ?, QuoteTotal = ?, FinalTotal = ?, QuoteState = ?, FinalState = ?, "
            "CustomerKey = ?, PhoneKey = ?, PhoneDigits = ?, Revision = Revision + 1 "
            "Where Number = ? And Revision = ?"));
        update.addBindValue(timeText(time));
        bindContent(update, record);
        update.addBindValue(record.number);
        update.addBindValue(record.revision);
        if (!update.exec()) {
            error = update.lastError();
            number = 0;
        } else if (update.numRowsAffected() != 1) {
            update.finish();
            QSqlQuery there(connection_->db);
            there.prepare(QStringLiteral("Select 1 From Estimates Where Number = ?"));
            there.addBindValue(record.number);
            const bool stillThere = there.exec() && there.next();
            there.finish();
            session.end(false);
            result.problem =
                stillThere
                    ? QStringLiteral("%1: estimate %2 was changed since it was opened (in another "
                                     "window or at another counter), and this save would undo "
                                     "that change. Open the estimate again and make the changes "
                                     "there; this one stays on the screen to be printed.")
                          .arg(what)
                          .arg(record.number)
                    : QStringLiteral("%1: estimate %2 was deleted since it was opened. Start a "
                                     "new estimate to save it again.")
                          .arg(what)
                          .arg(record.number);
            return result;
        }
    }
    if (number == 0 || !session.end(true, &error)) {
        session.end(false);
        result.problem = QStringLiteral("%1. %2").arg(what, errorWords(path_, error, true));
        return result;
    }
    if (record.number == 0) {
        record.number = number;
        record.created = time;
        record.revision = 1;
    } else {
        ++record.revision;
    }
    record.updated = time;
    result.done = true;
    return result;
}

QList<EstimateListing> EstimateBook::list(const QString& search, QString* problem, int limit)
{
    QList<EstimateListing> listings;
    QString why;
    if (problem)
        problem->clear();
    const QString what = QStringLiteral("The saved estimates could not be read");
    const QFileInfo info(path_);
    if (!info.exists())
        return listings;
    Session session(connection_->db, path_);
    bool empty = false;
    if (session.start(false, path_, &why, &empty) && !empty) {
        const QString wanted = search.trimmed();
        QString statement =
            QStringLiteral("Select Number, Created, Customer, Phone, Species, LiveWeight, "
                           "QuoteTotal, FinalTotal From Estimates");
        QVariantList values;
        if (!wanted.isEmpty()) {
            QStringList holds{QStringLiteral("instr(CustomerKey, ?) > 0"),
                              QStringLiteral("instr(PhoneKey, ?) > 0")};
            values << searchKey(wanted) << searchKey(wanted);
            if (looksLikePhone(wanted)) {
                holds << QStringLiteral("instr(PhoneDigits, ?) > 0");
                values << digitsOf(wanted);
            }
            if (digitsOf(wanted) == wanted) {
                holds << QStringLiteral("substr(Number, 1, ?) = ?");
                values << wanted.size() << wanted;
            }
            statement += QStringLiteral(" Where ") + holds.join(QStringLiteral(" Or "));
        }
        statement += QStringLiteral(" Order By Number Desc");
        if (limit >= 0) {
            statement += QStringLiteral(" Limit ?");
            values << limit;
        }
        QSqlQuery query(connection_->db);
        query.setForwardOnly(true);
        query.prepare(statement);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (query.exec()) {
            while (query.next())
                listings.append({query.value(0).toLongLong(), timeFrom(query.value(1)),
                                 query.value(2).toString(), query.value(3).toString(),
                                 query.value(4).toString(), query.value(5).toString(),
                                 query.value(6).toString(), query.value(7).toString()});
        }
        if (query.lastError().isValid()) {
            listings.clear();
            why = errorWords(path_, query.lastError(), false);
        }
        query.finish();
        session.end(true);
    }
    if (!why.isEmpty() && problem)
        *problem = QStringLiteral("%1. %2").arg(what, why);
    return listings;
}

std::optional<EstimateRecord> EstimateBook::open(qint64 number, QString* problem)
{
    std::optional<EstimateRecord> found;
    QString why;
    if (problem)
        problem->clear();
    const QFileInfo info(path_);
    if (!info.exists())
        return found;
    Session session(connection_->db, path_);
    bool empty = false;
    if (session.start(false, path_, &why, &empty) && !empty) {
        QSqlQuery query(connection_->db);
        query.setForwardOnly(true);
        query.prepare(
            QStringLiteral("Select %1 From Estimates Where Number = ?").arg(RecordColumns));
        query.addBindValue(number);
        if (query.exec() && query.next()) {
            EstimateRecord record;
            record.number = query.value(0).toLongLong();
            record.created = timeFrom(query.value(1));
            record.updated = timeFrom(query.value(2));
            record.customer = query.value(3).toString();
            record.phone = query.value(4).toString();
            record.note = query.value(5).toString();
            record.species = query.value(6).toString();
            record.liveWeight = query.value(7).toString();
            record.quoteTotal = query.value(8).toString();
            record.finalTotal = query.value(9).toString();
            record.quoteState = query.value(10).toString();
            record.finalState = query.value(11).toString();
            record.revision = query.value(12).toLongLong();
            found = record;
        }
        if (query.lastError().isValid()) {
            found.reset();
            why = errorWords(path_, query.lastError(), false);
        }
        query.finish();
        session.end(true);
    }
    if (!why.isEmpty() && problem)
        *problem = QStringLiteral("Estimate %1 could not be opened. %2").arg(number).arg(why);
    return found;
}

BookResult EstimateBook::remove(qint64 number)
{
    BookResult result;
    const QString what = QStringLiteral("Estimate %1 was not deleted").arg(number);
    const QString none =
        QStringLiteral("%1: there is no such estimate in %2 (deleted already?).").arg(what, path_);
    if (!QFileInfo::exists(path_)) {
        result.problem = none;
        return result;
    }
    Session session(connection_->db, path_);
    QString problem;
    if (!session.start(true, path_, &problem)) {
        result.problem = QStringLiteral("%1. %2").arg(what, problem);
        return result;
    }
    QSqlError error;
    int removed = -1;
    {
        QSqlQuery query(connection_->db);
        query.prepare(QStringLiteral("Delete From Estimates Where Number = ?"));
        query.addBindValue(number);
        if (query.exec())
            removed = query.numRowsAffected();
        else
            error = query.lastError();
    }
    if (removed == 0) {
        session.end(false);
        result.problem = none;
        return result;
    }
    if (removed < 0 || !session.end(true, &error)) {
        session.end(false);
        result.problem = QStringLiteral("%1. %2").arg(what, errorWords(path_, error, true));
        return result;
    }
    result.done = true;
    return result;
}
