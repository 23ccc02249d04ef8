#include "pricelist/price_list_editor.h"

#include "core/numbers.h"
#include "pricelist/item_names.h"
#include "pricelist/price_history.h"
#include "pricelist/price_items.h"
#include "pricelist/stored_cost.h"
#include "store/csv.h"
#include "store/database.h"
#include "store/dialect.h"
#include "store/file_watch.h"
#include "store/file_writer.h"
#include "store/server_link.h"
#include "store/server_watch.h"
#include "store/sqlite_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Commit = QStringLiteral("Commit");
const QString Rollback = QStringLiteral("Rollback");
// Names are matched byte for byte, whatever collation the Item column has.
const QString UpdateCost =
    QStringLiteral("Update Charges1 Set Cost = ? Where Item = ? Collate Binary");
const QString UpdateCostAndCategory =
    QStringLiteral("Update Charges1 Set Cost = ?, Category = ? Where Item = ? Collate Binary");
const QString UpdateCostOfRow = QStringLiteral("Update Charges1 Set Cost = ? Where rowid = ?");
const QString UpdateCostAndCategoryOfRow =
    QStringLiteral("Update Charges1 Set Cost = ?, Category = ? Where rowid = ?");
const QString UpdateRow =
    QStringLiteral("Update Charges1 Set Item = ?, Cost = ?, Category = ? Where rowid = ?");
const QString InsertRow =
    QStringLiteral("Insert Into Charges1 (Item, Cost, Category) Values (?, ?, ?)");
const QString DeleteItem = QStringLiteral("Delete From Charges1 Where Item = ? Collate Binary");
const QString DeleteRow = QStringLiteral("Delete From Charges1 Where rowid = ?");
const QString DeleteAll = QStringLiteral("Delete From Charges1");
const QString ReadRow = QStringLiteral("Select Item, Cost, Category From Charges1 Where rowid = ?");
const QString CountItem =
    QStringLiteral("Select Count(*) From Charges1 Where Item = ? Collate Binary");
const QString AllNames = QStringLiteral("Select rowid, Item From Charges1 Order By rowid");

// Why a cost text cannot be stored; empty when it can.
QString costProblem(const QString& item, const QString& cost)
{
    if (cost.trimmed().isEmpty())
        return QStringLiteral("\"%1\" has no cost.").arg(item);
    return MoneyAmountProblem(cost);
}

// Why a row (name, cost, category) cannot be stored; empty when it can.
QString rowProblem(const QString& item, const QString& cost, const QString& category)
{
    QString problem = PriceListEditor::itemNameProblem(item);
    if (problem.isEmpty())
        problem = costProblem(item, cost);
    if (problem.isEmpty())
        problem = ItemNames::categoryProblem(category);
    return problem;
}

// The refusal of a new name that only looks like another one.
QString lookAlikeProblem(const QString& name, const QString& other)
{
    QString problem = QStringLiteral("\"%1\" is not in the price list, and it differs from \"%2\" "
                                     "only by capitals or blanks: did you mean \"%2\"?")
                          .arg(name, other);
    const QString use = ItemNames::usedFor(other);
    if (!use.isEmpty())
        problem += QStringLiteral(" The program looks up \"%1\", letter for letter, for %2.")
                       .arg(other, use);
    return problem;
}

// The names a new name must not look like: those the program looks up first,
// then those already in the price list, by their folded form.
class KnownNames {
public:
    KnownNames()
    {
        for (const QString& name : ItemNames::lookedUpNames())
            add(name);
    }
    void add(const QString& name)
    {
        exact_.insert(name);
        const QString folded = ItemNames::foldedName(name);
        if (!folded.isEmpty() && !folded_.contains(folded))
            folded_.insert(folded, name);
    }
    // The looked-up names and every name of the rows read from the file.
    explicit KnownNames(const QHash<QString, QList<qint64>>& rows)
        : KnownNames()
    {
        for (auto name = rows.keyBegin(); name != rows.keyEnd(); ++name)
            add(*name);
    }
    bool contains(const QString& name) const { return exact_.contains(name); }
    // The known name that `name` only looks like; empty when none, or when
    // `name` itself is known.
    QString lookAlike(const QString& name) const
    {
        if (exact_.contains(name))
            return QString();
        return folded_.value(ItemNames::foldedName(name));
    }

private:
    QSet<QString> exact_;
    QHash<QString, QString> folded_;
};

// The rows of every name in the price list, in stored order; false when the
// file refused.
bool readNames(QSqlDatabase& db, QHash<QString, QList<qint64>>* rows, QSqlError& error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(AllNames)) {
        error = query.lastError();
        return false;
    }
    while (query.next())
        (*rows)[query.value(1).toString()].append(query.value(0).toLongLong());
    if (query.lastError().isValid()) {
        error = query.lastError();
        return false;
    }
    return true;
}

// A statement prepared for one use; a failure shows as the file's refusal.
bool prepare(QSqlQuery& query, const QString& statement, QSqlError& error)
{
    if (query.prepare(Dialect::Of(query.driver()).statement(statement)))
        return true;
    error = query.lastError();
    return false;
}

bool run(QSqlQuery& query, QSqlError& error)
{
    if (query.exec())
        return true;
    error = query.lastError();
    return false;
}

// One checked line of an import.
struct ImportLine {
    int line = 0;
    QString item;
    double cost = 0;
    std::optional<QString> category;
};

} // namespace

const QString PriceListEditor::DefaultCategory = PriceItem::AddedItemCategory;
const QStringList PriceListEditor::CsvHeader = {QStringLiteral("Item"), QStringLiteral("Cost"),
                                                QStringLiteral("Category")};

PriceListEditor::PriceListEditor(QString path)
    : list_(StoreLocation(std::move(path)))
{}

PriceListEditor::PriceListEditor(std::shared_ptr<PriceConnection> connection)
    : list_(std::move(connection))
{}

PriceListEditor::~PriceListEditor() = default;

PriceList::OpenResult PriceListEditor::open()
{
    problem_.clear();
    const PriceList::OpenResult result = list_.open();
    if (result == PriceList::OpenResult::FileMissing ||
        result == PriceList::OpenResult::Unreachable)
        problem_ = list_.openProblem();
    else if (result == PriceList::OpenResult::Unusable)
        problem_ = QStringLiteral("The price list cannot be used: %1").arg(list_.openProblem());
    return result;
}

QList<PriceEntry> PriceListEditor::entries(QString* problem)
{
    return list_.entries(problem);
}

PriceHistoryRead PriceListEditor::history(const QString& item)
{
    return PriceHistory::Read(*list_.connection(), item);
}

QString PriceListEditor::itemNameProblem(const QString& item)
{
    return ItemNames::nameProblem(item);
}

QString PriceListEditor::moneyText(const QString& stored)
{
    const std::optional<double> value = StrictNumber(stored);
    if (!value)
        return stored;
    QString text = NumberText(*value);
    const int point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        text += QLatin1Char('.');
    const int decimals = point < 0 ? 0 : int(text.size()) - point - 1;
    for (int d = decimals; d < 2; ++d)
        text += QLatin1Char('0');
    return text;
}

QString PriceListEditor::refusal(const QString& what, const QSqlError& error)
{
    // A server's login that may read the prices but not change them (a
    // clerk's): whichever statement of the change the server refused.
    if (list_.isServer() && Dialect::Server().kind(error) == StoreKind::PermissionDenied)
        return QStringLiteral("%1: only the owner can change prices, and the %2 lets this login "
                              "read them only. Nothing was changed. Ask the owner to make the "
                              "change. (%3)")
            .arg(what, describe(), Database::ServerErrorDetail(error));
    return QStringLiteral("%1. Nothing was changed. %2")
        .arg(what, list_.connection()->reason(error, true));
}

template <typename Work> EditResult PriceListEditor::inTransaction(const QString& what, Work work)
{
    EditResult result;
    if (!list_.isOpen()) {
        result.problem = QStringLiteral("%1: the price list is not open.").arg(what);
        return result;
    }
    // A file deleted or replaced since it was opened: never write to the old
    // one in secret; move to the new one, or say that there is none.
    QString gone;
    if (!list_.connection()->ready(&gone)) {
        result.problem = QStringLiteral("%1: %2").arg(what, gone);
        return result;
    }
    if (!list_.connection()->mayChange(&gone)) {
        result.problem = QStringLiteral("%1. Nothing was changed. %2").arg(what, gone);
        return result;
    }
    QSqlDatabase& db = list_.connection()->db();
    QSqlError error;
    // No wait on a server outlasts the limit: a statement held on the way,
    // a lock held elsewhere, a commit whose answer does not come.
    std::optional<ServerWatch> watch;
    if (list_.isServer())
        watch.emplace(db);
    const auto unwatch = [&] {
        const bool cut = watch && watch->cut();
        watch.reset();
        if (cut)
            list_.connection()->notAnswered();
    };
    if (list_.isView()) {
        unwatch();
        result.problem =
            QStringLiteral("%1: Charges1 in %2 is a view, not a table, so its prices cannot be "
                           "changed through it. Change them in the table that the view shows, or "
                           "make Charges1 an ordinary table. The file was left as it was.")
                .arg(what, path());
        return result;
    }
    {
        QSqlError refused;
        const Dialect& dialect = Dialect::Of(db);
        bool begun = dialect.beginWriting(db, QStringLiteral("Charges1"), &refused);
        // A server's connection found broken (not cut at the limit) is made
        // again, and tried once more.
        if (!begun && list_.isServer() && !(watch && watch->cut())) {
            watch.reset();
            if (list_.connection()->reconnect(nullptr)) {
                watch.emplace(db);
                begun = dialect.beginWriting(db, QStringLiteral("Charges1"), &refused);
            }
        }
        if (!begun) {
            unwatch();
            result.problem = refusal(what, refused);
            return result;
        }
    }
    // On a server, the change's number: whether it was kept can be asked
    // after its commit's answer is lost.
    std::optional<qint64> transaction;
    if (list_.isServer())
        transaction = TransactionNumber(db, &error);
    // In a file, the change records itself in the price history as it is
    // made (on a server, the server's own trigger records it).
    bool ok =
        (list_.isServer() ? transaction.has_value() : PriceHistory::RecordInFile(db, &error)) &&
        work(result, error) && (list_.isServer() || PriceHistory::RecordedInFile(db, &error));
    bool committing = false;
    if (ok) {
        QSqlQuery commit(db);
        committing = true;
        ok = commit.exec(Commit);
        if (!ok)
            error = commit.lastError();
    }
    if (!ok) {
        QSqlQuery rollback(db);
        rollback.exec(Rollback);
        // Everything went through and the answer to the commit never came:
        // the server is asked whether it kept the change, on a connection of
        // its own. When it cannot be asked now, the change may have been
        // kept: told as that, never as "nothing was changed", and asked
        // again once the server answers.
        const bool lostAnswer = committing && list_.isServer() &&
                                Dialect::Server().kind(error) == StoreKind::Unreachable;
        const Kept kept = lostAnswer ? TransactionKept(path(), *transaction) : Kept::No;
        if (lostAnswer && kept != Kept::NotKnown && watch && watch->cut()) {
            watch.reset(); // the server answered, on a connection of its own
            list_.connection()->answeredElsewhere();
        }
        unwatch();
        if (kept == Kept::Yes) {
            result.done = true;
            return result;
        }
        if (kept == Kept::NotKnown) {
            lostChange_ = transaction;
            result = EditResult();
            result.mayBeSaved = true;
            result.problem =
                QStringLiteral("The server's answer to the save was lost, so the change may "
                               "have been kept; whether it was cannot be told until the server "
                               "answers again. %1")
                    .arg(list_.connection()->reason(error, true));
            return result;
        }
        const QString problem = result.problem;
        const QStringList conflicts = result.conflicts;
        const QString lookAlike = result.lookAlike;
        result = EditResult();
        result.problem = problem.isEmpty() ? refusal(what, error) : problem;
        result.conflicts = conflicts;
        result.lookAlike = lookAlike;
        return result;
    }
    unwatch();
    FileWatch::NoteWrite();
    result.done = true;
    return result;
}

bool PriceListEditor::writeItem(const QString& item, double cost,
                                const std::optional<QString>& category, bool confirmedNew,
                                EditResult& result, QSqlError& error)
{
    QSqlDatabase& db = list_.connection()->db();
    {
        QSqlQuery update(db);
        if (!prepare(update, category ? UpdateCostAndCategory : UpdateCost, error))
            return false;
        update.addBindValue(cost);
        if (category)
            update.addBindValue(*category);
        update.addBindValue(item);
        if (!run(update, error))
            return false;
        const int rows = update.numRowsAffected();
        if (rows > 0) {
            result.changed += rows;
            return true;
        }
    }
    if (!confirmedNew) {
        QHash<QString, QList<qint64>> rows;
        if (!readNames(db, &rows, error))
            return false;
        const KnownNames known(rows);
        const QString other = known.lookAlike(item);
        if (!other.isEmpty()) {
            result.lookAlike = other;
            result.problem = lookAlikeProblem(item, other);
            return false;
        }
    }
    QSqlQuery insert(db);
    if (!prepare(insert, InsertRow, error))
        return false;
    insert.addBindValue(item);
    insert.addBindValue(cost);
    insert.addBindValue(category.value_or(DefaultCategory));
    if (!run(insert, error))
        return false;
    ++result.added;
    return true;
}

EditResult PriceListEditor::setCost(const QString& item, const QString& cost,
                                    const std::optional<QString>& category, bool confirmedNew)
{
    EditResult result;
    result.problem = itemNameProblem(item);
    if (result.problem.isEmpty())
        result.problem = costProblem(item, cost);
    if (result.problem.isEmpty() && category)
        result.problem = ItemNames::categoryProblem(*category);
    if (!result.problem.isEmpty())
        return result;
    const double amount = MoneyAmount(cost).value_or(0);
    return inTransaction(QStringLiteral("The price of \"%1\" could not be set").arg(item),
                         [&](EditResult& r, QSqlError& error) {
                             return writeItem(item, amount, category, confirmedNew, r, error);
                         });
}

EditResult PriceListEditor::remove(const QString& item)
{
    return inTransaction(QStringLiteral("\"%1\" could not be removed").arg(item),
                         [&](EditResult& r, QSqlError& error) {
                             QSqlQuery remove(list_.connection()->db());
                             if (!prepare(remove, DeleteItem, error))
                                 return false;
                             remove.addBindValue(item);
                             if (!run(remove, error))
                                 return false;
                             r.removed = remove.numRowsAffected();
                             if (r.removed == 0) {
                                 r.problem = QStringLiteral("\"%1\" is not in the price list, so "
                                                            "nothing was removed.")
                                                 .arg(item);
                                 return false;
                             }
                             return true;
                         });
}

EditResult PriceListEditor::replaceAll(const QList<PriceEntry>& rows)
{
    EditResult result;
    QList<double> costs;
    for (int r = 0; r < rows.size(); ++r) {
        const PriceEntry& row = rows[r];
        const QString problem = rowProblem(row.item, row.cost, row.category);
        if (!problem.isEmpty()) {
            result.problem =
                QStringLiteral("Row %1: %2 Nothing was saved.").arg(r + 1).arg(problem);
            return result;
        }
        costs << MoneyAmount(row.cost).value_or(0);
    }
    return inTransaction(QStringLiteral("The price list could not be saved"),
                         [&](EditResult& r, QSqlError& error) {
                             QSqlQuery query(list_.connection()->db());
                             if (!query.exec(DeleteAll)) {
                                 error = query.lastError();
                                 return false;
                             }
                             r.removed = query.numRowsAffected();
                             if (!prepare(query, InsertRow, error))
                                 return false;
                             for (int i = 0; i < rows.size(); ++i) {
                                 query.addBindValue(rows[i].item);
                                 query.addBindValue(costs[i]);
                                 query.addBindValue(rows[i].category);
                                 if (!run(query, error))
                                     return false;
                                 ++r.added;
                             }
                             return true;
                         });
}

EditResult PriceListEditor::saveChanges(const QList<RowChange>& changes)
{
    using Kind = RowChange::Kind;
    EditResult result;
    // Every row first, every bad one named.
    QStringList bad;
    QHash<QString, int> newNames; // names that the save gives to a row, how often
    for (const RowChange& change : changes) {
        if (change.kind == Kind::Remove)
            continue;
        const PriceEntry& row = change.now;
        const QString problem = rowProblem(row.item, row.cost, row.category);
        if (!problem.isEmpty()) {
            const QString name = row.item.trimmed().isEmpty() ? change.loaded.item : row.item;
            bad << (name.isEmpty() ? problem : QStringLiteral("\"%1\": %2").arg(name, problem));
        }
        if (change.kind == Kind::Add || row.item != change.loaded.item)
            ++newNames[row.item];
    }
    for (auto n = newNames.constBegin(); n != newNames.constEnd(); ++n) {
        if (n.value() > 1 && !n.key().trimmed().isEmpty())
            bad << QStringLiteral("\"%1\" is given to %2 rows; an item may be there once.")
                       .arg(n.key())
                       .arg(n.value());
    }
    if (!bad.isEmpty()) {
        result.problem = bad.join(QLatin1Char('\n')) + QStringLiteral("\nNothing was saved.");
        return result;
    }
    return inTransaction(
        QStringLiteral("The price list could not be saved"), [&](EditResult& r, QSqlError& error) {
            QSqlDatabase& db = list_.connection()->db();
            // Rows changed elsewhere since the window read them.
            QSqlQuery read(db);
            read.setForwardOnly(true);
            if (!prepare(read, ReadRow, error))
                return false;
            for (const RowChange& change : changes) {
                if (change.kind == Kind::Add)
                    continue;
                read.bindValue(0, change.rowId);
                if (!run(read, error))
                    return false;
                const bool same = read.next() && read.value(0).toString() == change.loaded.item &&
                                  StoredCostText(read.value(1)) == change.loaded.cost &&
                                  read.value(2).toString() == change.loaded.category;
                read.finish();
                if (!same)
                    r.conflicts << change.loaded.item;
            }
            if (!r.conflicts.isEmpty()) {
                QStringList names;
                for (const QString& item : r.conflicts)
                    names << QStringLiteral("\"%1\"").arg(item);
                r.problem = QStringLiteral("Someone else changed or removed %1 since the price "
                                           "list was read, so nothing was saved. Read the price "
                                           "list again and make the changes once more.")
                                .arg(names.join(QStringLiteral(", ")));
                return false;
            }
            QSqlQuery remove(db), update(db), insert(db);
            if (!prepare(remove, DeleteRow, error) || !prepare(update, UpdateRow, error) ||
                !prepare(insert, InsertRow, error))
                return false;
            for (const RowChange& change : changes) {
                QSqlQuery* query = &insert;
                if (change.kind == Kind::Remove) {
                    query = &remove;
                } else {
                    query = change.kind == Kind::Add ? &insert : &update;
                    query->addBindValue(change.now.item);
                    query->addBindValue(MoneyAmount(change.now.cost).value_or(0));
                    query->addBindValue(change.now.category);
                }
                if (change.kind != Kind::Add)
                    query->addBindValue(change.rowId);
                if (!run(*query, error))
                    return false;
                ++(change.kind == Kind::Add      ? r.added
                   : change.kind == Kind::Change ? r.changed
                                                 : r.removed);
            }
            // A new name that another row already holds.
            QSqlQuery count(db);
            if (!prepare(count, CountItem, error))
                return false;
            QStringList held;
            for (auto n = newNames.constBegin(); n != newNames.constEnd(); ++n) {
                count.bindValue(0, n.key());
                if (!run(count, error))
                    return false;
                if (count.next() && count.value(0).toLongLong() > 1)
                    held << QStringLiteral("\"%1\"").arg(n.key());
                count.finish();
            }
            if (!held.isEmpty()) {
                held.sort();
                r.problem =
                    QStringLiteral("%1 already in the price list; an item may be there "
                                   "once. Nothing was saved.")
                        .arg(held.join(QStringLiteral(", ")) +
                             (held.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are")));
                return false;
            }
            return true;
        });
}

QString PriceListEditor::csvText(QString* problem)
{
    QString reading;
    const QList<PriceEntry> rows = entries(&reading);
    if (problem)
        *problem = reading;
    return reading.isEmpty() ? csvFrom(rows) : QString();
}

QString PriceListEditor::csvFrom(const QList<PriceEntry>& rows)
{
    QString text = Csv::format(CsvHeader) + QLatin1Char('\n');
    for (const PriceEntry& row : rows) {
        const QString cost = moneyText(row.cost);
        text += Csv::format({Csv::inert(row.item), StrictNumber(cost) ? cost : Csv::inert(cost),
                             Csv::inert(row.category)}) +
                QLatin1Char('\n');
    }
    return text;
}

EditResult PriceListEditor::exportCsv(const QString& csvPath)
{
    EditResult result;
    QString problem;
    const QList<PriceEntry> rows = entries(&problem);
    if (!problem.isEmpty()) {
        result.problem = problem;
        return result;
    }
    result.problem = WriteWholeFile(csvPath, csvFrom(rows).toUtf8(),
                                    {{path(), QStringLiteral("the price list")}})
                         .problem;
    if (!result.problem.isEmpty())
        return result;
    result.done = true;
    result.exported = int(rows.size());
    return result;
}

namespace {

// What a header line that is not Item,Cost,Category was most likely meant to
// be, said so that the owner can save the file the right way.
QString headerProblem(int line, const QStringList& fields)
{
    QString problem = QStringLiteral("Line %1: the first line must be the header "
                                     "Item,Cost,Category.")
                          .arg(line);
    const QString joined = fields.join(QLatin1Char(','));
    if (fields.size() == 1 && joined.contains(QLatin1Char(';')))
        problem += QStringLiteral(" This file separates its columns with semicolons; a comma "
                                  "must separate them. Save it from the spreadsheet as CSV with "
                                  "commas (\"CSV (comma delimited)\").");
    else if (fields.size() == 1 && joined.contains(QLatin1Char('\t')))
        problem += QStringLiteral(" This file separates its columns with tabs; a comma must "
                                  "separate them. Save it from the spreadsheet as CSV with "
                                  "commas (\"CSV (comma delimited)\").");
    return problem;
}

} // namespace

EditResult PriceListEditor::importCsvText(const QString& text, bool confirmedNew)
{
    EditResult result;
    const auto refuse = [&](const QString& problem) {
        result.problem = problem + QStringLiteral(" Nothing was changed.");
        return result;
    };
    QString problem;
    // A spreadsheet may start the file with a byte order mark.
    const bool marked = text.startsWith(QChar(0xFEFF));
    const QList<Csv::Record> records = Csv::parse(marked ? text.mid(1) : text, &problem);
    if (!problem.isEmpty())
        return refuse(problem);
    if (records.isEmpty())
        return refuse(QStringLiteral("Line 1: the first line must be the header "
                                     "Item,Cost,Category."));
    QStringList header = records.first().fields;
    for (QString& name : header)
        name = name.trimmed();
    if (header.size() != CsvHeader.size() ||
        header.join(QLatin1Char(','))
                .compare(CsvHeader.join(QLatin1Char(',')), Qt::CaseInsensitive) != 0)
        return refuse(headerProblem(records.first().line, records.first().fields));

    QList<ImportLine> lines;
    lines.reserve(records.size());
    QHash<QString, int> lineOfItem;
    for (int r = 1; r < records.size(); ++r) {
        const Csv::Record& record = records[r];
        const QStringList& fields = record.fields;
        const auto bad = [&](const QString& why) {
            return refuse(QStringLiteral("Line %1: %2").arg(record.line).arg(why));
        };
        if (fields.size() < 2 || fields.size() > 3)
            return bad(QStringLiteral("a line holds Item,Cost,Category, but this one has %1.")
                           .arg(CountOf(fields.size(), QStringLiteral("field"),
                                        QStringLiteral("fields"))));
        ImportLine line;
        line.line = record.line;
        line.item = Csv::fromInert(fields[0]);
        const QString category = fields.size() == 3 ? Csv::fromInert(fields[2]) : QString();
        const QString why = rowProblem(line.item, fields[1], category);
        if (!why.isEmpty())
            return bad(why);
        if (lineOfItem.contains(line.item))
            return bad(QStringLiteral("\"%1\" is already on line %2; an item may appear once.")
                           .arg(line.item)
                           .arg(lineOfItem.value(line.item)));
        lineOfItem.insert(line.item, record.line);
        line.cost = MoneyAmount(fields[1]).value_or(0);
        if (!category.isEmpty())
            line.category = category;
        lines << line;
    }
    return inTransaction(
        QStringLiteral("The import could not be saved"), [&](EditResult& r, QSqlError& error) {
            // The table is read once and the lines matched to it here: the
            // file needs no index on Item for a large import to be quick.
            QSqlDatabase& db = list_.connection()->db();
            QHash<QString, QList<qint64>> rows;
            if (!readNames(db, &rows, error))
                return false;
            KnownNames known(rows);
            for (const ImportLine& line : lines) {
                if (rows.contains(line.item))
                    continue;
                const QString other = known.lookAlike(line.item);
                if (!other.isEmpty() && !confirmedNew) {
                    r.lookAlike = other;
                    r.problem = QStringLiteral("Line %1: %2 Nothing was changed.")
                                    .arg(line.line)
                                    .arg(lookAlikeProblem(line.item, other));
                    return false;
                }
                known.add(line.item);
            }
            QSqlQuery cost(db), costAndCategory(db), insert(db);
            if (!prepare(cost, UpdateCostOfRow, error) ||
                !prepare(costAndCategory, UpdateCostAndCategoryOfRow, error) ||
                !prepare(insert, InsertRow, error))
                return false;
            for (const ImportLine& line : lines) {
                const auto failedAt = [&]() {
                    r.problem = refusal(QStringLiteral("The import could not be saved at line %1 "
                                                       "(\"%2\")")
                                            .arg(line.line)
                                            .arg(line.item),
                                        error) +
                                QStringLiteral(" Nothing was changed.");
                    return false;
                };
                const auto found = rows.constFind(line.item);
                if (found == rows.constEnd()) {
                    insert.addBindValue(line.item);
                    insert.addBindValue(line.cost);
                    insert.addBindValue(line.category.value_or(DefaultCategory));
                    if (!run(insert, error))
                        return failedAt();
                    ++r.added;
                    continue;
                }
                QSqlQuery& update = line.category ? costAndCategory : cost;
                for (const qint64 rowId : *found) {
                    update.addBindValue(line.cost);
                    if (line.category)
                        update.addBindValue(*line.category);
                    update.addBindValue(rowId);
                    if (!run(update, error))
                        return failedAt();
                    r.changed += update.numRowsAffected();
                }
            }
            return true;
        });
}

EditResult PriceListEditor::importCsv(const QString& csvPath, bool confirmedNew)
{
    EditResult result;
    const auto refuse = [&](const QString& problem) {
        result.problem = problem + QStringLiteral(" Nothing was changed.");
        return result;
    };
    if (csvPath.isEmpty())
        return refuse(QStringLiteral("The import needs the name of a CSV file."));
    const QFileInfo info(csvPath);
    if (!info.exists())
        return refuse(QStringLiteral("There is no file %1.").arg(csvPath));
    if (info.isDir())
        return refuse(QStringLiteral("%1 is a folder; give the name of a CSV file.").arg(csvPath));
    if (info.isFile() && info.size() > MaxImportBytes)
        return refuse(QStringLiteral("%1 is larger than 50 MB, far more than a price list; give "
                                     "the CSV file of the price list.")
                          .arg(csvPath));
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("%1 could not be read: %2.").arg(csvPath, file.errorString()));
    // Read in pieces, and no further than a price list can be: a device or a
    // pipe that never ends is refused as soon as it is too long.
    QByteArray bytes;
    int line = 1;
    int lineCharacters = 0;
    for (;;) {
        const QByteArray piece = file.read(64 * 1024);
        if (piece.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                return refuse(
                    QStringLiteral("%1 could not be read: %2.").arg(csvPath, file.errorString()));
            break;
        }
        if (bytes.size() + piece.size() > MaxImportBytes)
            return refuse(QStringLiteral("%1 is larger than 50 MB, far more than a price list; "
                                         "give the CSV file of the price list.")
                              .arg(csvPath));
        for (const char byte : piece) {
            if (byte == '\n') {
                ++line;
                lineCharacters = 0;
            } else if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80 &&
                       ++lineCharacters > MaxLineCharacters) {
                return refuse(QStringLiteral("Line %1 of %2 is longer than 10,000 characters; "
                                             "this is not a price list in CSV.")
                                  .arg(line)
                                  .arg(csvPath));
            }
        }
        bytes += piece;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return refuse(
            QStringLiteral("%1 is not UTF-8 text; save it as CSV in UTF-8.").arg(csvPath));
    return importCsvText(text, confirmedNew);
}

Kept PriceListEditor::settleLostChange()
{
    if (!lostChange_ || !list_.connection()->connectWhenAnswering())
        return Kept::NotKnown;
    const Kept kept = TransactionKept(path(), *lostChange_);
    if (kept != Kept::NotKnown)
        lostChange_.reset();
    return kept;
}
