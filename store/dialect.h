#pragma once

// What differs between the two kinds of database that keep the program's
// data, in one place: SQLite for one counter, PostgreSQL for several. The
// price list and the book write their statements once, as SQLite reads them,
// and ask the dialect of their connection for everything else: the statement
// as the database reads it, how a writer keeps the others out, where the
// version of the tables is kept, what a failure is and how to tell it.

#include "store/sqlite_errors.h"
#include "store/store_result.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>

class QSqlDatabase;
class QSqlDriver;
class QSqlError;
class QSqlQuery;

class Dialect {
public:
    virtual ~Dialect() = default;

    // The dialect of a connection: a server's, or else SQLite's.
    static const Dialect& Of(const QSqlDatabase& db);
    static const Dialect& Of(const QSqlDriver* driver);
    static const Dialect& Sqlite();
    static const Dialect& Server();

    virtual bool isServer() const = 0;

    // The statement (written for SQLite) as this database reads it.
    virtual QString statement(const QString& statement) const = 0;

    // Whether a query must take its whole answer at once rather than read
    // its rows one at a time (on a server, the notices of changes wait
    // behind rows left unread).
    virtual bool readsWholeAnswer() const = 0;

    // A text as it is kept: never NULL (Qt binds a null QString as NULL); a
    // server's text cannot hold the character 0, which nobody types: it goes.
    virtual QVariant text(const QString& value) const = 0;

    // The column type of a key that the database numbers itself, in order.
    virtual QString numberedKey() const = 0;

    // Begins a transaction in which this connection is the only writer of
    // `table`: other writers wait until it ends, readers do not.
    virtual bool beginWriting(QSqlDatabase& db, const QString& table, QSqlError* error) const = 0;

    // Whether `table` is a view, which can be read but not changed.
    virtual bool isView(QSqlDatabase& db, const QString& table) const = 0;

    // Runs a prepared insert; the key that the database gave the row (the
    // column `key`), or 0 when it failed (then `error` says why). The insert
    // is prepared from `statement`, which the dialect may add to.
    virtual qint64 insertNumbered(QSqlQuery& query, const QString& key, QSqlError* error) const = 0;
    virtual QString numberedInsert(const QString& statement, const QString& key) const = 0;

    // The version of the tables of one part of the program's data (0 when
    // it has none yet); -1 when it could not be read (then `error` says why).
    virtual int version(QSqlDatabase& db, const QString& part, QSqlError* error) const = 0;
    virtual bool setVersion(QSqlDatabase& db, const QString& part, int version,
                            QSqlError* error) const = 0;
    // Whether a part's version alone tells that its tables are this
    // program's (kept in a table of the program's own), or whether they
    // must be looked at.
    virtual bool versionTellsTables() const = 0;

    // Whether the store holds tables that would stand in the way of making
    // `table`: in a file, any table at all (a file keeps one part of the
    // data); on a server, `table` itself. No value when it could not be told
    // (then `error` says why).
    virtual std::optional<bool> holdsTables(QSqlDatabase& db, const QString& table,
                                            QSqlError* error) const = 0;

    // Whether the store holds the table `table` (its name in any letter
    // case). No value when it could not be told (then `error` says why).
    virtual std::optional<bool> holdsTable(QSqlDatabase& db, const QString& table,
                                           QSqlError* error) const = 0;

    // A condition: the text column holds the text bound to it.
    virtual QString holdsText(const QString& column) const = 0;
    // A condition: the number column, written out, begins with the text
    // bound second (the first bound is the text's length).
    virtual QString numberBegins(const QString& column) const = 0;

    // What kind of failure the error is.
    virtual StoreKind kind(const QSqlError& error) const = 0;

    // Why the database refused, in plain words chosen by the kind, with what
    // to do and the database's own words after. `where` is the store as a
    // person reads it (a file's path, or "database locker on host office");
    // `words` name a file's content. `changing`: a change was under way
    // (then a file that cannot be opened is the journal beside it).
    virtual QString reason(const QSqlError& error, const QString& where,
                           const SqliteFileWords& words, bool changing) const = 0;
};

// Runs one statement; false, with `error` set, when it failed.
bool RunStatement(QSqlDatabase& db, const QString& statement, QSqlError* error);

// The first value of the answer to a statement, with `values` in the place of
// its ?s: null when there is no row; no value when it failed (then `error`
// says why). The values are written into the statement as the database's
// literals, quoted and escaped by its driver: a statement with bound values
// costs a server three round trips (prepare, execute, deallocate), one such
// as this one.
std::optional<QVariant> AskValue(QSqlDatabase& db, const QString& statement, QSqlError* error,
                                 const QVariantList& values = {});
// The statement with `values` written in the place of its ?s, as AskValue
// writes them (no ? may stand in the statement's text otherwise).
QString WithValues(const QSqlDatabase& db, QString statement, const QVariantList& values);
