#include "store/table_copy.h"

#include "store/dialect.h"
#include "store/store_session.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>

namespace TableCopy {

namespace {

// The column that is a row's number: the server's price list names it rowid,
// as the row number that SQLite keeps in a file is called.
const QString RowNumber = QStringLiteral("rowid");

bool hasColumn(const QList<Column>& columns, const QString& name)
{
    return std::any_of(columns.begin(), columns.end(), [&](const Column& column) {
        return column.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

// The columns that a copy of a table takes, by name (letter case aside): each
// of the source's, the row number included, which a file's table always has.
// A column of the source that the destination lacks stops the copy, as its
// values would be lost (the name in `missing`); one that only the destination
// has keeps its default, as when the table's version added it.
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

StoreResult failedAt(StoreSession& store)
{
    return StoreResult::fail(store.kind() == StoreKind::Done ? StoreKind::Failed : store.kind(),
                             store.problem());
}

// Copies every row of `table` from one store to the other (whose table is
// empty), in the columns named, in the order of `order`. Texts are kept as
// the destination keeps them (never a NULL for an empty text).
StoreResult copyRows(StoreSession& from, StoreSession& to, const QString& table,
                     const QStringList& columns, const QString& order)
{
    QSqlQuery read(from.db());
    read.setForwardOnly(true);
    const QString list = columns.join(QStringLiteral(", "));
    if (!read.exec(QStringLiteral("Select %1 From %2%3")
                       .arg(list, table,
                            order.isEmpty() ? QString() : QStringLiteral(" Order By ") + order))) {
        from.failed(read.lastError());
        return failedAt(from);
    }
    QSqlQuery write(to.db());
    const QStringList marks(columns.size(), QStringLiteral("?"));
    if (!write.prepare(QStringLiteral("Insert Into %1 (%2) Values (%3)")
                           .arg(table, list, marks.join(QStringLiteral(", "))))) {
        to.failed(write.lastError());
        return failedAt(to);
    }
    const Dialect& dialect = Dialect::Of(to.db());
    qint64 copied = 0;
    while (read.next()) {
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant value = read.value(c);
            write.addBindValue(!value.isNull() && value.typeId() == QMetaType::QString
                                   ? dialect.text(value.toString())
                                   : value);
        }
        if (!write.exec()) {
            to.failed(write.lastError());
            return StoreResult::fail(to.kind(), QStringLiteral("Row %1 of %2 could not be "
                                                               "written. %3")
                                                    .arg(copied + 1)
                                                    .arg(table, to.problem()));
        }
        ++copied;
    }
    if (read.lastError().isValid()) {
        from.failed(read.lastError());
        return failedAt(from);
    }
    return StoreResult();
}

// The columns of a server's table that the database numbers itself, each with
// its sequence.
std::optional<QList<QPair<QString, QString>>>
numberedColumns(StoreSession& server, const QString& table, const QList<Column>& columns)
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

// The primary key of a server's table, by which its rows are read in order.
std::optional<QString> keyOrder(StoreSession& server, const QString& table)
{
    const auto key = server.rows(
        QStringLiteral("Select a.attname From pg_index i Join pg_attribute a On a.attrelid = "
                       "i.indrelid And a.attnum = Any(i.indkey) Where i.indrelid = "
                       "to_regclass(lower(?)) And i.indisprimary Order By a.attnum"),
        {table});
    if (!key)
        return std::nullopt;
    QStringList names;
    for (const QVariantList& row : *key)
        names << row.value(0).toString();
    return names.join(QStringLiteral(", "));
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

} // namespace

std::optional<QList<Column>> ColumnsOf(StoreSession& store, const QString& table)
{
    const bool server = store.isServer();
    // SQLite's table_info names the table in the statement itself; the names
    // here are the program's own.
    const auto declared =
        server ? store.rows(QStringLiteral("Select column_name, data_type From "
                                           "information_schema.columns Where table_name = "
                                           "lower(?) And table_schema = current_schema() Order "
                                           "By ordinal_position"),
                            {table})
               : store.rows(QStringLiteral("Pragma table_info(%1)").arg(table));
    if (!declared)
        return std::nullopt;
    QList<Column> columns;
    for (const QVariantList& row : *declared)
        columns.append(server ? Column{row.value(0).toString(), row.value(1).toString()}
                              : Column{row.value(1).toString(), row.value(2).toString()});
    return columns;
}

std::optional<qint64> HighestGiven(StoreSession& file, const QString& table)
{
    const std::optional<QVariant> kept = file.ask(
        QStringLiteral("Select Count(*) From sqlite_master Where name = 'sqlite_sequence'"));
    if (!kept || kept->toLongLong() == 0)
        return kept ? std::optional<qint64>(0) : std::nullopt;
    const std::optional<QVariant> given = file.ask(
        QStringLiteral("Select seq From sqlite_sequence Where name = ? Collate NoCase"), {table});
    return given ? std::optional<qint64>(given->toLongLong()) : std::nullopt;
}

bool NumberAbove(StoreSession& file, const QString& table, qint64 given)
{
    if (given <= 0)
        return true; // none given yet: nothing to keep above
    return file.run(QStringLiteral("Update sqlite_sequence Set seq = Max(seq, ?) Where name = ? "
                                   "Collate NoCase"),
                    {given, table}) &&
           file.run(QStringLiteral("Insert Into sqlite_sequence (name, seq) Select ?, ? Where Not "
                                   "Exists (Select 1 From sqlite_sequence Where name = ? Collate "
                                   "NoCase)"),
                    {table, given, table});
}

StoreResult ToFile(StoreSession& server, StoreSession& file, const QString& table)
{
    const std::optional<QList<Column>> there = ColumnsOf(server, table);
    if (!there)
        return failedAt(server);
    if (there->isEmpty())
        return StoreResult(); // not on this server
    std::optional<QList<Column>> here = ColumnsOf(file, table);
    if (!here)
        return failedAt(file);
    const std::optional<QString> order = keyOrder(server, table);
    const auto numbered = numberedColumns(server, table, *there);
    if (!order || !numbered)
        return failedAt(server);
    if (here->isEmpty()) {
        // A table that a counter's new file does not have yet: made with the
        // server's columns, its numbered key a file's numbered key.
        QStringList declared;
        for (const Column& column : *there) {
            const bool key = numbered->size() == 1 && numbered->first().first == column.name &&
                             *order == column.name;
            if (column.name.compare(RowNumber, Qt::CaseInsensitive) != 0)
                declared << QStringLiteral("%1 %2").arg(
                    column.name, key ? Dialect::Sqlite().numberedKey() : fileType(column.type));
        }
        if (!file.run(QStringLiteral("Create Table %1 (%2)")
                          .arg(table, declared.join(QStringLiteral(", ")))))
            return failedAt(file);
        here = ColumnsOf(file, table);
        if (!here)
            return failedAt(file);
    }
    QString missing;
    const std::optional<QStringList> columns = copiedColumns(*there, *here, true, &missing);
    if (!columns)
        return StoreResult::fail(StoreKind::NewerVersion,
                                 QStringLiteral("The table %1 in the %2 has a column %3 that this "
                                                "version does not keep in a file; use the version "
                                                "that made it.")
                                     .arg(table, server.where(), missing));
    if (!file.begin())
        return failedAt(file);
    if (const StoreResult copied = copyRows(server, file, table, *columns, *order); !copied.done())
        return copied;
    // The numbers the server has given are never given again after a
    // restore, even those of rows removed since: a file keeps the highest in
    // sqlite_sequence.
    const std::optional<QVariant> autoincrement =
        file.ask(QStringLiteral("Select Count(*) From sqlite_master Where name = ? Collate "
                                "NoCase And sql Like '%Autoincrement%'"),
                 {table});
    if (!autoincrement)
        return failedAt(file);
    for (const auto& [column, sequence] : *numbered) {
        const std::optional<QVariant> last = server.ask(
            QStringLiteral(
                "Select Case When is_called Then last_value Else last_value - 1 End From %1")
                .arg(sequence));
        if (!last)
            return failedAt(server);
        if (autoincrement->toLongLong() > 0 && !NumberAbove(file, table, last->toLongLong()))
            return failedAt(file);
    }
    if (!file.commit())
        return failedAt(file);
    return StoreResult();
}

std::optional<QHash<QString, qint64>> NumbersGiven(StoreSession& server, const QString& table,
                                                   const QList<Column>& columns)
{
    const auto numbered = numberedColumns(server, table, columns);
    if (!numbered)
        return std::nullopt;
    QHash<QString, qint64> given;
    for (const auto& [column, sequence] : *numbered) {
        const std::optional<QVariant> last = server.ask(
            QStringLiteral(
                "Select Case When is_called Then last_value Else last_value - 1 End From %1")
                .arg(sequence));
        if (!last)
            return std::nullopt;
        given.insert(sequence, last->toLongLong());
    }
    return given;
}

StoreResult ToServer(StoreSession& file, StoreSession& server, const QString& table,
                     const QList<Column>& there, qint64 rows,
                     const QHash<QString, qint64>& givenBefore)
{
    const std::optional<QList<Column>> here = ColumnsOf(file, table);
    if (!here)
        return failedAt(file);
    // A table the backup does not carry is left as it is.
    if (here->isEmpty() || (there.isEmpty() && rows == 0))
        return StoreResult();
    if (there.isEmpty())
        return StoreResult::fail(StoreKind::NewerVersion,
                                 QStringLiteral("The backup holds rows of a table %1 that the "
                                                "server does not have: bring the server's tables "
                                                "up to this version first (init --database).")
                                     .arg(table));
    QString missing;
    const std::optional<QStringList> columns = copiedColumns(*here, there, false, &missing);
    if (!columns)
        return StoreResult::fail(StoreKind::NewerVersion,
                                 QStringLiteral("The table %1 of the backup has a column %2 that "
                                                "the server's does not.")
                                     .arg(table, missing));
    const auto numbered = numberedColumns(server, table, there);
    if (!numbered || !server.run(QStringLiteral("Delete From %1").arg(table)))
        return failedAt(server);
    if (const StoreResult copied = copyRows(file, server, table, *columns, RowNumber);
        !copied.done())
        return copied;
    // Rows added later are numbered after the highest number ever given: by
    // the backup, or by the server before the restore (a number given after
    // the backup was made is never given again).
    const std::optional<qint64> given = HighestGiven(file, table);
    if (!given)
        return failedAt(file);
    for (const auto& [column, sequence] : *numbered)
        if (!server.ask(QStringLiteral("Select setval('%1', Greatest(Coalesce(Max(%2), 0), ?, "
                                       "?) + 1, false) From %3")
                            .arg(sequence, column, table),
                        {*given, givenBefore.value(sequence)}))
            return failedAt(server);
    return StoreResult();
}

} // namespace TableCopy
