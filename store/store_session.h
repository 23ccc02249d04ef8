#pragma once

// A connection of one piece of work's own (a backup, a restore, setting up a
// server, copying a counter's files to it), gone with it: opened to a file or
// a server, asked and told in statements, its failures in plain words with
// their kind. The counters' own connections, kept for as long as they run,
// are the price list's and the book's; this is for the owner's work.

#include "store/sqlite_errors.h"
#include "store/store_result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <optional>

class StoreSession {
public:
    explicit StoreSession(const char* purpose = "work");
    ~StoreSession();
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;

    // To the file of a store, which must be there (never made by opening).
    bool openFile(const QString& path);
    // To a file only to read it: nothing in it or beside it is written.
    bool openReadOnly(const QString& path);
    // To a new file, made by opening it.
    bool openNew(const QString& path);
    // To a server; a failure is of the kind Unreachable or Refused.
    bool openServer(const QString& url);
    void close();
    bool isOpen() const { return db_.isOpen(); }
    bool isServer() const;

    // The words that name the file in its failures (the price list's unless
    // told otherwise).
    void setFileWords(const SqliteFileWords& words) { words_ = words; }

    // Runs the statement; false, with the problem set, when it fails.
    bool run(const QString& statement, const QVariantList& values = {});
    // Runs the statements one after another, in a transaction of their own;
    // at the first that fails, the transaction is undone.
    bool runInOne(const QStringList& statements);
    // The first value of the statement's answer; no value when it failed
    // (then the problem says why), a null one when there is no row.
    std::optional<QVariant> ask(const QString& statement, const QVariantList& values = {});
    // Every row of the answer, each a list of its values.
    std::optional<QList<QVariantList>> rows(const QString& statement,
                                            const QVariantList& values = {});

    bool begin();
    bool commit();
    // Undoes the transaction, keeping the failure that led to it.
    void rollback();
    // Begins a transaction in which this session is the only writer of
    // `table` (the dialect's way): other writers wait, readers do not.
    bool beginWriting(const QString& table);
    // Begins the owner's long work on a server, which a clerk's limits would
    // cut: no statement limit, and `idleMs` as the limit of a pause between
    // statements (0: none). `snapshot`: it only reads, all at one moment.
    bool beginLong(int idleMs, bool snapshot);

    // Whether the store holds the table (any letter case); no value when it
    // could not be told.
    std::optional<bool> holdsTable(const QString& table);
    // Locks a server's table against every other session until the end of
    // the transaction.
    bool lockTable(const QString& table, bool exclusive = true);

    // Files only. Leaves WAL mode (its log and shared memory go); whether it
    // did.
    bool leaveWal();
    // SQLite's check of the whole file: "ok", or what it found; no value
    // when it could not be run.
    std::optional<QString> integrity();
    // The file's own version number (SQLite's user_version).
    std::optional<int> fileVersion();
    // Whether the file holds no table at all.
    std::optional<bool> empty();
    // Takes the file from every other program until the session ends: no
    // one reads or writes it meanwhile.
    bool takeExclusive();
    // Holds every change to the file, and to the one at `alsoPath` when
    // given, until rollback(): while it copies, nobody changes them. A file
    // that this user may not write is held by a read instead.
    bool holdChanges(const QString& alsoPath);
    // Writes a copy of the whole file, at one moment, to the new file `to`.
    bool copyInto(const QString& to);

    // How many rows the table holds.
    std::optional<qint64> rowCount(const QString& table);

    QSqlDatabase& db() { return db_; }
    const QString& where() const { return where_; }
    const QString& problem() const { return problem_; }
    StoreKind kind() const { return kind_; }
    const QSqlError& error() const { return error_; }
    // The server's own words for the last failure, first line only.
    QString serverWords() const;
    // A failure of the caller's own words, of this session.
    bool fail(StoreKind kind, const QString& problem);
    // The failure of `error`, as this session tells it.
    bool failed(const QSqlError& error);

private:
    bool opened();

    QString name_;
    QSqlDatabase db_;
    QString where_;
    QString problem_;
    StoreKind kind_ = StoreKind::Done;
    QSqlError error_;
    SqliteFileWords words_;
};
