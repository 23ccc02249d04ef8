#include "book/book_store.h"
#include "store/database.h"
#include "store/dialect.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace BookStore {

namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

// Syncs a folder, so that a file just linked into it stays there.
void syncFolder(const QString& folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

const QString RecordColumns =
    QStringLiteral("Number, Created, Updated, Customer, Phone, Note, Species, LiveWeight, "
                   "QuoteTotal, FinalTotal, QuoteState, FinalState, Revision, AnimalTag, "
                   "SharePart, QuoteCents, FinalCents, LivePounds, WeighedHanging, "
                   "QuoteServices, FinalServices, Figured, LikelyLow, LikelyHigh, Hunter, "
                   "TagLine, CutSheet, SheetChanges");
const QString CopiedColumns =
    RecordColumns + QStringLiteral(", CustomerKey, PhoneKey, PhoneDigits, NoteLine, NoteKey");

QString TimeText(const QDateTime& time)
{
    return time.toString(TimeFormat);
}

QDateTime TimeFrom(const QVariant& value)
{
    // Read by hand as the book writes it (Qt's reading of a format is slow
    // for a list of thousands); anything else as the format reads it.
    const QString text = value.toString();
    const QStringView t(text);
    if (t.size() == 19 && t[4] == u'-' && t[7] == u'-' && t[10] == u'T' && t[13] == u':' &&
        t[16] == u':') {
        const QDate day(t.left(4).toInt(), t.mid(5, 2).toInt(), t.mid(8, 2).toInt());
        const QTime time(t.mid(11, 2).toInt(), t.mid(14, 2).toInt(), t.mid(17, 2).toInt());
        if (day.isValid() && time.isValid())
            return QDateTime(day, time);
    }
    return QDateTime::fromString(text, TimeFormat);
}

QDateTime Now()
{
    return TimeFrom(TimeText(QDateTime::currentDateTime()));
}

QString SearchKey(const QString& value)
{
    return value.normalized(QString::NormalizationForm_C).toCaseFolded();
}

QString DigitsOf(const QString& value)
{
    QString digits;
    for (const QChar c : value)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    return digits;
}

QString NoteLineOf(const EstimateRecord& record)
{
    return record.note.left(NoteLineLength);
}

QString NoteKeyOf(const EstimateRecord& record)
{
    QString key = NoteLineOf(record) + QLatin1Char('\n') + record.hunter;
    if (!record.tagLine.isEmpty())
        key += QLatin1Char('\n') + record.tagLine;
    return SearchKey(key);
}

bool LooksLikePhone(const QString& search)
{
    for (const QChar c : search)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) &&
            !QStringLiteral(" -().+/").contains(c))
            return false;
    return !DigitsOf(search).isEmpty();
}

namespace {

const QStringList TextColumns = {
    QStringLiteral("Customer"),    QStringLiteral("Phone"),      QStringLiteral("Note"),
    QStringLiteral("Species"),     QStringLiteral("LiveWeight"), QStringLiteral("QuoteTotal"),
    QStringLiteral("FinalTotal"),  QStringLiteral("QuoteState"), QStringLiteral("FinalState"),
    QStringLiteral("CustomerKey"), QStringLiteral("PhoneKey"),   QStringLiteral("PhoneDigits"),
    QStringLiteral("AnimalTag"),   QStringLiteral("SharePart"),  QStringLiteral("Hunter"),
    QStringLiteral("NoteLine"),    QStringLiteral("NoteKey"),    QStringLiteral("TagLine"),
    QStringLiteral("CutSheet")};
const QStringList FigureColumnList = {
    QStringLiteral("QuoteCents"),    QStringLiteral("FinalCents"),
    QStringLiteral("LivePounds"),    QStringLiteral("WeighedHanging"),
    QStringLiteral("QuoteServices"), QStringLiteral("FinalServices"),
    QStringLiteral("Figured"),       QStringLiteral("LikelyLow"),
    QStringLiteral("LikelyHigh"),    QStringLiteral("SheetChanges")};

QString assignments(const QStringList& columns)
{
    QStringList set;
    for (const QString& column : columns)
        set << column + QStringLiteral(" = ?");
    return set.join(QStringLiteral(", "));
}

QVariantList figureValues(const EstimateRecord& record)
{
    const auto number = [](const auto& value) {
        return value ? QVariant(*value) : QVariant();
    };
    return {number(record.quoteCents), number(record.finalCents),
            number(record.livePounds), number(record.weighedHanging),
            record.quoteServices,      record.finalServices,
            record.figured ? 1 : 0,    number(record.likelyLow),
            number(record.likelyHigh), record.sheetChanges};
}

} // namespace

const QStringList ContentColumns = TextColumns + FigureColumnList;

QVariantList ContentValues(const Dialect& dialect, const EstimateRecord& record)
{
    QVariantList values;
    for (const QString& value :
         {record.customer, record.phone, record.note, record.species, record.liveWeight,
          record.quoteTotal, record.finalTotal, record.quoteState, record.finalState,
          SearchKey(record.customer), SearchKey(record.phone), DigitsOf(record.phone),
          record.animalTag, record.sharePart, record.hunter, NoteLineOf(record), NoteKeyOf(record),
          record.tagLine, record.cutSheet})
        values << dialect.text(value);
    return values + figureValues(record);
}

void BindContent(QSqlQuery& query, const EstimateRecord& record)
{
    for (const QVariant& value : ContentValues(Dialect::Of(query.driver()), record))
        query.addBindValue(value);
}

void BindFigures(QSqlQuery& query, const EstimateRecord& record)
{
    for (const QVariant& value : figureValues(record))
        query.addBindValue(value);
}

const QString FigureColumns = assignments(FigureColumnList);
const QString ContentAssignments = assignments(ContentColumns);

std::optional<qint64> CentsColumn(const QSqlQuery& query, int column)
{
    const QVariant value = query.value(column);
    return value.isNull() ? std::nullopt : std::optional<qint64>(value.toLongLong());
}

void ReadRecord(const QSqlQuery& query, EstimateRecord& record)
{
    record.number = query.value(0).toLongLong();
    record.created = TimeFrom(query.value(1));
    record.updated = TimeFrom(query.value(2));
    record.customer = query.value(3).toString();
    record.phone = query.value(4).toString();
    record.note = query.value(5).toString();
    record.species = query.value(6).toString();
    record.liveWeight = query.value(7).toString();
    record.quoteTotal = query.value(8).toString();
    record.finalTotal = query.value(9).toString();
    record.quoteState = query.value(10).toString();
    record.finalState = query.value(11).toString();
    record.revision = query.value(12).toLongLong();
    record.animalTag = query.value(13).toString();
    record.sharePart = query.value(14).toString();
    const auto cents = [&](int i) {
        return CentsColumn(query, i);
    };
    const auto pounds = [&](int i) {
        return query.value(i).isNull() ? std::nullopt
                                       : std::optional<double>(query.value(i).toDouble());
    };
    record.quoteCents = cents(15);
    record.finalCents = cents(16);
    record.livePounds = pounds(17);
    record.weighedHanging = pounds(18);
    record.quoteServices = query.value(19).toInt();
    record.finalServices = query.value(20).toInt();
    record.figured = query.value(21).toInt() != 0;
    record.likelyLow = cents(22);
    record.likelyHigh = cents(23);
    record.hunter = query.value(24).toString();
    record.tagLine = query.value(25).toString();
    record.cutSheet = query.value(26).toString();
    record.sheetChanges = query.value(27).toInt();
}

qint64 Insert(QSqlDatabase& db, const EstimateRecord& record, const QDateTime& time,
              const QString& key, QSqlError* error)
{
    const Dialect& dialect = Dialect::Of(db);
    QSqlQuery query(db);
    QStringList marks;
    for (int i = 0; i < int(ContentColumns.size()); ++i)
        marks << QStringLiteral("?");
    query.prepare(dialect.numberedInsert(
        QStringLiteral("Insert Into Estimates (Created, Updated, %1, SaveKey, Revision) Values (?, "
                       "?, %2, ?, 1)")
            .arg(ContentColumns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
        QStringLiteral("Number")));
    query.addBindValue(TimeText(time));
    query.addBindValue(TimeText(time));
    BindContent(query, record);
    query.addBindValue(key);
    return dialect.insertNumbered(query, QStringLiteral("Number"), error);
}

QString NewSaveKey()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

std::optional<SavedUnder> FindSave(QSqlDatabase& db, const QString& key, QSqlError* error,
                                   const QString& table)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("Select Number, Created, Updated, Revision From %1 Where SaveKey = ?")
            .arg(table));
    query.addBindValue(key);
    if (!query.exec()) {
        *error = query.lastError();
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return SavedUnder{query.value(0).toLongLong(), TimeFrom(query.value(1)),
                      TimeFrom(query.value(2)), query.value(3).toLongLong()};
}

void Adopt(EstimateRecord& record, const SavedUnder& saved)
{
    record.number = saved.number;
    record.created = saved.created;
    record.updated = saved.updated;
    record.revision = saved.revision;
}

Outcome OutcomeOf(const QString& url, const QString& key, SavedUnder* saved, const QString& table)
{
    Outcome outcome = Outcome::Unknown;
    Database::OnOwnConnection(url, "outcome", [&](QSqlDatabase& db) {
        ServerWatch watch(db);
        QSqlError error;
        if (const std::optional<SavedUnder> found = FindSave(db, key, &error, table)) {
            *saved = *found;
            outcome = Outcome::Saved;
        } else if (!error.isValid()) {
            outcome = Outcome::NotSaved;
        }
    });
    return outcome;
}

Creation Create(const QString& path, const QList<EstimateRecord*>& records, QString* problem)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString cannotMake =
        QStringLiteral("The estimates file cannot be made in the folder %1: this user may not "
                       "write in it, or it cannot be made. Let this user write in that folder, or "
                       "keep the estimates file in another one.")
            .arg(folder);
    if (!QDir().mkpath(folder)) {
        *problem = cannotMake;
        return Creation::Failed;
    }
    const QString temporary =
        QStringLiteral("%1/.%2.new-%3").arg(folder, info.fileName()).arg(::getpid());
    QFile::remove(temporary);
    const QDateTime time = Now();
    QList<qint64> numbers;
    bool made = false;
    QSqlError error;
    const QString name = Database::NextConnectionName("create");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temporary);
        bool ok = db.open();
        if (!ok)
            error = db.lastError();
        if (ok)
            ToWriteAheadLog(db);
        ok = ok && RunStatement(db, QStringLiteral("Begin"), &error) && MakeTables(db, &error);
        for (const EstimateRecord* record : records) {
            const qint64 number = ok ? Insert(db, *record, time, NewSaveKey(), &error) : 0;
            ok = ok && number > 0;
            numbers << number;
        }
        ok = ok && RunStatement(db, QStringLiteral("Commit"), &error);
        made = ok;
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    Creation result = Creation::Failed;
    if (!made) {
        *problem = SqliteCannotOpen(error) ? cannotMake : ErrorWords(path, error, true);
    } else if (::link(QFile::encodeName(temporary).constData(),
                      QFile::encodeName(path).constData()) == 0) {
        result = Creation::Made;
    } else if (errno == EEXIST) {
        result = Creation::There;
    } else if (!QFileInfo::exists(path) && ::rename(QFile::encodeName(temporary).constData(),
                                                    QFile::encodeName(path).constData()) == 0) {
        result = Creation::Made; // a file system without hard links
    } else {
        *problem = QStringLiteral("The estimates file could not be made at %1 (%2).")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    QFile::remove(temporary);
    for (const char* beside : {"-journal", "-wal", "-shm"})
        QFile::remove(temporary + QLatin1String(beside));
    if (result == Creation::Made) {
        syncFolder(folder);
        for (int i = 0; i < int(records.size()); ++i) {
            records[i]->number = numbers[i];
            records[i]->created = time;
            records[i]->updated = time;
            records[i]->revision = 1;
        }
    }
    return result;
}

} // namespace BookStore
