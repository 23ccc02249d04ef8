#include "test_price_list.h"

#include "pricelist/price_list.h"
#include "pricelist/sample_price_list.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QVariant>
#include <unistd.h>

namespace {

// Runs `work` on a connection of its own to the file.
template <typename Work> void withConnection(const QString& path, Work work)
{
    static int counter = 0;
    const QString name = QStringLiteral("test-fixture-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

TestPriceList::TestPriceList()
    : path_(dir_.filePath(QStringLiteral("Lockers.db")))
{}

TestPriceList::~TestPriceList()
{
    if (immutable_)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
    if (folderLocked_ && geteuid() == 0)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), dir_.path()});
    else if (folderLocked_)
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool TestPriceList::makeFolderReadOnly()
{
    if (geteuid() == 0)
        folderLocked_ =
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir_.path()}) == 0;
    else
        folderLocked_ = QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
    return folderLocked_;
}

bool TestPriceList::makeReadOnly()
{
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::ReadUser);
    if (geteuid() != 0)
        return true;
    immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    return immutable_;
}

TestPriceList& TestPriceList::withSample()
{
    const SaveResult made = CreateSamplePriceList(path_);
    if (!made.saved)
        qFatal("%s", qPrintable(made.problem));
    return *this;
}

TestPriceList& TestPriceList::sql(const QStringList& statements)
{
    withConnection(path_, [&](QSqlDatabase& db) {
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            if (!query.exec(statement))
                qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
        }
    });
    return *this;
}

TestPriceList& TestPriceList::price(const QString& item, double cost)
{
    withConnection(path_, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("Update Charges1 Set Cost = ? Where Item = ?"));
        query.addBindValue(cost);
        query.addBindValue(item);
        query.exec();
        if (query.numRowsAffected() == 0) {
            query.prepare(QStringLiteral("Insert Into Charges1 Values (?, ?, 'Test')"));
            query.addBindValue(item);
            query.addBindValue(cost);
            query.exec();
        }
    });
    return *this;
}

TestPriceList& TestPriceList::without(const QString& item)
{
    withConnection(path_, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("Delete From Charges1 Where Item = ?"));
        query.addBindValue(item);
        query.exec();
    });
    return *this;
}

TestPriceList& TestPriceList::refuseInserting(const QString& item)
{
    QString quoted = item;
    quoted.replace(QLatin1String("'"), QLatin1String("''"));
    return sql({QStringLiteral("Create Trigger refuse_item Before Insert On Charges1 When New.Item "
                               "= '%1' Begin Select Raise(Abort, 'no %1 here'); End")
                    .arg(quoted)});
}

QStringList TestPriceList::rows() const
{
    QStringList list;
    withConnection(path_, [&](QSqlDatabase& db) {
        QSqlQuery query(QStringLiteral("Select Item, Cost, Category From Charges1"), db);
        while (query.next())
            list << QStringLiteral("%1|%2|%3")
                        .arg(query.value(0).toString(), query.value(1).toString(),
                             query.value(2).toString());
    });
    return list;
}

QString TestPriceList::integrity() const
{
    QString result;
    withConnection(path_, [&](QSqlDatabase& db) {
        QSqlQuery query(QStringLiteral("Pragma integrity_check"), db);
        result = query.next() ? query.value(0).toString() : query.lastError().text();
    });
    return result;
}

OtherProgram::OtherProgram(const QString& path)
{
    static int counter = 0;
    name_ = QStringLiteral("other-program-%1").arg(++counter);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db_.setDatabaseName(path);
    db_.open();
}

OtherProgram::~OtherProgram()
{
    release();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

bool OtherProgram::lock(bool exclusive)
{
    QSqlQuery begin(db_);
    locked_ = begin.exec(exclusive ? QStringLiteral("Begin Exclusive")
                                   : QStringLiteral("Begin Immediate"));
    QSqlQuery change(db_);
    return locked_ &&
           change.exec(QStringLiteral("Update Charges1 Set Cost = Cost Where rowid = 1"));
}

bool OtherProgram::release()
{
    if (!locked_)
        return true;
    locked_ = false;
    QSqlQuery rollback(db_);
    return rollback.exec(QStringLiteral("Rollback"));
}

QString readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int SampleRows()
{
    // Every line after the heading is one row.
    return int(SamplePricesCsv().trimmed().split(QLatin1Char('\n')).size()) - 1;
}
