#pragma once

// SQLite's errors as the clerk and the shop's owner read them.

#include <QString>

class QSqlError;

// SQLite's own words with its error number: "Error 5: database is locked".
QString SqliteErrorDetail(const QSqlError& error);

// Why the file refused, in plain words without a final point ("the price list
// file is read-only"); empty when SQLite's number says nothing a person can act on.
QString SqliteErrorReason(const QSqlError& error);
