#include "pricelist/price_history.h"

#include "pricelist/price_connection.h"
#include "pricelist/price_list_editor.h"
#include "pricelist/stored_cost.h"
#include "store/database.h"
#include "store/dialect.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUrl>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace PriceHistory {

namespace {

const QString Columns = QStringLiteral(
    "Changed, Machine, UserName, Item, Action, OldCost, NewCost, OldCategory, NewCategory");

// The item, action, costs and categories of one history row, from the row of
// Charges1 as a trigger sees it (Old before the change, New after), the same
// in SQLite and on a server.
const QString AddedRow = QStringLiteral("New.Item, 'added', Null, New.Cost, Null, New.Category");
const QString RemovedRow =
    QStringLiteral("Old.Item, 'removed', Old.Cost, Null, Old.Category, Null");
const QString ChangedRow =
    QStringLiteral("New.Item, 'changed', Old.Cost, New.Cost, Old.Category, New.Category");

// One history row written by a trigger: `who` gives when, the machine and
// the user, `row` the rest.
QString insertRow(const QString& who, const QString& row)
{
    return QStringLiteral("Insert Into PriceHistory (%1) Values (%2, %3);").arg(Columns, who, row);
}

QString table(const Dialect& dialect)
{
    return QStringLiteral("Create Table If Not Exists PriceHistory (Id %1, Changed Text Not Null, "
                          "Machine Text, UserName Text, Item Text, Action Text Not Null, OldCost "
                          "Numeric, NewCost Numeric, OldCategory Text, NewCategory Text)")
        .arg(dialect.numberedKey());
}

const QString Index =
    QStringLiteral("Create Index If Not Exists PriceHistory_Item On PriceHistory (Item)");

// A text as an SQL literal.
QString literal(QString text)
{
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The time of a change, ISO 8601 in UTC, to the millisecond.
const QString FileNow = QStringLiteral("strftime('%Y-%m-%dT%H:%M:%fZ', 'now')");
const QString ServerNow =
    QStringLiteral("to_char(now() At Time Zone 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')");
// The machine of a server's session: the host that this program names in
// the session's application name ("locker-estimate@counter-2"); for another
// program (psql), the client's address, or 'local' over the server's socket.
const QString ServerMachine =
    QStringLiteral("Coalesce(substring(current_setting('application_name') From '@([^@]+)$'), "
                   "host(inet_client_addr()), 'local')");

PriceChange::Action actionOf(const QString& stored)
{
    if (stored == QLatin1String("added"))
        return PriceChange::Action::Added;
    if (stored == QLatin1String("removed"))
        return PriceChange::Action::Removed;
    return PriceChange::Action::Changed;
}

PriceHistoryRead readOnce(PriceConnection& connection, const QString& item)
{
    PriceHistoryRead read;
    if (!connection.ready(&read.problem))
        return read;
    QSqlDatabase& db = connection.db();
    const Dialect& dialect = Dialect::Of(db);
    const QString what = QStringLiteral("The price history could not be read");
    QSqlQuery query(db);
    query.setForwardOnly(!dialect.readsWholeAnswer());
    bool there = false;
    if (dialect.isServer()) {
        // On a server, the triggers that record it must be there too.
        if (!query.exec(ServerRecordsQuery()) || !query.next()) {
            read.problem = connection.failure(what, query.lastError());
            return read;
        }
        there = query.value(0).toBool();
        if (!query.value(1).toBool())
            read.notKept = QStringLiteral("The %1 keeps no price history yet; locker-pricelist "
                                          "init --database %2 starts it.")
                               .arg(connection.describe(), connection.location().text());
        query.finish();
    } else {
        QSqlError error;
        const std::optional<bool> kept =
            dialect.holdsTable(db, QStringLiteral("PriceHistory"), &error);
        if (!kept) {
            read.problem = connection.failure(what, error);
            return read;
        }
        there = *kept;
    }
    if (!there)
        return read; // no change recorded yet
    QString statement = QStringLiteral("Select Changed, Machine, UserName, Item, Action, OldCost, "
                                       "NewCost, OldCategory, NewCategory From PriceHistory");
    if (!item.isEmpty())
        statement += QStringLiteral(" Where Item = ? Collate Binary");
    statement += QStringLiteral(" Order By Id Desc");
    const bool ran = query.prepare(dialect.statement(statement));
    if (ran && !item.isEmpty())
        query.addBindValue(item);
    if (!ran || !query.exec()) {
        read.problem = connection.failure(what, query.lastError());
        return read;
    }
    while (query.next()) {
        PriceChange change;
        const QString when = query.value(0).toString();
        change.changed = QDateTime::fromString(when, Qt::ISODateWithMs).toUTC();
        change.machine = query.value(1).toString();
        change.user = query.value(2).toString();
        change.item = query.value(3).toString();
        change.action = actionOf(query.value(4).toString());
        change.oldCost = StoredCostText(query.value(5));
        change.newCost = StoredCostText(query.value(6));
        change.oldCategory = query.value(7).toString();
        change.newCategory = query.value(8).toString();
        read.changes << change;
    }
    if (query.lastError().isValid()) {
        read.changes.clear();
        read.problem = connection.failure(what, query.lastError());
    }
    return read;
}

} // namespace

bool RecordInFile(QSqlDatabase& db, QSqlError* error)
{
    // The file's own triggers record every change to Charges1, by this
    // program or any other (the sqlite3 shell, another tool): the machine
    // and the user are those that the program writing notes in PriceWriter
    // for its transaction, and "another program" when none did.
    const QString who =
        QStringLiteral(
            "%1, Coalesce((Select Machine From PriceWriter Limit 1), 'another program'), "
            "(Select UserName From PriceWriter Limit 1)")
            .arg(FileNow);
    const QString trigger = QStringLiteral("Create Trigger If Not Exists main.Charges1_%1 After "
                                           "%2 On Charges1 %3 Begin %4 End");
    const QString renamed = QStringLiteral("Old.Item Is Not New.Item Collate Binary");
    const QStringList statements = {
        table(Dialect::Sqlite()),
        Index,
        QStringLiteral("Create Table If Not Exists PriceWriter (Machine Text, UserName Text)"),
        QStringLiteral("Delete From PriceWriter"),
        QStringLiteral("Insert Into PriceWriter (Machine, UserName) Values (%1, %2)")
            .arg(literal(ThisMachine()), literal(ThisUser())),
        trigger.arg(QStringLiteral("Added"), QStringLiteral("Insert"), QString(),
                    insertRow(who, AddedRow)),
        trigger.arg(QStringLiteral("Removed"), QStringLiteral("Delete"), QString(),
                    insertRow(who, RemovedRow)),
        trigger.arg(QStringLiteral("Renamed"), QStringLiteral("Update"),
                    QStringLiteral("When %1").arg(renamed),
                    insertRow(who, RemovedRow) + insertRow(who, AddedRow)),
        trigger.arg(QStringLiteral("Changed"), QStringLiteral("Update"),
                    QStringLiteral("When Not (%1) And (Old.Cost Is Not New.Cost Or Old.Category "
                                   "Is Not New.Category)")
                        .arg(renamed),
                    insertRow(who, ChangedRow)),
    };
    for (const QString& statement : statements)
        if (!RunStatement(db, statement, error))
            return false;
    return true;
}

bool RecordedInFile(QSqlDatabase& db, QSqlError* error)
{
    return RunStatement(db, QStringLiteral("Delete From PriceWriter"), error);
}

namespace {} // namespace

std::optional<QString> LastRecorded(QSqlDatabase& backup, const QDateTime& made, QSqlError* error)
{
    const Dialect& dialect = Dialect::Of(backup);
    const std::optional<bool> kept =
        dialect.holdsTable(backup, QStringLiteral("PriceHistory"), error);
    if (!kept)
        return std::nullopt;
    if (*kept) {
        QSqlQuery query(backup);
        if (!query.exec(QStringLiteral("Select Max(Changed) From PriceHistory")) || !query.next()) {
            *error = query.lastError();
            return std::nullopt;
        }
        if (!query.isNull(0))
            return query.value(0).toString();
    }
    // No change recorded in the backup: what came after it was made.
    return made.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('Z');
}

bool NoteBeforeRestore(QSqlDatabase& db, const QString& replaced, const QString& since,
                       QSqlError* error)
{
    const Dialect& dialect = Dialect::Of(db);
    const QString from = replaced.isEmpty() ? QString() : replaced + QLatin1Char('.');
    const QString temp = dialect.isServer() ? QStringLiteral(" On Commit Drop") : QString();
    std::optional<bool> kept;
    if (dialect.isServer()) {
        kept = dialect.holdsTable(db, QStringLiteral("PriceHistory"), error);
    } else {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("Select Count(*) From %1sqlite_master Where type = "
                                       "'table' And name = 'PriceHistory' Collate NoCase")
                            .arg(from)) ||
            !query.next()) {
            *error = query.lastError();
            return false;
        }
        kept = query.value(0).toLongLong() > 0;
    }
    if (!kept)
        return false;
    QStringList statements = {
        QStringLiteral("Create Temp Table PricesBefore%1 As Select Item, Cost, Category, rowid "
                       "As Position From %2Charges1")
            .arg(temp, from),
    };
    if (*kept)
        statements << QStringLiteral("Create Temp Table HistoryLater%1 As Select Id, %2 From "
                                     "%3PriceHistory Where Changed > '%4'")
                          .arg(temp, Columns, from, since);
    else
        statements << QStringLiteral("Create Temp Table HistoryLater%1 As Select 0 As Id, %2 "
                                     "From PricesBefore Where 0 = 1")
                          .arg(temp, QStringLiteral("'' As Changed, '' As Machine, '' As "
                                                    "UserName, Item, '' As Action, Cost As "
                                                    "OldCost, Cost As NewCost, Category As "
                                                    "OldCategory, Category As NewCategory"));
    for (const QString& statement : statements)
        if (!RunStatement(db, statement, error))
            return false;
    return true;
}

bool RecordRestore(QSqlDatabase& db, const QDateTime& made, QSqlError* error)
{
    const Dialect& dialect = Dialect::Of(db);
    const QString who =
        QStringLiteral("%1, %2, %3")
            .arg(dialect.isServer() ? ServerNow : FileNow,
                 literal(QStringLiteral("restored from the backup of %1")
                             .arg(made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))),
                 literal(ThisUser()));
    // The first row of each name, before and after. A store that held no
    // prices before (a new one) records no restore: its history is the
    // backup's.
    const QString before =
        QStringLiteral("(Select Item, Cost, Category From PricesBefore b Where Position = (Select "
                       "Min(Position) From PricesBefore c Where c.Item = b.Item))");
    const QString after = QStringLiteral(
        "(Select Item, Cost, Category From Charges1 n Where rowid = (Select Min(rowid) From "
        "Charges1 m Where m.Item = n.Item))");
    const QString insert = QStringLiteral("Insert Into PriceHistory (%1) ").arg(Columns);
    const QStringList statements = {
        table(dialect),
        Index,
        insert + QStringLiteral("Select %1 From HistoryLater Order By Id").arg(Columns),
        insert + QStringLiteral("Select %1, o.Item, 'changed', o.Cost, n.Cost, o.Category, "
                                "n.Category From %2 o Join %3 n On n.Item = o.Item Where "
                                "o.Cost Is Distinct From n.Cost Or o.Category Is Distinct From "
                                "n.Category Order By o.Item")
                     .arg(who, before, after),
        insert + QStringLiteral("Select %1, o.Item, 'removed', o.Cost, Null, o.Category, Null "
                                "From %2 o Where Not Exists (Select 1 From Charges1 m Where "
                                "m.Item = o.Item) Order By o.Item")
                     .arg(who, before),
        insert + QStringLiteral("Select %1, n.Item, 'added', Null, n.Cost, Null, n.Category "
                                "From %2 n Where Not Exists (Select 1 From PricesBefore b "
                                "Where b.Item = n.Item) And Exists (Select 1 From "
                                "PricesBefore) Order By n.Item")
                     .arg(who, after),
    };
    for (const QString& statement : statements)
        if (!RunStatement(db, dialect.statement(statement), error))
            return false;
    return true;
}

QString KeepInRestoredFile(const QString& restored, const QString& replaced, const QDateTime& made)
{
    const QString name = Database::NextConnectionName("history");
    QString problem;
    {
        QSqlDatabase db = Database::AddSqliteFile(name, restored);
        QSqlError error;
        QSqlQuery attach(db);
        const bool done =
            db.open() && attach.prepare(QStringLiteral("Attach Database ? As replaced")) &&
            (attach.addBindValue(QUrl::fromLocalFile(QFileInfo(replaced).absoluteFilePath())
                                     .toString(QUrl::FullyEncoded) +
                                 QStringLiteral("?mode=ro")),
             attach.exec());
        if (!done)
            error = db.isOpen() ? attach.lastError() : db.lastError();
        attach.finish();
        std::optional<QString> since;
        if (done && (since = LastRecorded(db, made, &error)) &&
            NoteBeforeRestore(db, QStringLiteral("replaced"), *since, &error) &&
            RunStatement(db, QStringLiteral("Detach Database replaced"), &error) &&
            RunStatement(db, QStringLiteral("Begin Immediate"), &error) &&
            RecordRestore(db, made, &error) && RunStatement(db, QStringLiteral("Commit"), &error))
            error = QSqlError();
        if (error.isValid())
            problem = Dialect::Sqlite().reason(error, restored, {}, true);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

QStringList ServerStatements()
{
    const QString who = QStringLiteral("change_time, change_machine, session_user");
    // Security definer: a user who may change the prices has the change
    // recorded, without a right to write the history itself; session_user
    // still names who it is.
    const QString function =
        QStringLiteral("Create Or Replace Function %1() Returns Trigger Language plpgsql "
                       "Security Definer Set search_path From Current As $$ %2 $$");
    return {
        // Inside the transaction that runs them: no notice of what was there
        // already ("skipping") on the terminal.
        QStringLiteral("Set Local client_min_messages To warning"),
        table(Dialect::Server()),
        Index,
        function.arg(
            QStringLiteral("locker_price_history"),
            QStringLiteral("Declare change_time Text := %1; change_machine Text := %2; Begin "
                           "If TG_OP = 'INSERT' Then %3 "
                           "ElsIf TG_OP = 'DELETE' Then %4 "
                           "ElsIf Old.Item Is Distinct From New.Item Then %4 %3 "
                           "ElsIf Old.Cost Is Distinct From New.Cost Or Old.Category Is "
                           "Distinct From New.Category Then %5 "
                           "End If; Return Null; End")
                .arg(ServerNow, ServerMachine, insertRow(who, AddedRow), insertRow(who, RemovedRow),
                     insertRow(who, ChangedRow))),
        QStringLiteral("Drop Trigger If Exists Charges1_History On Charges1"),
        QStringLiteral("Create Trigger Charges1_History After Insert Or Update Or Delete On "
                       "Charges1 For Each Row Execute Function locker_price_history()"),
        // Truncate empties the table without touching its rows one by one.
        function.arg(QStringLiteral("locker_price_history_truncated"),
                     QStringLiteral("Begin Insert Into PriceHistory (%1) Select %2, %3, "
                                    "session_user, Item, 'removed', Cost, Null, Category, Null "
                                    "From Charges1 Order By rowid; Return Null; End")
                         .arg(Columns, ServerNow, ServerMachine)),
        QStringLiteral("Drop Trigger If Exists Charges1_Truncated On Charges1"),
        QStringLiteral("Create Trigger Charges1_Truncated Before Truncate On Charges1 For Each "
                       "Statement Execute Function locker_price_history_truncated()"),
    };
}

QString ServerRecordsQuery()
{
    // Whether the table is there, and whether both triggers are.
    return QStringLiteral("Select to_regclass('pricehistory') Is Not Null, (Select Count(*) From "
                          "pg_trigger Where tgrelid = to_regclass('charges1') And tgname In "
                          "('charges1_history', 'charges1_truncated')) = 2");
}

PriceHistoryRead Read(PriceConnection& connection, const QString& item)
{
    return connection.onceMoreWhenReconnected([&] { return readOnce(connection, item); });
}

QString ThisMachine()
{
    return QSysInfo::machineHostName();
}

QString ThisUser()
{
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString named = qEnvironmentVariable("LOGNAME", qEnvironmentVariable("USER"));
    return named.isEmpty() ? QString::number(::getuid()) : named;
}

} // namespace PriceHistory

QString PriceChange::whenText() const
{
    return changed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString PriceChange::what() const
{
    const auto money = [](const QString& cost) {
        return cost.isEmpty() ? QStringLiteral("none") : PriceListEditor::moneyText(cost);
    };
    const auto category = [](const QString& name) {
        return name.isEmpty() ? QStringLiteral("none") : name;
    };
    const auto withCategory = [](const QString& words, const QString& name) {
        return name.isEmpty() ? words : QStringLiteral("%1, %2").arg(words, name);
    };
    switch (action) {
    case Action::Added:
        return newCategory.isEmpty()
                   ? QStringLiteral("Added at %1").arg(money(newCost))
                   : QStringLiteral("Added at %1 (%2)").arg(money(newCost), newCategory);
    case Action::Removed:
        return QStringLiteral("Removed (was %1)").arg(withCategory(money(oldCost), oldCategory));
    case Action::Changed:
        break;
    }
    QStringList parts;
    if (money(oldCost) != money(newCost))
        parts << QStringLiteral("Cost %1 → %2").arg(money(oldCost), money(newCost));
    if (oldCategory != newCategory)
        parts
            << QStringLiteral("Category %1 → %2").arg(category(oldCategory), category(newCategory));
    return parts.isEmpty() ? QStringLiteral("Changed") : parts.join(QStringLiteral("; "));
}
