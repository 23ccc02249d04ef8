#include "pricelist/sample_price_list.h"

#include "core/numbers.h"
#include "sample_prices.h"
#include "store/csv.h"
#include "store/database.h"
#include "store/dialect.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

QString SamplePricesCsv()
{
    return QString::fromUtf8(SamplePricesCsvText);
}

SaveResult CreateSamplePriceList(const QString& path, bool withPrices)
{
    SaveResult result;
    if (QFileInfo::exists(path)) {
        result.problem = QStringLiteral("%1 already exists; it was left as it is.").arg(path);
        return result;
    }
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        result.problem =
            QStringLiteral("The folder %1 could not be made.").arg(info.absolutePath());
        return result;
    }
    QString problem;
    const QList<Csv::Record> records = Csv::parse(SamplePricesCsv(), &problem);
    const QString temporary = info.absoluteFilePath() + QStringLiteral(".creating");
    QFile::remove(temporary);
    const QString name = Database::NextConnectionName("create");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temporary);
        bool ok = db.open();
        QSqlQuery query(db);
        ok = ok && query.exec(QStringLiteral(
                       "Create Table Charges1 (Item Text, Cost Numeric, Category Text)"));
        ok = ok && query.exec(QStringLiteral("Create Index Charges1_Item On Charges1 (Item)"));
        ok = ok && db.transaction();
        ok = ok && query.prepare(QStringLiteral(
                       "Insert Into Charges1 (Item, Cost, Category) Values (?, ?, ?)"));
        for (int r = 1; ok && withPrices && r < records.size(); ++r) {
            const QStringList& f = records[r].fields;
            query.addBindValue(f.value(0));
            query.addBindValue(MoneyAmount(f.value(1)).value_or(0));
            query.addBindValue(f.value(2));
            ok = query.exec();
        }
        ok = ok && db.commit();
        if (!ok)
            problem = Dialect::Sqlite().reason(query.lastError().isValid() ? query.lastError()
                                                                           : db.lastError(),
                                               temporary, {}, true);
        query.finish();
        query = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!problem.isEmpty() || !QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        result.problem = QStringLiteral("The sample price list could not be made at %1. %2")
                             .arg(path, problem)
                             .trimmed();
        return result;
    }
    result.saved = true;
    return result;
}
