#pragma once

// The book's use of its store, shared by the book and by the tool that sets
// up a server: the tables and their versions, a session on the file or the
// server, the record's columns and its first save, and the failures told in
// plain words.

#include "book/estimate_book.h"
#include "store/database.h"
#include "store/file_watch.h"
#include "store/server_link.h"
#include "store/server_watch.h"
#include "store/store_location.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <optional>
#include <sys/types.h>

class Dialect;
class QSqlQuery;

namespace BookStore {

// The columns of a record, in the order that the book reads them.
extern const QString RecordColumns;
// The same, with the search keys kept beside them: what a copy takes.
extern const QString CopiedColumns;

// Times are kept as text in local time, to the second.
QString TimeText(const QDateTime& time);
QDateTime TimeFrom(const QVariant& value);
QDateTime Now();

// A text as the search compares it (letter case folded, accents composed),
// and a phone's digits alone.
QString SearchKey(const QString& value);
QString DigitsOf(const QString& value);
// The beginning of a record's note that the list shows and searches, and
// that with the hunter's tag as the search matches them.
constexpr int NoteLineLength = 120;
QString NoteLineOf(const EstimateRecord& record);
QString NoteKeyOf(const EstimateRecord& record);
// A search written as a phone number is: digits, and blanks or the marks
// written between them.
bool LooksLikePhone(const QString& search);

// The store's failure in plain words, with what to do.
QString ErrorWords(const StoreLocation& where, const QSqlError& error, bool changing);
QString DamagedWords(const StoreLocation& where);

// Puts an SQLite file in WAL mode, where readers are never held up by a
// writer; left as it is when that cannot be done now.
void ToWriteAheadLog(QSqlDatabase& db);

// Makes the book's tables, of this version, in an empty store.
bool MakeTables(QSqlDatabase& db, QSqlError* error);

// The book's file as a counter keeps it open between its uses: whether
// another file has taken its place (the connection then moves to it), and
// whether it is sound: SQLite's own check of every page, made once for each
// file that is found in the book's place (a file put back from a copy is
// checked again). A damaged file is never read from or written to.
class BookFile {
public:
    // On a server: the link that tells a server out of reach without
    // waiting for it (a search at every key then asks nothing until a probe
    // finds it answering), and whether the tables were found of this
    // version since the connection was opened, so that a look asks its one
    // question and nothing more.
    std::unique_ptr<ServerLink> link;
    bool current = false;
    // A look's statements, prepared once for the connection (on a server, a
    // prepared statement is asked again with one round trip). Dropped when
    // the connection is closed, before another is opened: dropped on the new
    // one, each would end the transaction it is in.
    QHash<QString, std::shared_ptr<QSqlQuery>> prepared;

    bool sound(QSqlDatabase& db, const StoreLocation& where, QString* problem);
    // Before a use: the connection is closed when the file it has open is no
    // longer the one in the book's place.
    // A change needs a connection that may write.
    void closeWhenReplaced(QSqlDatabase& db, bool change);
    // The connection was just opened on the file in the book's place.
    void opened(const StoreLocation& where);

private:
    FileWatch watch_;
    bool writable_ = false;
    bool checked_ = false;
    bool damaged_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// A use of the book. The connection stays open after it (unless it failed);
// a clerk's use (`file` given) moves to the file that is in the book's place
// now, never reads a damaged one, and waits on a server for a bounded time.
class Session {
public:
    explicit Session(QSqlDatabase& db, BookFile* file = nullptr);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The store opened and a transaction begun on tables of this version
    // (a change, which waits for other changes to end, brings a new or older
    // store up to it first); false when refused, and `problem` says why.
    // When only reading a new, empty store, `empty` tells it and no
    // transaction is left open.
    // `alone`: on a server, the connection made and nothing begun, for one
    // statement that takes the book's lock and checks its version itself.
    bool start(bool change, const StoreLocation& where, QString* problem, bool* empty = nullptr,
               bool alone = false);
    // Ends the transaction: commits it, or takes it back.
    bool end(bool commit, QSqlError* error = nullptr);
    // A statement failed: a server's connection is made again at the next use.
    void failed() { failed_ = true; }
    // The server answered on a connection of its own after this one was cut:
    // it is not out of reach, and this connection is made again at the next use.
    void answeredElsewhere()
    {
        failed_ = true;
        answeredElsewhere_ = true;
    }

private:
    ServerLink* link() const;
    bool mayChange(const StoreLocation& where, QString* problem);
    void listen();
    bool begin(bool change, const StoreLocation& where, QString* problem, bool* empty);

    QSqlDatabase& db_;
    bool server_ = false;
    BookFile* file_ = nullptr;
    std::optional<ServerWatch> watch_;
    bool failed_ = false;
    bool changing_ = false;
    bool began_ = false;
    bool answeredElsewhere_ = false;
};

// The channel on which a server tells every counter that the book changed.
inline const QString ChangesChannel = QStringLiteral("locker_estimates");

// The columns that a save writes from the record: what the clerk gave (never
// NULL) and the search keys made from it, Customer to TagLine, then the
// figures kept beside the states (QuoteCents to LikelyHigh); their values in
// the same order, as the store's dialect keeps them; and "Customer = ?, ...".
extern const QStringList ContentColumns;
QVariantList ContentValues(const Dialect& dialect, const EstimateRecord& record);
extern const QString ContentAssignments;
void BindContent(QSqlQuery& query, const EstimateRecord& record);
// The figures alone: "QuoteCents = ?, ..., LikelyHigh = ?", and their values.
extern const QString FigureColumns;
void BindFigures(QSqlQuery& query, const EstimateRecord& record);

// A column of whole cents that may be NULL (none).
std::optional<qint64> CentsColumn(const QSqlQuery& query, int column);

// A record read with RecordColumns.
void ReadRecord(const QSqlQuery& query, EstimateRecord& record);

// Adds the record as a new estimate saved at `time` under `key`; its number
// on success, else 0 (and `error` says why).
qint64 Insert(QSqlDatabase& db, const EstimateRecord& record, const QDateTime& time,
              const QString& key, QSqlError* error);

// The key of one save, made by the counter.
QString NewSaveKey();

// The estimate saved under a key: its number, times and revision.
struct SavedUnder {
    qint64 number = 0;
    QDateTime created;
    QDateTime updated;
    qint64 revision = 0;
};
// The save with the key; no value when there is none, or when the book could
// not be asked (then `error` is set).
std::optional<SavedUnder> FindSave(QSqlDatabase& db, const QString& key, QSqlError* error,
                                   const QString& table = QStringLiteral("Estimates"));
void Adopt(EstimateRecord& record, const SavedUnder& saved);

// Whether the save with the key went through, asked on a connection of its
// own after the reply to its commit was lost.
enum class Outcome { Saved, NotSaved, Unknown };
Outcome OutcomeOf(const QString& url, const QString& key, SavedUnder* saved,
                  const QString& table = QStringLiteral("Estimates"));

// On a server a save is one statement: a function made with the book's
// tables takes the book's lock, checks the tables' version, writes every
// record or none (each whose last save could not be told goes on from the
// estimate that save made, when it was kept), and tells the other counters.
// `ServerSaveFunction` names it for the roles' rights.
extern const QString ServerSaveFunction;
bool InstallServerSave(QSqlDatabase& db, QSqlError* error);
// The cut sheet's lock in a file: once a booking billed by the estimate is
// cut, a changed sheet is kept only with one more change recorded on it
// (one counter: whoever is at it is the owner). A refusal's message is
// SheetLocked.
extern const QString SqliteSheetGuard;
extern const QString SheetLocked;
struct ServerSave {
    enum Answer {
        Saved,    // `saved` holds each record's number, creation and revision
        Changed,  // estimate `number` was changed since it was opened
        Replaced, // estimate `number` is no longer the one that was opened
        Deleted,  // estimate `number` was deleted since it was opened
        // Estimate `number`'s carcass is cut: its sheet was changed without the
        // change recorded (SheetUnrecorded), or by another than the owner
        // (SheetNotOwner).
        SheetUnrecorded,
        SheetNotOwner,
        NotThere, // no function, or tables of another version: saved statement by statement
        Failed,   // `error` says why
    };
    Answer answer = Failed;
    QList<SavedUnder> saved;
    qint64 number = 0;
    QSqlError error;
};
// The cut sheet's lock refusing a statement, in either dialect
// (SheetUnrecorded, SheetNotOwner); Failed when it failed otherwise.
ServerSave::Answer SheetRefusal(const QSqlError& error);
ServerSave SaveOnServer(QSqlDatabase& db, const QList<EstimateRecord*>& records,
                        const QStringList& keys, const QDateTime& time);

// The first save: a new file holding the book's tables and the records,
// written beside the file's place and linked into it whole, so that the file
// appears with its first estimates or not at all. There when another program
// made the file meanwhile: the records are then saved in that file.
enum class Creation { Made, There, Failed };
Creation Create(const QString& path, const QList<EstimateRecord*>& records, QString* problem);

} // namespace BookStore

// The book's connection to its store, kept open between its uses.
struct EstimateBook::Connection {
    explicit Connection(const StoreLocation& location)
    {
        if (!location.isServer()) {
            db = Database::AddSqliteFile(name, location.text());
            return;
        }
        if (const auto address = Database::ParseServerUrl(location.text(), &problem)) {
            db = Database::AddServer(name, *address);
            file.link = std::make_unique<ServerLink>(db, name, location.text());
        }
    }
    QString name = Database::NextConnectionName("book");
    QSqlDatabase db;
    QString problem; // a server address that cannot be used
    BookStore::BookFile file;
    // A look's statement, prepared once for the connection.
    QSqlQuery& prepared(const QString& statement);
};
