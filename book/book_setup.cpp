#include "book/book_setup.h"

#include "book/book_store.h"
#include "book/estimate_book.h"
#include "store/dialect.h"
#include "store/store_location.h"
#include "store/store_session.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace BookSetup {

namespace {

// The part of the data that the book's tables are, under which a server keeps
// their version.
const QString Part = QStringLiteral("estimates");
const QString Table = QStringLiteral("Estimates");
const QString BookingsTable = QStringLiteral("Bookings");

} // namespace

SqliteFileWords FileWords()
{
    return {"the estimates file", "the estimates file", "an estimates file"};
}

StoreResult PrepareBook(const QString& url)
{
    StoreSession server("server");
    if (!server.openServer(url))
        return StoreResult::fail(server.kind(), server.problem());
    BookStore::Session session(server.db());
    QString problem;
    QSqlError error;
    if (!session.start(true, url, &problem))
        return StoreResult::fail(StoreKind::Failed, problem);
    // Made again whatever the version: a server set up by an earlier version
    // gets the function that saves in one statement.
    if (!BookStore::InstallServerSave(server.db(), &error)) {
        session.end(false);
        return StoreResult::fail(Dialect::Server().kind(error),
                                 BookStore::ErrorWords(url, error, true));
    }
    if (!session.end(true, &error))
        return StoreResult::fail(Dialect::Server().kind(error),
                                 BookStore::ErrorWords(url, error, true));
    return StoreResult();
}

StoreResult CopyEstimates(const QString& file, const QString& url, int* copied)
{
    *copied = 0;
    const QString what = QStringLiteral("The saved estimates were not copied");
    if (!QFileInfo(file).isFile())
        return StoreResult::fail(
            StoreKind::Missing,
            QStringLiteral("%1: there is no estimates file at %2.").arg(what, file));
    StoreSession server("server");
    if (!server.openServer(url))
        return StoreResult::fail(server.kind(),
                                 QStringLiteral("%1. %2").arg(what, server.problem()));
    StoreSession source("copy");
    source.setFileWords(FileWords());
    if (!source.openFile(file))
        return StoreResult::fail(source.kind(),
                                 QStringLiteral("%1. %2").arg(what, source.problem()));
    BookStore::Session from(source.db());
    BookStore::Session to(server.db());
    QString problem;
    bool empty = false;
    if (!from.start(false, file, &problem, &empty) || !to.start(true, url, &problem))
        return StoreResult::fail(StoreKind::Failed, QStringLiteral("%1. %2").arg(what, problem));
    StoreResult result;
    QSqlError error;
    const std::optional<qint64> held = server.rowCount(Table);
    if (!held)
        error = server.error();
    else if (*held != 0)
        result = StoreResult::fail(StoreKind::Refused,
                                   QStringLiteral("%1: the %2 holds saved estimates already, "
                                                  "which were left as they are.")
                                       .arg(what, server.where()));
    int rows = 0;
    {
        QSqlQuery read(source.db());
        read.setForwardOnly(true);
        QSqlQuery write(server.db());
        const bool reading = result.done() && !error.isValid() && !empty &&
                             read.exec(QStringLiteral("Select %1 From Estimates Order By Number")
                                           .arg(BookStore::CopiedColumns));
        // A value for each column copied.
        const int columns = int(BookStore::CopiedColumns.count(QLatin1Char(','))) + 1;
        const QStringList marks(columns, QStringLiteral("?"));
        if (reading &&
            !write.prepare(QStringLiteral("Insert Into Estimates (%1) Values (%2)")
                               .arg(BookStore::CopiedColumns, marks.join(QStringLiteral(", ")))))
            error = write.lastError();
        while (reading && !error.isValid() && read.next()) {
            for (int c = 0; c < columns; ++c)
                write.addBindValue(read.value(c));
            if (!write.exec())
                error = write.lastError();
            ++rows;
        }
        if (!error.isValid() && read.lastError().isValid())
            error = read.lastError();
    }
    // Numbers given from now on follow the highest copied.
    if (!error.isValid() && result.done())
        RunStatement(server.db(),
                     QStringLiteral("Select setval(pg_get_serial_sequence('estimates', 'number'), "
                                    "Coalesce(Max(Number), 0) + 1, false) From Estimates"),
                     &error);
    if (error.isValid() || !result.done()) {
        to.end(false);
        if (result.done())
            result = StoreResult::fail(
                Dialect::Server().kind(error),
                QStringLiteral("%1. %2").arg(what, BookStore::ErrorWords(url, error, true)));
    } else if (!to.end(true, &error)) {
        result = StoreResult::fail(
            Dialect::Server().kind(error),
            QStringLiteral("%1. %2").arg(what, BookStore::ErrorWords(url, error, true)));
    } else {
        *copied = rows;
    }
    if (!empty)
        from.end(false);
    return result;
}

ServerRoles::Grants Grants()
{
    ServerRoles::Grants grants;
    grants.tables = {
        {Table,
         {QStringLiteral("Select"), QStringLiteral("Insert"), QStringLiteral("Update"),
          QStringLiteral("Delete")},
         true,
         false},
        // A booking is cancelled, never deleted.
        {BookingsTable,
         {QStringLiteral("Select"), QStringLiteral("Insert"), QStringLiteral("Update")},
         true,
         false}};
    grants.numbered = {{Table, QStringLiteral("Number"), true},
                       {BookingsTable, QStringLiteral("Number"), true}};
    grants.functions = {BookStore::ServerSaveFunction};
    return grants;
}

const QList<TableCopy::Carried>& CarriedTables()
{
    static const QList<TableCopy::Carried> tables = {{Table, true}, {BookingsTable, false}};
    return tables;
}

QString MakeEmpty(const QString& path)
{
    StoreSession book("book");
    book.setFileWords(FileWords());
    QSqlError error;
    if (!book.openNew(path) || !book.begin())
        return book.problem();
    if (!BookStore::MakeTables(book.db(), &error) || !book.commit()) {
        if (error.isValid())
            book.failed(error);
        return book.problem();
    }
    return QString();
}

QString Upgrade(const QString& path)
{
    StoreSession book("book");
    book.setFileWords(FileWords());
    if (!book.openFile(path))
        return book.problem();
    BookStore::Session session(book.db());
    QString problem;
    QSqlError error;
    if (!session.start(true, StoreLocation(path), &problem))
        return problem;
    if (!session.end(true, &error)) {
        book.failed(error);
        return book.problem();
    }
    return QString();
}

StoreResult CopiedAsItIs(StoreSession& server)
{
    // The book is copied at the version of its tables, which must be this
    // one's: an earlier book is brought up by a counter of this version (its
    // first save), never by copying, as a step may fill in what it adds.
    QSqlError error;
    const int version = Dialect::Server().version(server.db(), Part, &error);
    if (version < 0) {
        server.failed(error);
        return StoreResult::fail(StoreKind::Failed, server.problem());
    }
    const std::optional<bool> kept = server.holdsTable(Table);
    if (!kept)
        return StoreResult::fail(StoreKind::Failed, server.problem());
    if (!*kept || version == EstimateBook::SchemaVersion)
        return StoreResult();
    return StoreResult::fail(
        version > EstimateBook::SchemaVersion ? StoreKind::NewerVersion : StoreKind::Refused,
        QStringLiteral("The saved estimates in the %1 are kept in tables of version %2, and this "
                       "version of Locker Estimate writes version %3: back them up with the "
                       "price list tool of the counters' version%4.")
            .arg(server.where())
            .arg(version)
            .arg(EstimateBook::SchemaVersion)
            .arg(version < EstimateBook::SchemaVersion
                     ? QStringLiteral(", or after a counter of this version has saved an "
                                      "estimate there (its first save brings the tables up to "
                                      "date)")
                     : QString()));
}

QString CheckCopy(StoreSession& file, const QString& from, int* version, bool* unused)
{
    *unused = false;
    const std::optional<int> kept = file.fileVersion();
    const std::optional<bool> empty = file.empty();
    if (!kept || !empty)
        return file.problem();
    *version = *kept;
    if (*kept == 0 && *empty) {
        *unused = true;
        return QString();
    }
    if (*kept > EstimateBook::SchemaVersion)
        return QStringLiteral("The saved estimates of %1 were made by a newer version of Locker "
                              "Estimate (version %2 of the book; this version knows up to %3): "
                              "back them up with that version.")
            .arg(from)
            .arg(*kept)
            .arg(EstimateBook::SchemaVersion);
    return QString();
}

QString KeepNumbersAbove(StoreSession& replaced, const QString& restored)
{
    for (const QString& table : {Table, BookingsTable}) {
        const std::optional<qint64> given = TableCopy::HighestGiven(replaced, table);
        if (!given)
            return replaced.problem();
        if (*given == 0)
            continue;
        StoreSession book("numbers");
        book.setFileWords(FileWords());
        if (!book.openFile(restored) || !book.beginWriting(Table) ||
            !TableCopy::NumberAbove(book, table, *given) || !book.commit()) {
            book.rollback();
            return book.problem();
        }
    }
    return QString();
}

bool Readable(StoreSession& file, int version)
{
    return file
        .ask(QStringLiteral("Select %1 From Estimates Limit 0")
                 .arg(version == EstimateBook::SchemaVersion
                          ? BookStore::CopiedColumns
                          : QStringLiteral("Number, Created, Updated, Revision")))
        .has_value();
}

} // namespace BookSetup
