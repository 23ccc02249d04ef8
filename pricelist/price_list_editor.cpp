#include "price_list_editor.h"

#include "csv.h"
#include "numbers.h"
#include "price_items.h"
#include "sqlite_errors.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>

namespace {

const QString BeginWriting = QStringLiteral("Begin Immediate");
const QString Commit = QStringLiteral("Commit");
const QString Rollback = QStringLiteral("Rollback");
const QString UpdateCost = QStringLiteral("Update Charges1 Set Cost = ? Where Item = ?");
const QString UpdateCostAndCategory =
    QStringLiteral("Update Charges1 Set Cost = ?, Category = ? Where Item = ?");
const QString InsertRow =
    QStringLiteral("Insert Into Charges1 (Item, Cost, Category) Values (?, ?, ?)");
const QString DeleteItem = QStringLiteral("Delete From Charges1 Where Item = ?");
const QString DeleteAll = QStringLiteral("Delete From Charges1");

// SQLite's primary result codes that a shop owner can do something about.
bool holdsControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

QString categoryProblem(const QString& category)
{
    if (holdsControlCharacter(category))
        return QStringLiteral("A category cannot hold a line break or another control "
                              "character.");
    return QString();
}

// Why a cost text cannot be stored; empty when it can.
QString costProblem(const QString& item, const QString& cost)
{
    if (cost.trimmed().isEmpty())
        return QStringLiteral("\"%1\" has no cost.").arg(item);
    return MoneyAmountProblem(cost);
}

// One checked line of an import.
struct ImportLine {
    QString item;
    double cost = 0;
    std::optional<QString> category;
};

} // namespace

const QString PriceListEditor::DefaultCategory = PriceItem::AddedItemCategory;
const QStringList PriceListEditor::CsvHeader = {QStringLiteral("Item"), QStringLiteral("Cost"),
                                                QStringLiteral("Category")};

PriceListEditor::PriceListEditor(QString path)
    : list_(std::move(path))
{}

PriceListEditor::~PriceListEditor() = default;

PriceList::OpenResult PriceListEditor::open()
{
    problem_.clear();
    const PriceList::OpenResult result = list_.open();
    if (result == PriceList::OpenResult::FileMissing)
        problem_ = list_.openProblem();
    else if (result == PriceList::OpenResult::Unusable)
        problem_ = QStringLiteral("The price list cannot be used: %1").arg(list_.openProblem());
    return result;
}

QList<PriceEntry> PriceListEditor::entries(QString* problem)
{
    return list_.entries(problem);
}

QString PriceListEditor::itemNameProblem(const QString& item)
{
    if (item.trimmed().isEmpty())
        return QStringLiteral("An item needs a name.");
    if (holdsControlCharacter(item))
        return QStringLiteral("An item name cannot hold a line break or another control "
                              "character.");
    return QString();
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

QString PriceListEditor::refusal(const QString& what, const QSqlError& error) const
{
    QString reason = SqliteErrorReason(error);
    if (reason.isEmpty())
        reason = QStringLiteral("the price list refused the change");
    return QStringLiteral("%1: %2. %3 was left as it was (%4).")
        .arg(what, reason, path(), SqliteErrorDetail(error));
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
    if (!list_.stillTheFile(&gone)) {
        result.problem = QStringLiteral("%1: %2").arg(what, gone);
        return result;
    }
    QSqlDatabase& db = list_.db_;
    QSqlError error;
    {
        QSqlQuery begin(db);
        if (!begin.exec(BeginWriting)) {
            result.problem = refusal(what, begin.lastError());
            return result;
        }
    }
    bool ok = work(result, error);
    if (ok) {
        QSqlQuery commit(db);
        ok = commit.exec(Commit);
        if (!ok)
            error = commit.lastError();
    }
    if (!ok) {
        QSqlQuery rollback(db);
        rollback.exec(Rollback);
        const QString problem = result.problem;
        result = EditResult();
        result.problem = problem.isEmpty() ? refusal(what, error) : problem;
        return result;
    }
    PriceList::noteWrite();
    result.done = true;
    return result;
}

bool PriceListEditor::writeItem(const QString& item, double cost,
                                const std::optional<QString>& category, EditResult& result,
                                QSqlError& error)
{
    QSqlDatabase& db = list_.db_;
    {
        QSqlQuery update(db);
        update.prepare(category ? UpdateCostAndCategory : UpdateCost);
        update.addBindValue(cost);
        if (category)
            update.addBindValue(*category);
        update.addBindValue(item);
        if (!update.exec()) {
            error = update.lastError();
            return false;
        }
        const int rows = update.numRowsAffected();
        if (rows > 0) {
            result.changed += rows;
            return true;
        }
    }
    QSqlQuery insert(db);
    insert.prepare(InsertRow);
    insert.addBindValue(item);
    insert.addBindValue(cost);
    insert.addBindValue(category.value_or(DefaultCategory));
    if (!insert.exec()) {
        error = insert.lastError();
        return false;
    }
    ++result.added;
    return true;
}

EditResult PriceListEditor::setCost(const QString& item, const QString& cost,
                                    const std::optional<QString>& category)
{
    EditResult result;
    result.problem = itemNameProblem(item);
    if (result.problem.isEmpty())
        result.problem = costProblem(item, cost);
    if (result.problem.isEmpty() && category)
        result.problem = categoryProblem(*category);
    if (!result.problem.isEmpty())
        return result;
    const double amount = MoneyAmount(cost).value_or(0);
    return inTransaction(QStringLiteral("The price of \"%1\" could not be set").arg(item),
                         [&](EditResult& r, QSqlError& error) {
                             return writeItem(item, amount, category, r, error);
                         });
}

EditResult PriceListEditor::remove(const QString& item)
{
    return inTransaction(QStringLiteral("\"%1\" could not be removed").arg(item),
                         [&](EditResult& r, QSqlError& error) {
                             QSqlQuery remove(list_.db_);
                             remove.prepare(DeleteItem);
                             remove.addBindValue(item);
                             if (!remove.exec()) {
                                 error = remove.lastError();
                                 return false;
                             }
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
        QString problem = itemNameProblem(row.item);
        if (problem.isEmpty())
            problem = costProblem(row.item, row.cost);
        if (problem.isEmpty())
            problem = categoryProblem(row.category);
        if (!problem.isEmpty()) {
            result.problem =
                QStringLiteral("Row %1: %2 Nothing was saved.").arg(r + 1).arg(problem);
            return result;
        }
        costs << MoneyAmount(row.cost).value_or(0);
    }
    return inTransaction(QStringLiteral("The price list could not be saved"),
                         [&](EditResult& r, QSqlError& error) {
                             QSqlQuery query(list_.db_);
                             if (!query.exec(DeleteAll)) {
                                 error = query.lastError();
                                 return false;
                             }
                             r.removed = query.numRowsAffected();
                             query.prepare(InsertRow);
                             for (int i = 0; i < rows.size(); ++i) {
                                 query.addBindValue(rows[i].item);
                                 query.addBindValue(costs[i]);
                                 query.addBindValue(rows[i].category);
                                 if (!query.exec()) {
                                     error = query.lastError();
                                     return false;
                                 }
                                 ++r.added;
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
    for (const PriceEntry& row : rows)
        text += Csv::format({row.item, moneyText(row.cost), row.category}) + QLatin1Char('\n');
    return text;
}

EditResult PriceListEditor::exportCsv(const QString& csvPath)
{
    EditResult result;
    const QFileInfo target(csvPath);
    const QFileInfo priceList(path());
    if (target.exists() && target.canonicalFilePath() == priceList.canonicalFilePath()) {
        result.problem = QStringLiteral("%1 is the price list itself; give the CSV file another "
                                        "name.")
                             .arg(csvPath);
        return result;
    }
    QString problem;
    const QList<PriceEntry> rows = entries(&problem);
    if (!problem.isEmpty()) {
        result.problem = problem;
        return result;
    }
    QSaveFile file(csvPath);
    const QByteArray bytes = csvFrom(rows).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        result.problem =
            QStringLiteral("%1 could not be written: %2.").arg(csvPath, file.errorString());
        return result;
    }
    result.done = true;
    result.exported = int(rows.size());
    return result;
}

EditResult PriceListEditor::importCsvText(const QString& text)
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
        return refuse(QStringLiteral("Line %1: the first line must be the header "
                                     "Item,Cost,Category.")
                          .arg(records.first().line));

    QList<ImportLine> lines;
    QHash<QString, int> lineOfItem;
    for (int r = 1; r < records.size(); ++r) {
        const Csv::Record& record = records[r];
        const QStringList& fields = record.fields;
        const auto bad = [&](const QString& why) {
            return refuse(QStringLiteral("Line %1: %2").arg(record.line).arg(why));
        };
        if (fields.size() < 2 || fields.size() > 3)
            return bad(QStringLiteral("a line holds Item,Cost,Category, but this one has %1 "
                                      "field(s).")
                           .arg(fields.size()));
        ImportLine line;
        line.item = fields[0];
        QString why = itemNameProblem(line.item);
        if (why.isEmpty())
            why = costProblem(line.item, fields[1]);
        if (why.isEmpty() && fields.size() == 3)
            why = categoryProblem(fields[2]);
        if (!why.isEmpty())
            return bad(why);
        if (lineOfItem.contains(line.item))
            return bad(QStringLiteral("\"%1\" is already on line %2; an item may appear once.")
                           .arg(line.item)
                           .arg(lineOfItem.value(line.item)));
        lineOfItem.insert(line.item, record.line);
        line.cost = MoneyAmount(fields[1]).value_or(0);
        if (fields.size() == 3 && !fields[2].isEmpty())
            line.category = fields[2];
        lines << line;
    }
    return inTransaction(QStringLiteral("The import could not be saved"),
                         [&](EditResult& r, QSqlError& error) {
                             for (const ImportLine& line : lines) {
                                 if (!writeItem(line.item, line.cost, line.category, r, error))
                                     return false;
                             }
                             return true;
                         });
}

EditResult PriceListEditor::importCsv(const QString& csvPath)
{
    EditResult result;
    if (!QFileInfo::exists(csvPath)) {
        result.problem = QStringLiteral("There is no file %1. Nothing was changed.").arg(csvPath);
        return result;
    }
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.problem = QStringLiteral("%1 could not be read: %2. Nothing was changed.")
                             .arg(csvPath, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        result.problem = QStringLiteral("%1 is not UTF-8 text; save it as CSV in UTF-8. Nothing "
                                        "was changed.")
                             .arg(csvPath);
        return result;
    }
    return importCsvText(text);
}
