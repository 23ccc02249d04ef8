#include "book/estimate_book.h"

#include "book/book_store.h"
#include "store/database.h"
#include "store/dialect.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace BookStore;

EstimateBook::EstimateBook(StoreLocation location)
    : location_(std::move(location))
    , connection_(std::make_unique<Connection>(location_))
{}

EstimateBook::~EstimateBook()
{
    const QString name = connection_->name;
    connection_.reset();
    QSqlDatabase::removeDatabase(name);
}

QSqlQuery& EstimateBook::Connection::prepared(const QString& statement)
{
    std::shared_ptr<QSqlQuery>& slot = file.prepared[statement];
    if (!slot) {
        slot = std::make_shared<QSqlQuery>(db);
        slot->setForwardOnly(true);
        slot->prepare(statement); // a failure shows when it runs
    }
    return *slot;
}

QString EstimateBook::pathBeside(const QString& priceListPath)
{
    return StoreLocation(priceListPath).estimatesBeside().text();
}

BookResult EstimateBook::save(EstimateRecord& record)
{
    return saveAll({&record});
}

namespace {

// Why the record cannot be written where it stands; empty when it was. The
// number is 0 when it was not, and `error` says why when the book failed.
struct Written {
    qint64 number = 0;
    QString refused;
};

// Why a save of estimate `number` is refused.
QString refusedWords(ServerSave::Answer refusal, const QString& what, qint64 number)
{
    switch (refusal) {
    case ServerSave::Replaced:
        return QStringLiteral("%1: the saved estimate %2 is no longer the one that was opened (the "
                              "saved estimates were put back from a backup, or moved to another "
                              "store, since), and this save would write over another customer's "
                              "estimate. Save it as a new estimate; this one stays on the screen.")
            .arg(what)
            .arg(number);
    case ServerSave::Changed:
        return QStringLiteral("%1: estimate %2 was changed since it was opened (in another "
                              "window or at another counter), and this save would undo "
                              "that change. Open the estimate again and make the changes "
                              "there; this one stays on the screen to be printed.")
            .arg(what)
            .arg(number);
    case ServerSave::SheetUnrecorded:
        return QStringLiteral("%1: the carcass of estimate %2 is cut, so its cut sheet is "
                              "locked. A change to it needs the owner and is recorded with who "
                              "and when: open the cut sheet and change it as the owner.")
            .arg(what)
            .arg(number);
    case ServerSave::SheetNotOwner:
        return QStringLiteral("%1: the carcass of estimate %2 is cut, and only the shop's owner "
                              "may change its cut sheet now. Ask the owner to make the change "
                              "at a counter logged in as the owner.")
            .arg(what)
            .arg(number);
    default:
        return QStringLiteral("%1: estimate %2 was deleted since it was opened. Save it "
                              "again as a new estimate.")
            .arg(what)
            .arg(number);
    }
}

Written write(QSqlDatabase& db, Session& session, EstimateRecord& record, const QDateTime& time,
              const QString& key, const QString& what, QSqlError* error)
{
    Written written;
    if (record.number == 0) {
        written.number = Insert(db, record, time, key, error);
        return written;
    }
    QSqlQuery update(db);
    update.prepare(QStringLiteral("Update Estimates Set Updated = ?, %1, SaveKey = ?, Revision = "
                                  "Revision + 1 Where Number = ? And Created = ? And Revision = ?")
                       .arg(ContentAssignments));
    update.addBindValue(TimeText(time));
    BindContent(update, record);
    update.addBindValue(key);
    // The estimate that was opened: its number, and the moment it was first
    // saved, which no other estimate under that number shares (one put back
    // by a restore, or another store's).
    update.addBindValue(record.number);
    update.addBindValue(TimeText(record.created));
    update.addBindValue(record.revision);
    if (!update.exec()) {
        if (const ServerSave::Answer refusal = SheetRefusal(update.lastError());
            refusal != ServerSave::Failed) {
            written.refused = refusedWords(refusal, what, record.number);
            return written;
        }
        *error = update.lastError();
        session.failed();
        return written;
    }
    if (update.numRowsAffected() == 1) {
        written.number = record.number;
        return written;
    }
    update.finish();
    QSqlQuery there(db);
    there.prepare(QStringLiteral("Select Created From Estimates Where Number = ?"));
    there.addBindValue(record.number);
    const bool stillThere = there.exec() && there.next();
    const bool same = stillThere && there.value(0).toString() == TimeText(record.created);
    there.finish();
    written.refused = refusedWords(!stillThere ? ServerSave::Deleted
                                   : same      ? ServerSave::Changed
                                               : ServerSave::Replaced,
                                   what, record.number);
    return written;
}

} // namespace

BookResult EstimateBook::saveAll(const QList<EstimateRecord*>& records)
{
    BookResult result;
    const QString what = records.size() == 1 ? QStringLiteral("The estimate was not saved")
                                             : QStringLiteral("The estimates were not saved");
    for (const EstimateRecord* record : records) {
        if (record->customer.trimmed().isEmpty()) {
            result.problem = QStringLiteral("%1: it needs the customer's name (blanks alone are "
                                            "not a name). Type the name, then save again.")
                                 .arg(what);
            return result;
        }
    }
    if (records.isEmpty()) {
        result.done = true;
        return result;
    }
    if (!connection_->problem.isEmpty()) {
        result.problem = QStringLiteral("%1. %2").arg(what, connection_->problem);
        return result;
    }
    const bool server = location_.isServer();
    const QFileInfo info(path());
    if (!server && info.exists() && !info.isFile()) {
        result.problem = QStringLiteral("%1: %2 is not a file that estimates can be kept in. Keep "
                                        "the estimates file somewhere else.")
                             .arg(what, path());
        return result;
    }
    if (!server && !info.exists()) {
        for (const EstimateRecord* record : records) {
            if (record->number != 0) {
                result.problem =
                    QStringLiteral("%1: estimate %2 cannot be changed, because there is no "
                                   "estimates file at %3 (moved or deleted since the estimate "
                                   "was opened).")
                        .arg(what)
                        .arg(record->number)
                        .arg(path());
                return result;
            }
        }
        QString problem;
        switch (Create(path(), records, &problem)) {
        case Creation::Made:
            result.done = true;
            return result;
        case Creation::Failed:
            result.problem = QStringLiteral("%1. %2").arg(what, problem);
            return result;
        case Creation::There:
            break;
        }
    }

    Session session(connection_->db, &connection_->file);
    const QDateTime time = Now();
    QStringList keys;
    for (int i = 0; i < int(records.size()); ++i)
        keys << NewSaveKey();
    QSqlError error;
    bool written = false; // every statement went through: only the commit's answer is missing
    QString problem;
    // On a server, one statement: written, refused or failed at once.
    if (server && session.start(true, location_, &problem, nullptr, true)) {
        const ServerSave saved = SaveOnServer(connection_->db, records, keys, time);
        switch (saved.answer) {
        case ServerSave::Saved:
            for (int i = 0; i < int(records.size()); ++i) {
                Adopt(*records[i], saved.saved[i]);
                records[i]->saveKey.clear();
            }
            result.done = true;
            return result;
        case ServerSave::Changed:
        case ServerSave::Replaced:
        case ServerSave::Deleted:
        case ServerSave::SheetUnrecorded:
        case ServerSave::SheetNotOwner:
            result.problem = refusedWords(saved.answer, what, saved.number);
            return result;
        case ServerSave::NotThere:
            break; // statement by statement, bringing the tables up first
        case ServerSave::Failed:
            error = saved.error;
            written = true;
            if (Dialect::Server().kind(error) == StoreKind::Unreachable)
                session.failed(); // made again at the next use
            break;
        }
    } else if (server) {
        result.problem = QStringLiteral("%1. %2").arg(what, problem);
        return result;
    }
    if (!written) {
        if (!session.start(true, location_, &problem)) {
            result.problem = QStringLiteral("%1. %2").arg(what, problem);
            return result;
        }
        // The last save of a record could not be told: when its key is in the
        // book it went through, and this save goes on from it.
        for (EstimateRecord* record : records) {
            if (record->saveKey.isEmpty())
                continue;
            const std::optional<SavedUnder> earlier =
                FindSave(connection_->db, record->saveKey, &error);
            if (error.isValid()) {
                session.end(false);
                result.problem =
                    QStringLiteral("%1. %2").arg(what, ErrorWords(location_, error, true));
                return result;
            }
            if (earlier)
                Adopt(*record, *earlier);
        }
        QList<qint64> numbers;
        for (int i = 0; i < int(records.size()); ++i) {
            const Written one =
                write(connection_->db, session, *records[i], time, keys[i], what, &error);
            if (!one.refused.isEmpty()) {
                session.end(false);
                result.problem = one.refused;
                return result;
            }
            numbers << one.number;
            if (one.number == 0)
                break;
        }
        written = numbers.last() != 0;
        if (written && session.end(true, &error)) {
            for (int i = 0; i < int(records.size()); ++i) {
                EstimateRecord& record = *records[i];
                record.saveKey.clear();
                if (record.number == 0) {
                    record.number = numbers[i];
                    record.created = time;
                    record.revision = 1;
                } else {
                    ++record.revision;
                }
                record.updated = time;
            }
            result.done = true;
            return result;
        }
        session.end(false);
    }
    // Every statement went through and the answer was lost: the book is
    // asked again whether the save was kept (one transaction: when the first
    // record is, they all are).
    if (written && server && Dialect::Server().kind(error) == StoreKind::Unreachable) {
        QList<SavedUnder> saved(records.size());
        Outcome outcome = Outcome::Saved;
        for (int i = 0; i < int(records.size()) && outcome == Outcome::Saved; ++i)
            outcome = OutcomeOf(path(), keys[i], &saved[i]);
        if (outcome != Outcome::Unknown)
            session.answeredElsewhere();
        switch (outcome) {
        case Outcome::Saved:
            for (int i = 0; i < int(records.size()); ++i) {
                Adopt(*records[i], saved[i]);
                records[i]->saveKey.clear();
            }
            result.done = true;
            return result;
        case Outcome::Unknown:
            for (int i = 0; i < int(records.size()); ++i)
                records[i]->saveKey = keys[i];
            result.mayBeSaved = true;
            result.problem =
                QStringLiteral("%1: the server's answer was lost, and whether %2 kept cannot "
                               "be told until the server answers again. Save again then: "
                               "nothing is saved twice, and the save tells whether it was "
                               "kept. %3")
                    .arg(records.size() == 1 ? QStringLiteral("The estimate may have been saved")
                                             : QStringLiteral("The estimates may have been saved"),
                         records.size() == 1 ? QStringLiteral("it was")
                                             : QStringLiteral("they were"),
                         ErrorWords(location_, error, true));
            return result;
        case Outcome::NotSaved:
            break;
        }
    }
    result.problem = QStringLiteral("%1. %2").arg(what, ErrorWords(location_, error, true));
    return result;
}

QList<EstimateListing> EstimateBook::list(const QString& search, QString* problem, int limit,
                                          const QDate& since)
{
    QList<EstimateListing> listings;
    QString why;
    if (problem)
        problem->clear();
    const QString what = QStringLiteral("The saved estimates could not be read");
    if (!connection_->problem.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("%1. %2").arg(what, connection_->problem);
        return listings;
    }
    if (location_.isFile() && !QFileInfo::exists(path()))
        return listings;
    Session session(connection_->db, &connection_->file);
    bool empty = false;
    if (session.start(false, location_, &why, &empty) && !empty) {
        noteSeen(); // what the list shows: changes after it are told
        const QString wanted = search.trimmed();
        QString statement =
            QStringLiteral("Select Number, Created, Customer, Phone, Species, LiveWeight, "
                           "QuoteTotal, FinalTotal, LikelyLow, LikelyHigh, NoteLine, Hunter, "
                           "TagLine From Estimates");
        QVariantList values;
        QStringList conditions;
        // Whether a text holds another, and whether a number begins with one.
        const Dialect& dialect = Dialect::Of(connection_->db);
        if (!wanted.isEmpty()) {
            QStringList holds{dialect.holdsText(QStringLiteral("CustomerKey")),
                              dialect.holdsText(QStringLiteral("PhoneKey")),
                              dialect.holdsText(QStringLiteral("NoteKey"))};
            values << SearchKey(wanted) << SearchKey(wanted) << SearchKey(wanted);
            if (LooksLikePhone(wanted)) {
                holds << dialect.holdsText(QStringLiteral("PhoneDigits"));
                values << DigitsOf(wanted);
            }
            if (DigitsOf(wanted) == wanted) {
                holds << dialect.numberBegins(QStringLiteral("Number"));
                values << wanted.size() << wanted;
            }
            conditions << QStringLiteral("(%1)").arg(holds.join(QStringLiteral(" Or ")));
        }
        if (since.isValid()) {
            conditions << QStringLiteral("Created >= ?");
            values << TimeText(since.startOfDay());
        }
        if (!conditions.isEmpty())
            statement += QStringLiteral(" Where ") + conditions.join(QStringLiteral(" And "));
        statement += QStringLiteral(" Order By Number Desc");
        if (limit >= 0) {
            statement += QStringLiteral(" Limit ?");
            values << limit;
        }
        // Prepared once for the connection: a key typed asks one question.
        QSqlQuery& query = connection_->prepared(statement);
        for (int i = 0; i < int(values.size()); ++i)
            query.bindValue(i, values[i]);
        if (query.exec()) {
            const auto cents = [&](int i) {
                return CentsColumn(query, i);
            };
            while (query.next())
                listings.append({query.value(0).toLongLong(), TimeFrom(query.value(1)),
                                 query.value(2).toString(), query.value(3).toString(),
                                 query.value(4).toString(), query.value(5).toString(),
                                 query.value(6).toString(), query.value(7).toString(), cents(8),
                                 cents(9), query.value(10).toString(), query.value(11).toString(),
                                 query.value(12).toString()});
        }
        if (query.lastError().isValid()) {
            listings.clear();
            why = ErrorWords(location_, query.lastError(), false);
            session.failed();
        }
        query.finish();
        session.end(true);
    }
    if (!why.isEmpty() && problem)
        *problem = QStringLiteral("%1. %2").arg(what, why);
    return listings;
}

std::optional<EstimateRecord> EstimateBook::open(qint64 number, QString* problem)
{
    std::optional<EstimateRecord> found;
    QString why;
    if (problem)
        problem->clear();
    if (!connection_->problem.isEmpty()) {
        if (problem)
            *problem = connection_->problem;
        return found;
    }
    if (location_.isFile() && !QFileInfo::exists(path()))
        return found;
    Session session(connection_->db, &connection_->file);
    bool empty = false;
    if (session.start(false, location_, &why, &empty) && !empty) {
        QSqlQuery query(connection_->db);
        query.setForwardOnly(true);
        query.prepare(
            QStringLiteral("Select %1 From Estimates Where Number = ?").arg(RecordColumns));
        query.addBindValue(number);
        if (query.exec() && query.next()) {
            EstimateRecord record;
            ReadRecord(query, record);
            found = record;
        }
        if (query.lastError().isValid()) {
            found.reset();
            why = ErrorWords(location_, query.lastError(), false);
            session.failed();
        }
        query.finish();
        session.end(true);
    }
    if (!why.isEmpty() && problem)
        *problem = QStringLiteral("Estimate %1 could not be opened. %2").arg(number).arg(why);
    return found;
}

namespace {

// A file's data version as the connection sees it: SQLite moves it when
// another connection has committed a change to the file, as this one next
// reads it. `read` first reads the file's header (the version of its tables,
// a moment's shared lock) when no read transaction is open.
std::optional<qint64> DataVersion(QSqlDatabase& db, bool read)
{
    QSqlQuery query(db);
    if ((read && !query.exec(QStringLiteral("Pragma user_version"))) ||
        !query.exec(QStringLiteral("Pragma data_version")) || !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

} // namespace

void EstimateBook::noteSeen()
{
    // A change the list takes in is counted still: the book's other windows
    // have not shown it.
    if (location_.isServer()) {
        if (Database::TakeNotices(connection_->db, BookStore::ChangesChannel))
            ++changes_;
        return;
    }
    // Inside the list's read transaction: the version of what it reads.
    if (const auto version = DataVersion(connection_->db, false)) {
        if (dataVersion_ != 0 && *version != dataVersion_)
            ++changes_;
        dataVersion_ = *version;
    }
}

quint64 EstimateBook::changesSeen()
{
    changedElsewhere();
    return changes_;
}

bool EstimateBook::changedElsewhere()
{
    const bool changed = lookForChanges();
    if (changed)
        ++changes_;
    return changed;
}

bool EstimateBook::lookForChanges()
{
    if (location_.isServer())
        return connection_->db.isOpen() &&
               Database::TakeNotices(connection_->db, BookStore::ChangesChannel);
    // A file that another counter made since the last look is a change too.
    const bool there = QFileInfo::exists(path());
    const bool made = there && looked_ && !wasThere_;
    wasThere_ = there;
    looked_ = true;
    const auto version =
        connection_->db.isOpen() ? DataVersion(connection_->db, true) : std::nullopt;
    if (!version)
        return made;
    const bool changed = dataVersion_ != 0 && *version != dataVersion_;
    dataVersion_ = *version;
    return changed || made;
}

BookResult EstimateBook::settle(EstimateRecord& record)
{
    BookResult result;
    if (record.saveKey.isEmpty() || !location_.isServer()) {
        record.saveKey.clear();
        result.done = true;
        return result;
    }
    SavedUnder saved;
    const Outcome outcome = OutcomeOf(path(), record.saveKey, &saved);
    // The server answered on a connection of its own: this book's, cut
    // before, is made again at its next use, without waiting for a probe.
    if (ServerLink* link = connection_->file.link.get();
        link && link->outOfReach() && outcome != Outcome::Unknown) {
        link->markConnected();
        link->markLost();
    }
    switch (outcome) {
    case Outcome::Saved:
        Adopt(record, saved);
        record.saveKey.clear();
        result.done = true;
        break;
    case Outcome::NotSaved:
        record.saveKey.clear();
        result.problem = QStringLiteral("The estimate for %1 was not saved: the %2 did not keep "
                                        "it. Save it again.")
                             .arg(record.customer, location_.described());
        break;
    case Outcome::Unknown:
        result.mayBeSaved = true;
        result.problem = QStringLiteral("Whether the estimate for %1 was saved still cannot be "
                                        "told: the %2 does not answer.")
                             .arg(record.customer, location_.described());
        break;
    }
    return result;
}

bool EstimateBook::mayAsk()
{
    ServerLink* link = connection_->file.link.get();
    return !link || link->mayConnect();
}

BookResult EstimateBook::remove(qint64 number)
{
    BookResult result;
    const QString what = QStringLiteral("Estimate %1 was not deleted").arg(number);
    const QString none =
        QStringLiteral("%1: there is no such estimate in %2 (deleted already?).").arg(what, path());
    if (!connection_->problem.isEmpty()) {
        result.problem = QStringLiteral("%1. %2").arg(what, connection_->problem);
        return result;
    }
    if (location_.isFile() && !QFileInfo::exists(path())) {
        result.problem = none;
        return result;
    }
    Session session(connection_->db, &connection_->file);
    QString problem;
    if (!session.start(true, location_, &problem)) {
        result.problem = QStringLiteral("%1. %2").arg(what, problem);
        return result;
    }
    QSqlError error;
    int removed = -1;
    {
        QSqlQuery query(connection_->db);
        query.prepare(QStringLiteral("Delete From Estimates Where Number = ?"));
        query.addBindValue(number);
        if (query.exec()) {
            removed = query.numRowsAffected();
        } else {
            error = query.lastError();
            session.failed();
        }
    }
    if (removed == 0) {
        session.end(false);
        result.problem = none;
        return result;
    }
    if (removed < 0 || !session.end(true, &error)) {
        session.end(false);
        result.problem = QStringLiteral("%1. %2").arg(what, ErrorWords(location_, error, true));
        return result;
    }
    result.done = true;
    return result;
}
