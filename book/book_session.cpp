#include "book/book_store.h"
#include "store/database.h"
#include "store/dialect.h"

#include <QFile>
#include <QSqlQuery>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace BookStore {

namespace {

const SqliteFileWords BookWords{"the estimates file", "the estimates file", "an estimates file"};

// The part of the program's data that the book's tables are, where a server
// keeps their version.
const QString Part = QStringLiteral("estimates");

// Each step brings the tables from one version to the next; step 0 makes them
// in a new, empty store (%1: a key numbered by the database). A later
// version adds its step and never changes one.
//
// The Key columns hold the customer's name and phone in folded letter case
// and the phone's digits, for the search. The listing index holds every column
// that the list shows or searches, so the list reads the index alone and not
// the estimates themselves, which are large.
const QStringList Steps[] = {
    {QStringLiteral(
         "Create Table Estimates ("
         "Number %1, "
         "Created Text Not Null, Updated Text Not Null, "
         "Customer Text Not Null, Phone Text Not Null, Note Text Not Null, "
         "Species Text Not Null, LiveWeight Text Not Null, "
         "QuoteTotal Text Not Null, FinalTotal Text Not Null, "
         "QuoteState Text Not Null, FinalState Text Not Null, "
         "Revision Bigint Not Null, "
         "CustomerKey Text Not Null, PhoneKey Text Not Null, PhoneDigits Text Not Null)"),
     QStringLiteral("Create Index Estimates_Listing On Estimates (Number, CustomerKey, PhoneKey, "
                    "PhoneDigits, Created, Customer, Phone, Species, LiveWeight, QuoteTotal, "
                    "FinalTotal)")},
    // The key of each save, by which a save whose reply was lost is found.
    {QStringLiteral("Alter Table Estimates Add Column SaveKey Text"),
     QStringLiteral("Create Unique Index Estimates_SaveKey On Estimates (SaveKey)")},
    // The figures kept beside the states, for the report on the quotes and the
    // shares of an animal; Figured is 0 for the records saved before them,
    // until they are filled in. The report reads its index alone.
    {QStringLiteral("Alter Table Estimates Add Column AnimalTag Text Not Null Default ''"),
     QStringLiteral("Alter Table Estimates Add Column SharePart Text Not Null Default ''"),
     QStringLiteral("Alter Table Estimates Add Column QuoteCents Bigint"),
     QStringLiteral("Alter Table Estimates Add Column FinalCents Bigint"),
     QStringLiteral("Alter Table Estimates Add Column LivePounds Numeric"),
     QStringLiteral("Alter Table Estimates Add Column WeighedHanging Numeric"),
     QStringLiteral("Alter Table Estimates Add Column QuoteServices Integer Not Null Default 0"),
     QStringLiteral("Alter Table Estimates Add Column FinalServices Integer Not Null Default 0"),
     QStringLiteral("Alter Table Estimates Add Column LikelyLow Bigint"),
     QStringLiteral("Alter Table Estimates Add Column LikelyHigh Bigint"),
     QStringLiteral("Alter Table Estimates Add Column Figured Integer Not Null Default 0"),
     QStringLiteral("Create Index Estimates_Report On Estimates (Created, Species, Figured, "
                    "FinalCents, QuoteCents, LivePounds, WeighedHanging, QuoteServices, "
                    "FinalServices)"),
     QStringLiteral("Create Index Estimates_Animal On Estimates (AnimalTag, Number)")},
    // The hunter's tag or licence number of a deer; the note's beginning as
    // the list shows it, and that and the tag in folded letter case for the
    // search (the step folds the notes kept before it as the database can, a
    // save as the program does). The list shows and searches them from its
    // index alone, which stays small whatever a note holds.
    {QStringLiteral("Alter Table Estimates Add Column Hunter Text Not Null Default ''"),
     QStringLiteral("Alter Table Estimates Add Column NoteLine Text Not Null Default ''"),
     QStringLiteral("Alter Table Estimates Add Column NoteKey Text Not Null Default ''"),
     QStringLiteral("Update Estimates Set NoteLine = substr(Note, 1, 120), "
                    "NoteKey = lower(substr(Note, 1, 120))"),
     QStringLiteral("Drop Index If Exists Estimates_Listing"),
     QStringLiteral("Create Index Estimates_List On Estimates (Number, Created, CustomerKey, "
                    "PhoneKey, PhoneDigits, NoteKey, Customer, Phone, NoteLine, Hunter, Species, "
                    "LiveWeight, QuoteTotal, FinalTotal, LikelyLow, LikelyHigh)")},
    // The animal's tag of a share as the list shows it (a share taken off
    // its animal says so), searched with the note; the report counts an
    // animal sold in shares once, by its tag, from its index alone.
    {QStringLiteral("Alter Table Estimates Add Column TagLine Text Not Null Default ''"),
     QStringLiteral("Update Estimates Set TagLine = AnimalTag"),
     QStringLiteral("Update Estimates Set NoteKey = NoteKey || '\n' || lower(TagLine) "
                    "Where TagLine <> ''"),
     QStringLiteral("Drop Index If Exists Estimates_List"),
     QStringLiteral("Create Index Estimates_List On Estimates (Number, Created, CustomerKey, "
                    "PhoneKey, PhoneDigits, NoteKey, Customer, Phone, NoteLine, Hunter, TagLine, "
                    "Species, LiveWeight, QuoteTotal, FinalTotal, LikelyLow, LikelyHigh)"),
     QStringLiteral("Drop Index If Exists Estimates_Report"),
     QStringLiteral("Create Index Estimates_Report On Estimates (Created, Species, Figured, "
                    "FinalCents, QuoteCents, LivePounds, WeighedHanging, QuoteServices, "
                    "FinalServices, AnimalTag)")},
    // Kill days booked ahead. Dates are kept as days (yyyy-MM-dd), with no
    // time of day; Cut is the kill day and the hanging days after it. The
    // bookings that touch a day are read from the indexes: killed at most
    // the longest hanging before it, or dropped off on it.
    // Payments are lines of their own kind, cents, day and method.
    {QStringLiteral("Create Table Bookings ("
                    "Number %1, "
                    "Created Text Not Null, Updated Text Not Null, "
                    "Customer Text Not Null, Phone Text Not Null, Species Text Not Null, "
                    "Animals Integer Not Null, LiveWeight Text Not Null, Tag Text Not Null, "
                    "DropOff Text Not Null, Kill Text Not Null, HangingDays Integer Not Null, "
                    "Cut Text Not Null, State Text Not Null, CancelReason Text Not Null, "
                    "Deposit Text Not Null, HangingWeighed Text Not Null, "
                    "OverCapacity Integer Not Null, Estimates Text Not Null, "
                    "Payments Text Not Null, ReadyDay Text Not Null, Revision Bigint Not Null, "
                    "SaveKey Text)"),
     QStringLiteral("Create Index Bookings_Kill On Bookings (Kill, Cut)"),
     QStringLiteral("Create Index Bookings_DropOff On Bookings (DropOff)"),
     QStringLiteral("Create Index Bookings_Hanging On Bookings (HangingDays)"),
     QStringLiteral("Create Index Bookings_State On Bookings (State, Cut)"),
     QStringLiteral("Create Unique Index Bookings_SaveKey On Bookings (SaveKey)")},
    // The storage charged when an order is picked up late (its days, cents
    // and who waived it); payments name the estimate they pay.
    {QStringLiteral("Alter Table Bookings Add Column Storage Text Not Null Default ''")},
    // The packaged weight recorded at pickup.
    {QStringLiteral("Alter Table Bookings Add Column Packaged Text Not Null Default ''")},
    // The cut sheet and the count of changes recorded on it, by which a
    // sheet is locked once its carcass is cut (see SheetGuard).
    {QStringLiteral("Alter Table Estimates Add Column CutSheet Text Not Null Default ''"),
     QStringLiteral("Alter Table Estimates Add Column SheetChanges Integer Not Null Default 0")},
};
static_assert(std::size(Steps) == EstimateBook::SchemaVersion, "one step for each version");

// Every change to the book on a server waits for the others' to end, so
// that tables are made once and numbers are given in the order of the saves.
const QString WaitForOtherSaves = QStringLiteral("Select pg_advisory_xact_lock(7362201)");

QString NewerWords(const StoreLocation& where, int version)
{
    return QStringLiteral("%1 was made by a newer version of Locker Estimate (its tables are "
                          "version %2; this version knows up to %3), so this version neither "
                          "reads nor changes it. Use the newer version with it.")
        .arg(where.isServer()
                 ? QStringLiteral("The book of saved estimates in the %1").arg(where.described())
                 : QStringLiteral("The estimates file %1").arg(where.text()))
        .arg(version)
        .arg(EstimateBook::SchemaVersion);
}

// What the store holds.
struct Shape {
    enum Kind {
        Empty,   // no tables yet
        Older,   // the book's tables, of an earlier version
        Current, // the book's tables, of this version
        Newer,   // made by a newer program
        Foreign, // not the book's tables
        Failed,  // could not be read: `error` says why
    };
    Kind kind = Failed;
    int version = 0;
    QSqlError error;
};

Shape examine(QSqlDatabase& db)
{
    const Dialect& dialect = Dialect::Of(db);
    Shape shape;
    shape.version = dialect.version(db, Part, &shape.error);
    if (shape.version < 0)
        return shape;
    if (shape.version > EstimateBook::SchemaVersion) {
        shape.kind = Shape::Newer;
        return shape;
    }
    if (shape.version == 0) {
        const std::optional<bool> holds =
            dialect.holdsTables(db, QStringLiteral("Estimates"), &shape.error);
        if (holds)
            shape.kind = *holds ? Shape::Foreign : Shape::Empty;
        return shape;
    }
    // Of this version, every column that is read must be there; of an
    // earlier one at least the table, which its steps bring up (where the
    // version alone does not tell it).
    const bool current = shape.version == EstimateBook::SchemaVersion;
    QSqlQuery query(db);
    if (!dialect.versionTellsTables() &&
        !query.exec(current ? QStringLiteral("Select %1 From Estimates Limit 0").arg(RecordColumns)
                            : QStringLiteral("Select 1 From Estimates Limit 0"))) {
        shape.error = query.lastError();
        const StoreKind kind = dialect.kind(shape.error);
        if (kind == StoreKind::Failed || kind == StoreKind::Missing)
            shape.kind = Shape::Foreign;
        return shape;
    }
    shape.kind = current ? Shape::Current : Shape::Older;
    return shape;
}

bool upgrade(QSqlDatabase& db, int from, QSqlError* error)
{
    const Dialect& dialect = Dialect::Of(db);
    for (int version = from; version < EstimateBook::SchemaVersion; ++version)
        for (const QString& statement : Steps[version])
            if (!RunStatement(db,
                              statement.contains(QLatin1String("%1"))
                                  ? statement.arg(dialect.numberedKey())
                                  : statement,
                              error))
                return false;
    return dialect.setVersion(db, Part, EstimateBook::SchemaVersion, error) &&
           (dialect.isServer() ? InstallServerSave(db, error)
                               : RunStatement(db, SqliteSheetGuard, error));
}

} // namespace

void ToWriteAheadLog(QSqlDatabase& db)
{
    QSqlError ignored;
    RunStatement(db, QStringLiteral("Pragma journal_mode = WAL"), &ignored);
}

bool MakeTables(QSqlDatabase& db, QSqlError* error)
{
    return upgrade(db, 0, error);
}

QString DamagedWords(const StoreLocation& where)
{
    if (where.isServer())
        return QStringLiteral("The %1 holds a table Estimates that this program did not make, "
                              "so no estimate is kept in it or read from it; it was left as it "
                              "is. Its owner may rename or remove that table.")
            .arg(where.described());
    return QStringLiteral("The estimates file %1 is damaged or not an estimates file, so no "
                          "estimate can be kept in it or read from it; it was left as it is. "
                          "Move it to another folder (the next save then starts a new estimates "
                          "file there), or put back a copy of it kept earlier.")
        .arg(where.text());
}

QString ErrorWords(const StoreLocation& where, const QSqlError& error, bool changing)
{
    const Dialect& dialect = where.isServer() ? Dialect::Server() : Dialect::Sqlite();
    if (!where.isServer() && dialect.kind(error) == StoreKind::Damaged)
        return QStringLiteral("%1 (%2)").arg(DamagedWords(where), SqliteErrorDetail(error));
    return dialect.reason(error, where.isServer() ? where.described() : where.text(), BookWords,
                          changing);
}

void BookFile::closeWhenReplaced(QSqlDatabase& db, bool change)
{
    if (!db.isOpen())
        return;
    // A file that was read-only when it was opened was opened for reading
    // only: opened again for a change.
    if (change && !writable_) {
        db.close();
        return;
    }
    const FileWatch::Look look = watch_.look();
    if (look == FileWatch::Look::Replaced || look == FileWatch::Look::Gone)
        db.close(); // no statement runs now
}

void BookFile::opened(const StoreLocation& where)
{
    watch_.start(where.text());
    writable_ = ::access(QFile::encodeName(where.text()).constData(), W_OK) == 0;
}

bool BookFile::sound(QSqlDatabase& db, const StoreLocation& where, QString* problem)
{
    struct stat info;
    if (::stat(QFile::encodeName(where.text()).constData(), &info) != 0)
        return true; // not there: the use tells it
    if (checked_ && info.st_dev == device_ && info.st_ino == inode_) {
        if (!damaged_)
            return true;
        *problem = DamagedWords(where);
        return false;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ok = query.exec(QStringLiteral("Pragma quick_check(1)")) && query.next();
    const QSqlError error = query.lastError();
    if (!ok && Dialect::Sqlite().kind(error) != StoreKind::Damaged)
        return true; // locked, or another failure: told by the use itself
    ok = ok && query.value(0).toString() == QLatin1String("ok");
    query.finish();
    checked_ = true;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    damaged_ = !ok;
    if (ok)
        return true;
    *problem = DamagedWords(where);
    return false;
}

Session::Session(QSqlDatabase& db, BookFile* file)
    : db_(db)
    , server_(Dialect::Of(db).isServer())
    , file_(file)
{}

Session::~Session()
{
    // A server that did not answer within the limit is out of reach: the
    // next uses ask it nothing until a probe finds it answering.
    if (ServerLink* link = this->link(); link && watch_ && watch_->cut() && !answeredElsewhere_)
        link->markOutOfReach();
    watch_.reset(); // before the connection may close
    if (db_.isOpen() && failed_)
        db_.close();
}

ServerLink* Session::link() const
{
    return server_ && file_ ? file_->link.get() : nullptr;
}

namespace {} // namespace

bool Session::start(bool change, const StoreLocation& where, QString* problem, bool* empty,
                    bool alone)
{
    if (file_ && !server_)
        file_->closeWhenReplaced(db_, change);
    ServerLink* link = this->link();
    if (link && !link->mayConnect()) {
        *problem = OutOfReachWords(where.described());
        return false;
    }
    // A connection that the server closed (it restarted) is made again now.
    if (link && db_.isOpen() && link->foundBroken())
        db_.close();
    const bool wasOpen = db_.isOpen();
    if (file_ && !wasOpen)
        file_->prepared.clear(); // gone with the connection that prepared them
    if (!db_.isValid() || !(wasOpen || db_.open())) {
        *problem = db_.isValid() ? ErrorWords(where, db_.lastError(), false)
                                 : Database::DriverMissingWords();
        if (link && db_.isValid() &&
            Dialect::Server().kind(db_.lastError()) == StoreKind::Unreachable)
            link->markOutOfReach();
        failed_ = true;
        return false;
    }
    if (file_ && !wasOpen) {
        file_->current = false;
        if (link)
            link->markConnected();
    }
    if (server_ && file_)
        watch_.emplace(db_);
    if (server_ && !wasOpen)
        listen();
    // A look at tables already found of this version asks its question
    // alone, and a save on a server is one statement that checks the
    // version itself: one statement needs no transaction of its own.
    if (server_ && file_ && (alone || (!change && file_->current))) {
        changing_ = false;
        return true;
    }
    if (!server_) {
        if (file_ && !wasOpen)
            file_->opened(where);
        if (change && !mayChange(where, problem))
            return false;
        // A look at the book (the clerk's search, at every key) waits only a
        // moment for another program that holds the file locked, and tells
        // it; a change waits a while, as SQLite's busy timeout says.
        QSqlError ignored;
        RunStatement(db_, QStringLiteral("Pragma busy_timeout = %1").arg(change ? 2000 : 100),
                     &ignored);
        if (file_ && !file_->sound(db_, where, problem))
            return false;
    }
    if (begin(change, where, problem, empty))
        return true;
    // A server's connection found broken (the server restarted, the network
    // came back): made again at once, and tried once more. One that did not
    // answer within the limit is not waited for again.
    if (server_ && !(watch_ && watch_->cut())) {
        watch_.reset();
        db_.close();
        if (file_) {
            file_->prepared.clear();
            file_->current = false;
        }
        if (db_.open() && file_)
            watch_.emplace(db_);
        if (db_.isOpen())
            listen();
        if (!db_.isOpen())
            *problem = ErrorWords(where, db_.lastError(), change);
        else if (begin(change, where, problem, empty))
            return true;
    }
    failed_ = true;
    return false;
}

void Session::listen()
{
    // Every counter hears of the others' changes to the book (see end()).
    QSqlError ignored;
    RunStatement(db_, QStringLiteral("Listen %1").arg(ChangesChannel), &ignored);
}

bool Session::begin(bool change, const StoreLocation& where, QString* problem, bool* empty)
{
    changing_ = change;
    QSqlError error;
    // A change takes the write lock at once: a file's (Begin Immediate), or
    // on a server the book's own, which every change to the book takes.
    const bool begun =
        RunStatement(db_,
                     change ? Dialect::Of(db_).statement(QStringLiteral("Begin Immediate"))
                            : QStringLiteral("Begin"),
                     &error) &&
        (!change || !server_ || RunStatement(db_, WaitForOtherSaves, &error));
    if (!begun) {
        *problem = ErrorWords(where, error, change);
        return false;
    }
    began_ = true;
    const Shape shape = examine(db_);
    switch (shape.kind) {
    case Shape::Current:
        if (file_ && server_)
            file_->current = true;
        return true;
    case Shape::Empty:
        if (!change) {
            end(false);
            *empty = true;
            return true;
        }
        [[fallthrough]];
    case Shape::Older:
        if (!change) {
            // Read it as this version reads: brought up first.
            end(false);
            return begin(true, where, problem, empty);
        }
        if (upgrade(db_, shape.version, &error))
            return true;
        *problem = ErrorWords(where, error, true);
        break;
    case Shape::Newer:
        *problem = NewerWords(where, shape.version);
        break;
    case Shape::Foreign:
        *problem = DamagedWords(where);
        break;
    case Shape::Failed:
        *problem = ErrorWords(where, shape.error, change);
        break;
    }
    end(false);
    return false;
}

bool Session::mayChange(const StoreLocation& where, QString* problem)
{
    // A file made read-only is not written to: in WAL mode the change would
    // go to the log beside it and never reach the file. A folder that may
    // not be written takes no journal or log.
    *problem = SqliteUnwritableReason(where.text(), BookWords, true);
    if (problem->isEmpty())
        return true;
    failed_ = true; // opened again at the next use
    return false;
}

bool Session::end(bool commit, QSqlError* error)
{
    // A look that asked its one question began no transaction.
    if (!began_)
        return true;
    began_ = false;
    QSqlError ignored;
    // A change on a server is told to every counter when it is committed.
    if (commit && server_ && changing_)
        RunStatement(db_, QStringLiteral("Notify %1").arg(ChangesChannel), &ignored);
    if (commit && RunStatement(db_, QStringLiteral("Commit"), error ? error : &ignored)) {
        // The program's own book is kept in WAL mode: a look at it is never
        // held up by another program writing to it. A file of an earlier
        // version is put in it after its next change; a file only read (a
        // backup looked at) keeps every byte as it was.
        if (!server_ && changing_)
            ToWriteAheadLog(db_);
        return true;
    }
    if (commit)
        failed_ = true; // on a server, the connection may be gone: made again next time
    RunStatement(db_, QStringLiteral("Rollback"), &ignored);
    return !commit;
}

} // namespace BookStore
