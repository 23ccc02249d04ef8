#pragma once

// SQLite's errors as the clerk and the shop's owner read them.

#include <QString>

class QSqlError;

// SQLite's own words with its error number: "Error 5: database is locked".
QString SqliteErrorDetail(const QSqlError& error);

// The words that name the file in the reasons below: the price list's unless
// another file is meant.
struct SqliteFileWords {
    const char* name = "the price list";      // another program holds it locked
    const char* file = "the price list file"; // it is read-only
    const char* kind = "a price list";        // the file is damaged or is not one
};

// Why the file refused, in plain words without a final point ("the price list
// file is read-only"); empty when SQLite's number says nothing a person can act on.
QString SqliteErrorReason(const QSqlError& error, const SqliteFileWords& words = {});

// Why a change failed when the file's folder may not be written.
QString SqliteFolderReason(const SqliteFileWords& words = {});

// Why a change to the SQLite file at `path` must not begin: the file, or
// with `folderToo` its folder, may not be written now (a change begun would
// leave a journal or log that nobody can take back); empty when it may.
QString SqliteUnwritableReason(const QString& path, const SqliteFileWords& words, bool folderToo);

// True when SQLite could not open a file: for a change to a price list that
// is open already, the journal that it makes beside it.
bool SqliteCannotOpen(const QSqlError& error);
