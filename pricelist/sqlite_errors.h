#pragma once

// SQLite's errors as the clerk and the shop's owner read them.

#include <QString>

class QSqlError;

// SQLite's own words with its error number: "Error 5: database is locked".
QString SqliteErrorDetail(const QSqlError& error);

// Why the file refused, in plain words without a final point ("the price list
// file is read-only"); empty when SQLite's number says nothing a person can act on.
QString SqliteErrorReason(const QSqlError& error);

// Why a change failed when the price list's folder may not be written.
QString SqliteFolderReason();

// True when SQLite could not open a file: for a change to a price list that
// is open already, the journal that it makes beside it.
bool SqliteCannotOpen(const QSqlError& error);
