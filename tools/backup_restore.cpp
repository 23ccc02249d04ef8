#include "tools/backup_restore.h"

#include "book/book_store.h"
#include "book/estimate_book.h"
#include "pricelist/price_history.h"
#include "pricelist/sample_price_list.h"
#include "store/database.h"
#include "store/dialect.h"
#include "store/store_location.h"
#include "tools/server_setup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace BackupRestore {

const QString PricesFile = QStringLiteral("Lockers.db");
const QString BookFile = QStringLiteral("Estimates.db");
const QString ManifestFile = QStringLiteral("Backup.txt");

qint64 Manifest::rowsOf(const QString& table) const
{
    for (const auto& [name, count] : rows)
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return count;
    return -1;
}

namespace {

// Which store keeps a table: the price list's (Lockers.db), or the book's
// (the Estimates.db beside it). On a server, both are one database.
enum class Part { Prices, Book };

struct Carried {
    QString name;
    Part part;
    bool required; // every backup holds it; the others when the store has them
};

// The tables that a backup carries: the one place that names them. A restore
// fills them in this order, so a table that a trigger on the server fills
// from an earlier one (the history of the prices, from Charges1) comes after
// it, and the backup's rows take the place of what the trigger wrote. They
// are copied by their columns, so a table of the price list that is added
// later is one more line here.
const QList<Carried>& CarriedTables()
{
    static const QList<Carried> tables = {
        {QStringLiteral("Charges1"), Part::Prices, true},
        {QStringLiteral("PriceHistory"), Part::Prices, false},
        {QStringLiteral("ShopDetails"), Part::Prices, false},
        {QStringLiteral("Estimates"), Part::Book, true},
    };
    return tables;
}

// The part of the data that the book's tables are, under which a server
// keeps their version (as the book names it).
const QString BookPart = QStringLiteral("estimates");

// The first line of a manifest, and the words before each of its values.
const QString Title = QStringLiteral("Locker Estimate backup");
const QString MadeKey = QStringLiteral("Made");
const QString FromKey = QStringLiteral("From");
const QString ProgramKey = QStringLiteral("Program");
const QString BookVersionKey = QStringLiteral("Book version");
const QString RowsKey = QStringLiteral("Rows of ");
const QString ChecksumKey = QStringLiteral("SHA-256 of ");
const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The name that a file has while it is written, until it is complete.
QString partial(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".%1.partial").arg(info.fileName()));
}

QString fileOf(Part part)
{
    return part == Part::Prices ? PricesFile : BookFile;
}

// The words that name an SQLite file in SQLite's reasons.
SqliteFileWords wordsFor(const QString& path)
{
    if (QFileInfo(path).fileName().contains(BookFile))
        return {"the estimates file", "the estimates file", "an estimates file"};
    return {};
}

// A store's failure in plain words: `where` is a file's path or a server's
// description.
QString failure(const QSqlDatabase& db, const QSqlError& error, const QString& where)
{
    return Dialect::Of(db).reason(error, where, wordsFor(where), false);
}

// A file's SHA-256, in hexadecimal; empty when it cannot be read.
QString checksum(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

// A connection of one piece of work's own, gone with it.
class Link {
public:
    Link() = default;
    ~Link() { close(); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // To the file of a store, which must be there.
    bool openStore(const QString& path)
    {
        where = path;
        db = Database::AddSqliteFile(name, path);
        return opened();
    }
    // To a backup's file, only to read it.
    bool openBackup(const QString& path)
    {
        where = path;
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        return opened();
    }
    // To a new file, made by opening it.
    bool openNew(const QString& path)
    {
        where = path;
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        return opened();
    }
    bool openServer(const QString& url)
    {
        where = Database::Described(url);
        return Database::OpenServer(db, name, url, &problem) == Database::ServerOpening::Opened;
    }
    void close()
    {
        if (!db.isValid())
            return;
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    // Runs the statement; false, with `problem` set, when it fails.
    bool run(const QString& statement, const QVariantList& values = {})
    {
        QSqlQuery query(db);
        if (!execute(query, statement, values))
            return failed(query.lastError());
        return true;
    }
    // The first value of the statement's answer; no value when it failed
    // (then `problem` says why), a null one when there is no row.
    std::optional<QVariant> ask(const QString& statement, const QVariantList& values = {})
    {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!execute(query, statement, values)) {
            failed(query.lastError());
            return std::nullopt;
        }
        return query.next() ? query.value(0) : QVariant();
    }

    QString name = Database::NextConnectionName("backup");
    QSqlDatabase db;
    QString where;
    QString problem;
    StoreKind kind = StoreKind::Done; // of the last failure

private:
    bool failed(const QSqlError& error)
    {
        problem = failure(db, error, where);
        kind = Dialect::Of(db).kind(error);
        return false;
    }
    // A statement with values is prepared; one without is run as it is (a
    // server prepares only reads and changes of rows, never Begin or Set).
    static bool execute(QSqlQuery& query, const QString& statement, const QVariantList& values)
    {
        if (values.isEmpty())
            return query.exec(statement);
        if (!query.prepare(statement))
            return false;
        for (const QVariant& value : values)
            query.addBindValue(value);
        return query.exec();
    }
    bool opened()
    {
        if (!db.isValid()) {
            problem = Database::DriverMissingWords();
            return false;
        }
        if (db.open())
            return true;
        return failed(db.lastError());
    }
};

// The columns of a table as the store declares them, in their order: names,
// and on a server the types; empty when the store has no such table. No
// value when they could not be read (then the link's problem says why).
struct Column {
    QString name;
    QString type;
};
std::optional<QList<Column>> columnsOf(Link& link, const QString& table)
{
    QSqlQuery query(link.db);
    const bool server = Dialect::Of(link.db).isServer();
    bool ok = false;
    if (server) {
        ok = query.prepare(QStringLiteral("Select column_name, data_type From "
                                          "information_schema.columns Where table_name = "
                                          "lower(?) And table_schema = current_schema() Order "
                                          "By ordinal_position"));
        query.addBindValue(table);
        ok = ok && query.exec();
    } else {
        // SQLite's table_info names the table in the statement itself; the
        // names here are the program's own.
        ok = query.exec(QStringLiteral("Pragma table_info(%1)").arg(table));
    }
    if (!ok) {
        link.problem = failure(link.db, query.lastError(), link.where);
        return std::nullopt;
    }
    QList<Column> columns;
    while (query.next())
        columns.append(server ? Column{query.value(0).toString(), query.value(1).toString()}
                              : Column{query.value(1).toString(), query.value(2).toString()});
    return columns;
}

bool hasColumn(const QList<Column>& columns, const QString& name)
{
    return std::any_of(columns.begin(), columns.end(), [&](const Column& column) {
        return column.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

// The column that is a row's number: the server's price list names it
// rowid, as the row number that SQLite keeps in a file is called.
const QString RowNumber = QStringLiteral("rowid");

// The columns that a copy of a table takes, by name (letter case aside): each
// of the source's, the row number included, which a file's table always
// has. A column of the source that the destination lacks stops the copy, as
// its values would be lost (the name in `missing`); one that only the
// destination has keeps its default, as when the table's version added it.
std::optional<QStringList> copiedColumns(const QList<Column>& source,
                                         const QList<Column>& destination, bool toFile,
                                         QString* missing)
{
    QStringList names;
    for (const Column& column : source) {
        const bool number = column.name.compare(RowNumber, Qt::CaseInsensitive) == 0;
        if (!hasColumn(destination, column.name) && !(number && toFile)) {
            *missing = column.name;
            return std::nullopt;
        }
        names << column.name;
    }
    // A file's row number goes to the server's column of that name.
    if (!toFile && hasColumn(destination, RowNumber) && !hasColumn(source, RowNumber))
        names << RowNumber;
    return names;
}

// Copies every row of `table` from one store to the other (whose table is
// empty), in the columns named, in the order of `order`; how many in
// `copied`. Texts are kept as the destination keeps them (never a NULL for
// an empty text). Empty when done, else the problem.
QString copyRows(Link& from, Link& to, const QString& table, const QStringList& columns,
                 const QString& order, qint64* copied)
{
    *copied = 0;
    QSqlQuery read(from.db);
    read.setForwardOnly(true);
    const QString list = columns.join(QStringLiteral(", "));
    if (!read.exec(QStringLiteral("Select %1 From %2%3")
                       .arg(list, table,
                            order.isEmpty() ? QString() : QStringLiteral(" Order By ") + order)))
        return failure(from.db, read.lastError(), from.where);
    QSqlQuery write(to.db);
    const QStringList marks(columns.size(), QStringLiteral("?"));
    if (!write.prepare(QStringLiteral("Insert Into %1 (%2) Values (%3)")
                           .arg(table, list, marks.join(QStringLiteral(", ")))))
        return failure(to.db, write.lastError(), to.where);
    const Dialect& dialect = Dialect::Of(to.db);
    while (read.next()) {
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant value = read.value(c);
            write.addBindValue(!value.isNull() && value.typeId() == QMetaType::QString
                                   ? dialect.text(value.toString())
                                   : value);
        }
        if (!write.exec())
            return QStringLiteral("Row %1 of %2 could not be written. %3")
                .arg(*copied + 1)
                .arg(table, failure(to.db, write.lastError(), to.where));
        ++*copied;
    }
    if (read.lastError().isValid())
        return failure(from.db, read.lastError(), from.where);
    return QString();
}

// The columns of a server's table that the database numbers itself, each with
// its sequence.
std::optional<QList<QPair<QString, QString>>> numberedColumns(Link& server, const QString& table,
                                                              const QList<Column>& columns)
{
    QList<QPair<QString, QString>> numbered;
    for (const Column& column : columns) {
        const std::optional<QVariant> sequence =
            server.ask(QStringLiteral("Select pg_get_serial_sequence(lower(?), lower(?))"),
                       {table, column.name});
        if (!sequence)
            return std::nullopt;
        if (!sequence->isNull())
            numbered.append({column.name, sequence->toString()});
    }
    return numbered;
}

// The highest number that a file's table (Autoincrement) has given, which a
// later row never gets again even when its row was removed; 0 for none.
std::optional<qint64> highestGiven(Link& file, const QString& table)
{
    const std::optional<QVariant> kept = file.ask(
        QStringLiteral("Select Count(*) From sqlite_master Where name = 'sqlite_sequence'"));
    if (!kept || kept->toLongLong() == 0)
        return kept ? std::optional<qint64>(0) : std::nullopt;
    const std::optional<QVariant> given = file.ask(
        QStringLiteral("Select seq From sqlite_sequence Where name = ? Collate NoCase"), {table});
    return given ? std::optional<qint64>(given->toLongLong()) : std::nullopt;
}

// The primary key of a server's table, by which its rows are read in order.
std::optional<QString> keyOrder(Link& server, const QString& table)
{
    QSqlQuery query(server.db);
    if (!query.prepare(QStringLiteral(
            "Select a.attname From pg_index i Join pg_attribute a On a.attrelid = i.indrelid And "
            "a.attnum = Any(i.indkey) Where i.indrelid = to_regclass(lower(?)) And "
            "i.indisprimary Order By a.attnum"))) {
        server.problem = failure(server.db, query.lastError(), server.where);
        return std::nullopt;
    }
    query.addBindValue(table);
    if (!query.exec()) {
        server.problem = failure(server.db, query.lastError(), server.where);
        return std::nullopt;
    }
    QStringList key;
    while (query.next())
        key << query.value(0).toString();
    return key.join(QStringLiteral(", "));
}

// The type that a file gives a column of a server's table that a counter's
// file does not have yet.
QString fileType(const QString& serverType)
{
    static const QStringList whole = {QStringLiteral("smallint"), QStringLiteral("integer"),
                                      QStringLiteral("bigint"), QStringLiteral("boolean")};
    if (whole.contains(serverType))
        return QStringLiteral("Integer");
    if (serverType == QLatin1String("numeric"))
        return QStringLiteral("Numeric");
    if (serverType == QLatin1String("double precision") || serverType == QLatin1String("real"))
        return QStringLiteral("Real");
    if (serverType == QLatin1String("bytea"))
        return QStringLiteral("Blob");
    return QStringLiteral("Text");
}

Outcome fail(StoreKind kind, const QString& problem)
{
    Outcome outcome;
    outcome.kind = kind;
    outcome.problem = problem;
    return outcome;
}

// A new book of saved estimates, holding none: its tables of this version.
QString makeEmptyBook(const QString& path)
{
    Link book;
    QSqlError error;
    if (!book.openNew(path))
        return book.problem;
    if (!book.run(QStringLiteral("Begin")))
        return book.problem;
    if (!BookStore::MakeTables(book.db, &error) ||
        !RunStatement(book.db, QStringLiteral("Commit"), &error))
        return failure(book.db, error, path);
    return QString();
}

// Copies the files of a counter: the price list at `path` into `prices` and
// the Estimates.db beside it (an empty book when there is none) into `book`.
Outcome readFiles(const QString& path, const QString& prices, const QString& book)
{
    const QString bookPath = EstimateBook::pathBeside(path);
    if (!QFileInfo(path).isFile())
        return fail(StoreKind::Missing,
                    QStringLiteral("There is no price list at %1, so there is nothing to back up.")
                        .arg(Database::Described(path)));
    const bool hasBook = QFileInfo::exists(bookPath);
    // Both files are read at one moment. One connection holds the write
    // locks of both (Begin Immediate with the book attached takes them
    // together) while SQLite copies each whole (VACUUM INTO, one read of
    // each), so neither the price list nor the book changes between the two
    // copies. Readers are never held up; a counter's save waits the moment
    // the copies take. A file that this user may not write gives no write
    // lock: its own users may not change it either, and a read transaction
    // on both then holds off the writers that it can.
    Link lock;
    if (!lock.openStore(path))
        return fail(StoreKind::Failed, lock.problem);
    if (hasBook && !lock.run(QStringLiteral("Attach Database ? As book"),
                             {QUrl::fromLocalFile(QFileInfo(bookPath).absoluteFilePath())
                                  .toString(QUrl::FullyEncoded) +
                              QStringLiteral("?mode=rw")}))
        return fail(StoreKind::Failed, lock.problem);
    QSqlError refused;
    if (!RunStatement(lock.db, QStringLiteral("Begin Immediate"), &refused)) {
        if (Dialect::Sqlite().kind(refused) != StoreKind::ReadOnly)
            return fail(Dialect::Sqlite().kind(refused), failure(lock.db, refused, path));
        if (!lock.run(QStringLiteral("Begin")) ||
            !lock.ask(QStringLiteral("Select Count(*) From sqlite_master")) ||
            (hasBook && !lock.ask(QStringLiteral("Select Count(*) From book.sqlite_master"))))
            return fail(StoreKind::Failed, lock.problem);
    }
    for (const auto& [from, to] : {std::pair{path, prices}, std::pair{bookPath, book}}) {
        if (from == bookPath && !hasBook)
            continue;
        Link copy;
        if (!copy.openStore(from) || !copy.run(QStringLiteral("Vacuum Into ?"), {to}))
            return fail(StoreKind::Failed, copy.problem);
    }
    lock.run(QStringLiteral("Rollback"));
    if (!hasBook) {
        const QString problem = makeEmptyBook(book);
        if (!problem.isEmpty())
            return fail(StoreKind::Failed, problem);
    }
    return Outcome();
}

// Copies the price list and the book of the server at `url` into the files
// `prices` and `book`, of the same tables as a counter's own.
Outcome readServer(const QString& url, const QString& prices, const QString& book)
{
    Link server;
    if (!server.openServer(url))
        return fail(StoreKind::Unreachable, server.problem);
    // A login that may read only what a counter needs (a clerk's) is told
    // to run the backup as the owner.
    const auto serverFailed = [&server](const QString& problem) {
        if (server.kind != StoreKind::PermissionDenied)
            return fail(StoreKind::Failed, problem);
        return fail(StoreKind::PermissionDenied,
                    QStringLiteral("This login may not read everything that a backup carries in "
                                   "the %1 (a clerk's login reads only what a counter needs). "
                                   "Run the backup as the shop's owner: the owner's login in "
                                   "the address (postgresql://OWNER@host/database).")
                        .arg(server.where));
    };
    // Every table is read in one snapshot of the server: the prices and the
    // estimates as they were at one moment, whatever the counters save
    // meanwhile. The owner's backup may read for longer than a clerk waits.
    if (!server.run(
            QStringLiteral("Begin Transaction Isolation Level Repeatable Read, Read Only")) ||
        !server.run(QStringLiteral("Set Local statement_timeout = 0")) ||
        !server.run(QStringLiteral("Set Local idle_in_transaction_session_timeout = 0")))
        return serverFailed(server.problem);
    const std::optional<QVariant> holds =
        server.ask(QStringLiteral("Select to_regclass('charges1') Is Not Null"));
    if (!holds)
        return serverFailed(server.problem);
    if (!holds->toBool())
        return fail(StoreKind::Missing,
                    QStringLiteral("The %1 holds no price list, so there is nothing to back up.")
                        .arg(server.where));
    // The book is copied at the version of its tables, which must be this
    // one's: an earlier book is brought up by a counter of this version (its
    // first save), never by copying, as a step may fill in what it adds.
    QSqlError error;
    const int version = Dialect::Server().version(server.db, BookPart, &error);
    const std::optional<QVariant> kept =
        server.ask(QStringLiteral("Select to_regclass('estimates') Is Not Null"));
    if (version < 0 || !kept)
        return fail(StoreKind::Failed,
                    version < 0 ? failure(server.db, error, server.where) : server.problem);
    if (kept->toBool() && version != EstimateBook::SchemaVersion)
        return fail(version > EstimateBook::SchemaVersion ? StoreKind::NewerVersion
                                                          : StoreKind::Refused,
                    QStringLiteral("The saved estimates in the %1 are kept in tables of version "
                                   "%2, and this version of Locker Estimate writes version %3: "
                                   "back them up with the price list tool of the counters' "
                                   "version%4.")
                        .arg(server.where)
                        .arg(version)
                        .arg(EstimateBook::SchemaVersion)
                        .arg(version < EstimateBook::SchemaVersion
                                 ? QStringLiteral(", or after a counter of this version has "
                                                  "saved an estimate there (its first save "
                                                  "brings the tables up to date)")
                                 : QString()));
    // The price list file as a new counter's is made, without its sample rows.
    if (const SaveResult made = CreateSamplePriceList(prices); !made.saved)
        return fail(StoreKind::Failed, made.problem);
    if (const QString problem = makeEmptyBook(book); !problem.isEmpty())
        return fail(StoreKind::Failed, problem);
    Link files[2];
    if (!files[0].openStore(prices) || !files[1].openStore(book))
        return fail(StoreKind::Failed, files[0].problem + files[1].problem);
    if (!files[0].run(QStringLiteral("Delete From Charges1")))
        return fail(StoreKind::Failed, files[0].problem);
    for (const Carried& table : CarriedTables()) {
        Link& file = files[table.part == Part::Prices ? 0 : 1];
        const std::optional<QList<Column>> there = columnsOf(server, table.name);
        if (!there)
            return serverFailed(server.problem);
        if (there->isEmpty())
            continue; // not on this server
        std::optional<QList<Column>> here = columnsOf(file, table.name);
        if (!here)
            return fail(StoreKind::Failed, file.problem);
        const std::optional<QString> order = keyOrder(server, table.name);
        const auto numbered = numberedColumns(server, table.name, *there);
        if (!order || !numbered)
            return serverFailed(server.problem);
        if (here->isEmpty()) {
            // A table that a counter's new file does not have yet: made with
            // the server's columns, its numbered key a file's numbered key.
            QStringList declared;
            for (const Column& column : *there) {
                const bool key = numbered->size() == 1 && numbered->first().first == column.name &&
                                 *order == column.name;
                if (column.name.compare(RowNumber, Qt::CaseInsensitive) != 0)
                    declared << QStringLiteral("%1 %2").arg(
                        column.name, key ? Dialect::Sqlite().numberedKey() : fileType(column.type));
            }
            if (!file.run(QStringLiteral("Create Table %1 (%2)")
                              .arg(table.name, declared.join(QStringLiteral(", ")))))
                return fail(StoreKind::Failed, file.problem);
            here = columnsOf(file, table.name);
            if (!here)
                return fail(StoreKind::Failed, file.problem);
        }
        QString missing;
        const std::optional<QStringList> columns = copiedColumns(*there, *here, true, &missing);
        if (!columns)
            return fail(StoreKind::NewerVersion,
                        QStringLiteral("The table %1 in the %2 has a column %3 that this version "
                                       "does not keep in a file; use the version that made it.")
                            .arg(table.name, server.where, missing));
        qint64 copied = 0;
        if (!file.run(QStringLiteral("Begin")))
            return fail(StoreKind::Failed, file.problem);
        if (const QString problem = copyRows(server, file, table.name, *columns, *order, &copied);
            !problem.isEmpty())
            return serverFailed(problem);
        // The numbers the server has given are never given again after a
        // restore, even those of rows removed since: a file keeps the
        // highest in sqlite_sequence.
        const std::optional<QVariant> autoincrement =
            file.ask(QStringLiteral("Select Count(*) From sqlite_master Where name = ? Collate "
                                    "NoCase And sql Like '%Autoincrement%'"),
                     {table.name});
        const std::optional<qint64> given = highestGiven(file, table.name);
        if (!autoincrement || !given)
            return fail(StoreKind::Failed, file.problem);
        for (const auto& [column, sequence] : *numbered) {
            const std::optional<QVariant> last = server.ask(
                QStringLiteral(
                    "Select Case When is_called Then last_value Else last_value - 1 End From %1")
                    .arg(sequence));
            if (!last)
                return serverFailed(server.problem);
            if (autoincrement->toLongLong() > 0 && last->toLongLong() > *given &&
                !(file.run(QStringLiteral("Delete From sqlite_sequence Where name = ? Collate "
                                          "NoCase"),
                           {table.name}) &&
                  file.run(QStringLiteral("Insert Into sqlite_sequence (name, seq) Values (?, ?)"),
                           {table.name, last->toLongLong()})))
                return fail(StoreKind::Failed, file.problem);
        }
        if (!file.run(QStringLiteral("Commit")))
            return fail(StoreKind::Failed, file.problem);
    }
    server.run(QStringLiteral("Rollback"));
    return Outcome();
}

// Makes a new backup file whole and sound: kept without a journal or log
// beside it, checked by SQLite, its book of a version this program knows;
// its tables' rows counted into the manifest.
QString seal(const QString& path, Part part, Manifest* manifest)
{
    Link file;
    if (!file.openStore(path))
        return file.problem;
    const std::optional<QVariant> mode = file.ask(QStringLiteral("Pragma journal_mode = Delete"));
    const std::optional<QVariant> sound = file.ask(QStringLiteral("Pragma integrity_check(1)"));
    if (!mode || !sound)
        return file.problem;
    const QString from = manifest->from;
    if (sound->toString() != QLatin1String("ok"))
        return QStringLiteral("%1 is damaged (SQLite's check: %2), so no backup was made of it.")
            .arg(from, sound->toString());
    if (part == Part::Book) {
        const std::optional<QVariant> version = file.ask(QStringLiteral("Pragma user_version"));
        const std::optional<QVariant> tables =
            file.ask(QStringLiteral("Select Count(*) From sqlite_master"));
        if (!version || !tables)
            return file.problem;
        manifest->bookVersion = version->toInt();
        // An estimates file that was made but never held an estimate.
        if (manifest->bookVersion == 0 && tables->toLongLong() == 0) {
            file.close();
            QFile::remove(path);
            const QString problem = makeEmptyBook(path);
            return problem.isEmpty() ? seal(path, part, manifest) : problem;
        }
        if (manifest->bookVersion > EstimateBook::SchemaVersion)
            return QStringLiteral("The saved estimates of %1 were made by a newer version of "
                                  "Locker Estimate (version %2 of the book; this version knows "
                                  "up to %3): back them up with that version.")
                .arg(from)
                .arg(manifest->bookVersion)
                .arg(EstimateBook::SchemaVersion);
    }
    for (const Carried& table : CarriedTables()) {
        if (table.part != part)
            continue;
        const std::optional<QList<Column>> columns = columnsOf(file, table.name);
        if (!columns)
            return file.problem;
        if (columns->isEmpty() && table.required)
            return QStringLiteral("%1 holds no table %2, so it is not Locker Estimate's and no "
                                  "backup was made of it.")
                .arg(part == Part::Prices ? from : QStringLiteral("The book of %1").arg(from),
                     table.name);
        if (columns->isEmpty())
            continue;
        const std::optional<QVariant> rows =
            file.ask(QStringLiteral("Select Count(*) From %1").arg(table.name));
        if (!rows)
            return file.problem;
        manifest->rows.append({table.name, rows->toLongLong()});
    }
    return QString();
}

// The manifest as written in Backup.txt.
QString manifestText(const Manifest& manifest)
{
    QStringList lines = {Title};
    lines << QStringLiteral("%1: %2").arg(MadeKey, manifest.made.toString(TimeFormat))
          << QStringLiteral("%1: %2").arg(FromKey, manifest.from)
          << QStringLiteral("%1: %2").arg(ProgramKey, manifest.program)
          << QStringLiteral("%1: %2").arg(BookVersionKey).arg(manifest.bookVersion);
    for (const auto& [table, rows] : manifest.rows)
        lines << QStringLiteral("%1%2: %3").arg(RowsKey, table).arg(rows);
    for (const auto& [file, sum] : manifest.checksums)
        lines << QStringLiteral("%1%2: %3").arg(ChecksumKey, file, sum);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The manifest read back; no value when the text is not one of this program.
std::optional<Manifest> readManifest(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.takeFirst().trimmed() != Title)
        return std::nullopt;
    Manifest manifest;
    bool versionRead = false;
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon < 0)
            return std::nullopt;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 2).trimmed();
        bool number = true;
        if (key == MadeKey)
            manifest.made = QDateTime::fromString(value, TimeFormat);
        else if (key == FromKey)
            manifest.from = value;
        else if (key == ProgramKey)
            manifest.program = value;
        else if (key == BookVersionKey)
            manifest.bookVersion = value.toInt(&versionRead);
        else if (key.startsWith(RowsKey))
            manifest.rows.append({key.mid(RowsKey.size()), value.toLongLong(&number)});
        else if (key.startsWith(ChecksumKey))
            manifest.checksums.append({key.mid(ChecksumKey.size()), value});
        if (!number)
            return std::nullopt;
    }
    if (!manifest.made.isValid() || !versionRead || manifest.program.isEmpty())
        return std::nullopt;
    return manifest;
}

// Where a restore keeps what it replaces: a new folder beside the price list
// file, or in the current folder for a server, named by the time.
QString keepingFolder(const StoreLocation& store)
{
    const QDir beside(store.isServer() ? QDir::currentPath()
                                       : QFileInfo(store.text()).absolutePath());
    const QString name =
        QStringLiteral("Before restore %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss")));
    QString path = beside.filePath(name);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = beside.filePath(QStringLiteral("%1 (%2)").arg(name).arg(n));
    return path;
}

// Copies a backup's file to `to`, flushed to the disk, and checks the copy
// against the manifest's checksum. Empty when done, else the problem.
QString copyFile(const QString& from, const QString& to, const QString& sum)
{
    QFile source(from);
    QFile target(to);
    target.remove();
    bool ok = source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly);
    while (ok && !source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        ok = !block.isEmpty() && target.write(block) == block.size();
    }
    ok = ok && target.flush() && ::fsync(target.handle()) == 0;
    target.close();
    if (ok && checksum(to) == sum)
        return QString();
    target.remove();
    return QStringLiteral("%1 could not be written (%2).")
        .arg(to, target.errorString().isEmpty() ? source.errorString() : target.errorString());
}

// A file in place, taken from every other program while it is replaced: out
// of WAL mode (its log and shared memory go, so that they are never read with
// the new file), then locked so that nobody reads or writes it meanwhile.
QString takeFile(Link& link, const QString& path)
{
    if (!QFileInfo::exists(path)) {
        // Left over from a file that is gone: never read with the new one.
        for (const char* end : {"-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(end));
        return QString();
    }
    const std::optional<QVariant> mode =
        link.openStore(path) ? link.ask(QStringLiteral("Pragma journal_mode = Delete"))
                             : std::nullopt;
    if (mode && mode->toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0 &&
        link.run(QStringLiteral("Begin Exclusive")))
        return QString();
    const QString open = QStringLiteral("%1 is open in another program (Locker Estimate, or the "
                                        "price list tool): close it and restore again.")
                             .arg(path);
    // A lock says no more than that; another failure says what it was.
    if (link.kind == StoreKind::Locked)
        return open;
    return QStringLiteral("%1 (%2)").arg(
        open, link.problem.isEmpty() ? QStringLiteral("it stayed in WAL mode") : link.problem);
}

// Numbers are never given again: the book put back at `restored` gives its
// next number above every one that the book it replaces (open in `replaced`)
// had given. Empty when done, else the problem.
QString numbersAbove(Link& replaced, const QString& restored)
{
    const std::optional<qint64> given = highestGiven(replaced, QStringLiteral("Estimates"));
    if (!given)
        return replaced.problem;
    return *given == 0 ? QString() : BookStore::NumbersAbove(restored, *given);
}

// Puts the backup's files in place of the price list file at `path` and the
// Estimates.db beside it.
Outcome restoreFiles(const QString& folder, const QString& path, const Manifest& manifest)
{
    const QString bookPath = EstimateBook::pathBeside(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(
            StoreKind::Failed,
            QStringLiteral("The folder %1 could not be made.").arg(QFileInfo(path).absolutePath()));
    const QDir backup(folder);
    const QString newPrices = partial(path);
    const QString newBook = partial(bookPath);
    const auto sumOf = [&](const QString& file) {
        for (const auto& [name, sum] : manifest.checksums)
            if (name == file)
                return sum;
        return QString();
    };
    QString problem = copyFile(backup.filePath(PricesFile), newPrices, sumOf(PricesFile));
    if (problem.isEmpty())
        problem = copyFile(backup.filePath(BookFile), newBook, sumOf(BookFile));
    if (problem.isEmpty() && QFileInfo::exists(path))
        problem = PriceHistory::KeepInRestoredFile(newPrices, path, manifest.made);
    Link oldBook, oldPrices;
    if (problem.isEmpty())
        problem = takeFile(oldBook, bookPath);
    if (problem.isEmpty())
        problem = takeFile(oldPrices, path);
    if (problem.isEmpty() && oldBook.db.isOpen())
        problem = numbersAbove(oldBook, newBook);
    if (!problem.isEmpty()) {
        QFile::remove(newPrices);
        QFile::remove(newBook);
        return fail(StoreKind::Locked, problem + QStringLiteral(" Nothing was restored."));
    }
    // Each file is replaced at once (a rename); the price list first.
    const auto rename = [](const QString& from, const QString& to) {
        return std::rename(QFile::encodeName(from).constData(),
                           QFile::encodeName(to).constData()) == 0;
    };
    if (!rename(newPrices, path)) {
        QFile::remove(newPrices);
        QFile::remove(newBook);
        return fail(StoreKind::Failed,
                    QStringLiteral("%1 could not be replaced. Nothing was restored.")
                        .arg(Database::Described(path)));
    }
    if (!rename(newBook, bookPath)) {
        QFile::remove(newBook);
        return fail(StoreKind::Failed,
                    QStringLiteral("The price list was put back, but not the saved estimates: %1 "
                                   "could not be replaced.")
                        .arg(Database::Described(bookPath)));
    }
    return Outcome();
}

// Brings the book in the file at `path` up to this version; empty when done,
// else the problem.
QString upgradedBook(const QString& path)
{
    Link book;
    if (!book.openStore(path))
        return book.problem;
    BookStore::Session session(book.db);
    QString problem;
    QSqlError error;
    if (!session.start(true, StoreLocation(path), &problem))
        return problem;
    if (!session.end(true, &error))
        return failure(book.db, error, path);
    return QString();
}

// Puts the backup's tables in place of the server's at `url`, in one
// transaction.
Outcome restoreServer(const QString& folder, const QString& url, const Manifest& manifest)
{
    const QDir backup(folder);
    // A book of an earlier version is brought up to this one first, by the
    // book's own steps, in a copy: the server's tables are of this version,
    // and a step may fill in what it adds from what was kept before.
    QTemporaryDir scratch;
    QString bookFile = backup.filePath(BookFile);
    if (manifest.bookVersion < EstimateBook::SchemaVersion) {
        const QString copy = scratch.filePath(BookFile);
        const QString problem =
            scratch.isValid() && QFile::copy(bookFile, copy) &&
                    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner)
                ? upgradedBook(copy)
                : QStringLiteral("The backup's saved estimates could not be copied to %1.")
                      .arg(scratch.path());
        if (!problem.isEmpty())
            return fail(StoreKind::Failed, problem + QStringLiteral(" Nothing was restored."));
        bookFile = copy;
    }
    Link files[2];
    if (!files[0].openBackup(backup.filePath(PricesFile)) || !files[1].openBackup(bookFile))
        return fail(StoreKind::Failed, files[0].problem + files[1].problem);
    Link server;
    if (!server.openServer(url))
        return fail(StoreKind::Unreachable, server.problem);
    // What every counter writes waits until the restore is done; what they
    // read is the old until it commits, then the new, which the triggers on
    // the tables tell them.
    if (!server.run(QStringLiteral("Begin")) ||
        !server.run(QStringLiteral("Set Local statement_timeout = 0")) ||
        !server.run(QStringLiteral("Set Local idle_in_transaction_session_timeout = 60000")))
        return fail(StoreKind::Failed, server.problem);
    const QString undone = QStringLiteral("Nothing was restored on the %1").arg(server.where);
    const auto refuse = [&](StoreKind kind, const QString& problem) {
        server.run(QStringLiteral("Rollback"));
        return fail(kind, QStringLiteral("%1. %2").arg(undone, problem));
    };
    QList<QPair<const Carried*, QList<Column>>> tables;
    // The numbers each sequence had given before the restore (a row that a
    // trigger adds while the rows are copied aside), which later rows stay
    // above.
    QHash<QString, qint64> givenBefore;
    for (const Carried& table : CarriedTables()) {
        const std::optional<QList<Column>> there = columnsOf(server, table.name);
        if (!there)
            return refuse(StoreKind::Failed, server.problem);
        if (!there->isEmpty() &&
            !server.run(QStringLiteral("Lock Table %1 In Exclusive Mode").arg(table.name)))
            return refuse(StoreKind::Locked, server.problem);
        const auto numbered = numberedColumns(server, table.name, *there);
        if (!numbered)
            return refuse(StoreKind::Failed, server.problem);
        for (const auto& [column, sequence] : *numbered) {
            const std::optional<QVariant> last =
                server.ask(QStringLiteral("Select last_value From %1").arg(sequence));
            if (!last)
                return refuse(StoreKind::Failed, server.problem);
            givenBefore.insert(sequence, last->toLongLong());
        }
        tables.append({&table, *there});
    }
    // The history keeps what came after the backup, and records the restore.
    {
        QSqlError error;
        const std::optional<QString> since =
            PriceHistory::LastRecorded(files[0].db, manifest.made, &error);
        if (!since)
            return refuse(StoreKind::Failed, failure(files[0].db, error, files[0].where));
        if (!PriceHistory::NoteBeforeRestore(server.db, QString(), *since, &error))
            return refuse(StoreKind::Failed, failure(server.db, error, server.where));
    }
    for (const auto& [table, there] : tables) {
        Link& file = files[table->part == Part::Prices ? 0 : 1];
        const std::optional<QList<Column>> here = columnsOf(file, table->name);
        if (!here)
            return refuse(StoreKind::Failed, file.problem);
        // A table the backup does not carry is left as it is.
        if (here->isEmpty())
            continue;
        if (there.isEmpty() && manifest.rowsOf(table->name) == 0)
            continue;
        if (there.isEmpty())
            return refuse(StoreKind::NewerVersion,
                          QStringLiteral("The backup holds rows of a table %1 that the server "
                                         "does not have: bring the server's tables up to this "
                                         "version first (init --database).")
                              .arg(table->name));
        QString missing;
        const std::optional<QStringList> columns = copiedColumns(*here, there, false, &missing);
        if (!columns)
            return refuse(StoreKind::NewerVersion,
                          QStringLiteral("The table %1 of the backup has a column %2 that the "
                                         "server's does not.")
                              .arg(table->name, missing));
        const auto numbered = numberedColumns(server, table->name, there);
        if (!numbered)
            return refuse(StoreKind::Failed, server.problem);
        qint64 copied = 0;
        if (!server.run(QStringLiteral("Delete From %1").arg(table->name)))
            return refuse(StoreKind::Failed, server.problem);
        if (const QString problem =
                copyRows(file, server, table->name, *columns, RowNumber, &copied);
            !problem.isEmpty())
            return refuse(StoreKind::Failed, problem);
        // Rows added later are numbered after the highest number ever
        // given: by the backup, or by the server before the restore (a
        // number given after the backup was made is never given again).
        const std::optional<qint64> given = highestGiven(file, table->name);
        if (!given)
            return refuse(StoreKind::Failed, file.problem);
        for (const auto& [column, sequence] : *numbered)
            if (!server.ask(QStringLiteral("Select setval('%1', Greatest(Coalesce(Max(%2), 0), ?, "
                                           "?) + 1, false) From %3")
                                .arg(sequence, column, table->name),
                            {*given, givenBefore.value(sequence)}))
                return refuse(StoreKind::Failed, server.problem);
    }
    {
        QSqlError error;
        if (!PriceHistory::RecordRestore(server.db, manifest.made, &error))
            return refuse(StoreKind::Failed, failure(server.db, error, server.where));
    }
    if (!server.run(QStringLiteral("Commit")))
        return refuse(StoreKind::Failed, server.problem);
    return Outcome();
}

} // namespace

Outcome Backup(const QString& store, const QString& folder, const QString& program)
{
    const QFileInfo info(folder);
    const QDir dir(folder);
    if (info.exists() && !info.isDir())
        return fail(
            StoreKind::Refused,
            QStringLiteral("%1 is a file: give the backup a folder of its own.").arg(folder));
    for (const QString& name : {PricesFile, BookFile, ManifestFile})
        if (QFileInfo::exists(dir.filePath(name)))
            return fail(StoreKind::Refused,
                        QStringLiteral("%1 holds a %2 already (a backup, or another file of that "
                                       "name), which was left as it is: give a new or empty "
                                       "folder.")
                            .arg(folder, name));
    const bool made = !info.exists();
    if (made && !QDir().mkpath(folder))
        return fail(StoreKind::Failed,
                    QStringLiteral("The folder %1 could not be made.").arg(folder));
    const StoreLocation location(store);
    Manifest manifest;
    manifest.made = QDateTime::currentDateTime();
    manifest.from = location.described();
    manifest.program = program;
    const QString prices = partial(dir.filePath(PricesFile));
    const QString book = partial(dir.filePath(BookFile));
    const auto clear = [&] {
        for (const QString& file : {prices, book, dir.filePath(PricesFile), dir.filePath(BookFile)})
            QFile::remove(file);
        if (made)
            QDir().rmdir(folder);
    };
    for (const QString& file : {prices, book})
        QFile::remove(file); // left by a backup that was stopped
    Outcome outcome =
        location.isServer() ? readServer(store, prices, book) : readFiles(store, prices, book);
    if (outcome.done()) {
        QString problem = seal(prices, Part::Prices, &manifest);
        if (problem.isEmpty())
            problem = seal(book, Part::Book, &manifest);
        if (!problem.isEmpty())
            outcome = fail(StoreKind::Damaged, problem);
    }
    // The files take their names once complete, the manifest last: a folder
    // without it is not a backup.
    for (const QString& name : {PricesFile, BookFile}) {
        if (!outcome.done())
            break;
        const QString sum = checksum(partial(dir.filePath(name)));
        manifest.checksums.append({name, sum});
        if (sum.isEmpty() || !QFile::rename(partial(dir.filePath(name)), dir.filePath(name)))
            outcome = fail(StoreKind::Failed,
                           QStringLiteral("%1 could not be written.").arg(dir.filePath(name)));
    }
    if (outcome.done()) {
        QSaveFile text(dir.filePath(ManifestFile));
        if (!text.open(QIODevice::WriteOnly) || text.write(manifestText(manifest).toUtf8()) < 0 ||
            !text.commit())
            outcome =
                fail(StoreKind::Failed, QStringLiteral("%1 could not be written (%2).")
                                            .arg(dir.filePath(ManifestFile), text.errorString()));
    }
    // A backup is kept as it was written: read-only, so that a program that
    // looks at it cannot change it.
    for (const QString& name : {PricesFile, BookFile, ManifestFile})
        if (outcome.done())
            QFile::setPermissions(dir.filePath(name),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!outcome.done()) {
        clear();
        outcome.problem += QStringLiteral(" No backup was made.");
        return outcome;
    }
    outcome.folder = QFileInfo(folder).absoluteFilePath();
    outcome.manifest = manifest;
    return outcome;
}

Outcome Check(const QString& folder)
{
    const QDir dir(folder);
    const QString foreign =
        QStringLiteral("%1 is not a backup made by Locker Estimate's price list tool").arg(folder);
    if (!QFileInfo(folder).isDir())
        return fail(StoreKind::Missing, QStringLiteral("There is no folder %1.").arg(folder));
    QFile text(dir.filePath(ManifestFile));
    if (!text.exists())
        return fail(StoreKind::Damaged,
                    QStringLiteral("%1: it has no %2.").arg(foreign, ManifestFile));
    if (!text.open(QIODevice::ReadOnly) || text.size() > (1 << 20))
        return fail(StoreKind::Damaged,
                    QStringLiteral("%1 cannot be read.").arg(dir.filePath(ManifestFile)));
    const std::optional<Manifest> read = readManifest(QString::fromUtf8(text.readAll()));
    if (!read)
        return fail(StoreKind::Damaged,
                    QStringLiteral("%1: its %2 is not one that the tool writes.")
                        .arg(foreign, ManifestFile));
    const Manifest& manifest = *read;
    const QString damaged =
        QStringLiteral("The backup in %1 is damaged or was changed after it was made").arg(folder);
    for (const QString& name : {PricesFile, BookFile}) {
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path))
            return fail(StoreKind::Damaged, QStringLiteral("%1: it has no %2.").arg(damaged, name));
        const auto sum = std::find_if(manifest.checksums.begin(), manifest.checksums.end(),
                                      [&](const auto& entry) { return entry.first == name; });
        if (sum == manifest.checksums.end() || checksum(path) != sum->second)
            return fail(
                StoreKind::Damaged,
                QStringLiteral("%1: %2 is not the file that was written.").arg(damaged, name));
    }
    // The files are the ones written; SQLite's own check too, and what this
    // version needs of them.
    for (const Part part : {Part::Prices, Part::Book}) {
        const QString path = dir.filePath(fileOf(part));
        Link file;
        const std::optional<QVariant> sound =
            file.openBackup(path) ? file.ask(QStringLiteral("Pragma integrity_check(1)"))
                                  : std::nullopt;
        if (!sound || sound->toString() != QLatin1String("ok"))
            return fail(StoreKind::Damaged,
                        QStringLiteral("%1: SQLite finds %2 unsound (%3).")
                            .arg(damaged, fileOf(part), sound ? sound->toString() : file.problem));
        const QString needed =
            part == Part::Prices
                ? QStringLiteral("Select rowid, Item, Cost, Category From Charges1 Limit 0")
                : QStringLiteral("Select %1 From Estimates Limit 0")
                      .arg(manifest.bookVersion == EstimateBook::SchemaVersion
                               ? BookStore::CopiedColumns
                               : QStringLiteral("Number, Created, Updated, Revision"));
        if (!file.ask(needed))
            return fail(StoreKind::Damaged, QStringLiteral("%1: %2 lacks tables or columns of "
                                                           "Locker Estimate. (%3)")
                                                .arg(damaged, fileOf(part), file.problem));
        if (part == Part::Book) {
            const std::optional<QVariant> version = file.ask(QStringLiteral("Pragma user_version"));
            if (!version || version->toInt() != manifest.bookVersion)
                return fail(StoreKind::Damaged,
                            QStringLiteral("%1: the version of its book is not the one its %2 "
                                           "names.")
                                .arg(damaged, ManifestFile));
            if (manifest.bookVersion < 1 || manifest.bookVersion > EstimateBook::SchemaVersion)
                return fail(StoreKind::NewerVersion,
                            QStringLiteral("The backup in %1 holds a book of saved estimates of "
                                           "version %2, which this version of Locker Estimate "
                                           "does not know (it knows up to %3): restore it with "
                                           "the version that made it.")
                                .arg(folder)
                                .arg(manifest.bookVersion)
                                .arg(EstimateBook::SchemaVersion));
        }
        for (const Carried& table : CarriedTables()) {
            if (table.part != part)
                continue;
            const std::optional<QVariant> rows =
                file.ask(QStringLiteral("Select Count(*) From %1").arg(table.name));
            const qint64 counted = rows ? rows->toLongLong() : -1;
            if (counted != manifest.rowsOf(table.name) || (table.required && counted < 0))
                return fail(StoreKind::Damaged,
                            QStringLiteral("%1: its table %2 holds %3 rows, where its %4 counts "
                                           "%5.")
                                .arg(damaged, table.name,
                                     counted < 0 ? QStringLiteral("no") : QString::number(counted),
                                     ManifestFile,
                                     manifest.rowsOf(table.name) < 0
                                         ? QStringLiteral("none")
                                         : QString::number(manifest.rowsOf(table.name))));
        }
    }
    Outcome outcome;
    outcome.folder = QFileInfo(folder).absoluteFilePath();
    outcome.manifest = manifest;
    return outcome;
}

Outcome Restore(const QString& folder, const QString& store, const QString& program)
{
    const Outcome checked = Check(folder);
    if (!checked.done())
        return checked;
    const StoreLocation location(store);
    // What is there now is kept first, when there is anything.
    bool holds = false;
    if (location.isServer()) {
        Link server;
        const std::optional<QVariant> there =
            server.openServer(store)
                ? server.ask(QStringLiteral("Select to_regclass('charges1') Is Not Null"))
                : std::nullopt;
        if (!there)
            return fail(StoreKind::Unreachable,
                        QStringLiteral("%1 Nothing was restored.").arg(server.problem));
        holds = there->toBool();
    } else {
        holds = QFileInfo::exists(store);
        const QString bookPath = EstimateBook::pathBeside(store);
        if (!holds && QFileInfo::exists(bookPath))
            return fail(StoreKind::Refused,
                        QStringLiteral("There is an estimates file %1 but no price list beside "
                                       "it, so it cannot be kept first. Put the price list back, "
                                       "or move the estimates file away, and restore again. "
                                       "Nothing was restored.")
                            .arg(Database::Described(bookPath)));
        // Files that a program has open are found before anything is kept.
        Link book, prices;
        QString problem = takeFile(book, bookPath);
        if (problem.isEmpty())
            problem = takeFile(prices, store);
        if (!problem.isEmpty())
            return fail(StoreKind::Locked, problem + QStringLiteral(" Nothing was restored."));
    }
    Outcome outcome;
    if (holds) {
        const Outcome kept = Backup(store, keepingFolder(location), program);
        if (!kept.done())
            return fail(kept.kind, QStringLiteral("What %1 holds could not be kept first, so "
                                                  "nothing was restored. %2")
                                       .arg(location.described(), kept.problem));
        outcome.folder = kept.folder;
    }
    if (location.isServer()) {
        // A server without the tables, or with older ones, gets them first.
        SaveResult made;
        made.saved = true;
        if (!holds)
            made = ServerSetup::CreatePriceTable(store);
        const BookResult book = made.saved ? ServerSetup::PrepareBook(store) : BookResult();
        if (!made.saved || !book.done) {
            outcome.kind = StoreKind::Failed;
            outcome.problem = QStringLiteral("%1 Nothing was restored.")
                                  .arg(made.saved ? book.problem : made.problem);
            return outcome;
        }
    }
    const Outcome replaced = location.isServer() ? restoreServer(folder, store, checked.manifest)
                                                 : restoreFiles(folder, store, checked.manifest);
    outcome.kind = replaced.kind;
    outcome.problem = replaced.problem;
    outcome.manifest = checked.manifest;
    return outcome;
}

} // namespace BackupRestore
