#include "tools/backup_restore.h"

#include "book/book_setup.h"
#include "book/estimate_book.h"
#include "pricelist/price_history.h"
#include "pricelist/price_list_setup.h"
#include "pricelist/sample_price_list.h"
#include "store/database.h"
#include "store/store_location.h"
#include "store/store_session.h"
#include "store/table_copy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace BackupRestore {

const QString PricesFile = QStringLiteral("Lockers.db");
const QString BookFile = QStringLiteral("Estimates.db");
const QString ManifestFile = QStringLiteral("Backup.txt");

qint64 Manifest::rowsOf(const QString& table) const
{
    for (const auto& [name, count] : rows)
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return count;
    return -1;
}

namespace {

// Which store keeps a table: the price list's (Lockers.db), or the book's
// (the Estimates.db beside it). On a server, both are one database.
enum class Part { Prices, Book };

struct Carried {
    TableCopy::Carried table;
    Part part;
};

// The tables that a backup carries, as their owners name them: the price
// list's, then the book's, in the order that a restore fills them.
QList<Carried> carriedTables()
{
    QList<Carried> tables;
    for (const TableCopy::Carried& table : PriceListSetup::CarriedTables())
        tables.append({table, Part::Prices});
    for (const TableCopy::Carried& table : BookSetup::CarriedTables())
        tables.append({table, Part::Book});
    return tables;
}

// The first line of a manifest, and the words before each of its values.
const QString Title = QStringLiteral("Locker Estimate backup");
const QString MadeKey = QStringLiteral("Made");
const QString FromKey = QStringLiteral("From");
const QString ProgramKey = QStringLiteral("Program");
const QString BookVersionKey = QStringLiteral("Book version");
const QString RowsKey = QStringLiteral("Rows of ");
const QString ChecksumKey = QStringLiteral("SHA-256 of ");
const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The name that a file has while it is written, until it is complete.
QString partial(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".%1.partial").arg(info.fileName()));
}

QString fileOf(Part part)
{
    return part == Part::Prices ? PricesFile : BookFile;
}

// A file's SHA-256, in hexadecimal; empty when it cannot be read.
QString checksum(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

Outcome fail(StoreKind kind, const QString& problem)
{
    Outcome outcome;
    outcome.kind = kind;
    outcome.problem = problem;
    return outcome;
}

// A session to a file of a backup or of a store, its failures told with the
// words of the file's part.
void nameFile(StoreSession& session, Part part)
{
    if (part == Part::Book)
        session.setFileWords(BookSetup::FileWords());
}

// Copies the files of a counter: the price list at `path` into `prices` and
// the Estimates.db beside it (an empty book when there is none) into `book`.
Outcome readFiles(const QString& path, const QString& prices, const QString& book)
{
    const QString bookPath = EstimateBook::pathBeside(path);
    if (!QFileInfo(path).isFile())
        return fail(StoreKind::Missing,
                    QStringLiteral("There is no price list at %1, so there is nothing to back up.")
                        .arg(Database::Described(path)));
    const bool hasBook = QFileInfo::exists(bookPath);
    // Both files are read at one moment: one session holds every change to
    // both while SQLite copies each whole (one read of each), so neither the
    // price list nor the book changes between the two copies. Readers are
    // never held up; a counter's save waits the moment the copies take.
    StoreSession lock("backup");
    if (!lock.openFile(path) || !lock.holdChanges(hasBook ? bookPath : QString()))
        return fail(lock.kind() == StoreKind::Done ? StoreKind::Failed : lock.kind(),
                    lock.problem());
    for (const auto& [from, to] : {std::pair{path, prices}, std::pair{bookPath, book}}) {
        if (from == bookPath && !hasBook)
            continue;
        StoreSession copy("backup");
        nameFile(copy, from == bookPath ? Part::Book : Part::Prices);
        if (!copy.openFile(from) || !copy.copyInto(to))
            return fail(StoreKind::Failed, copy.problem());
    }
    lock.rollback();
    if (!hasBook) {
        const QString problem = BookSetup::MakeEmpty(book);
        if (!problem.isEmpty())
            return fail(StoreKind::Failed, problem);
    }
    return Outcome();
}

// Copies the price list and the book of the server at `url` into the files
// `prices` and `book`, of the same tables as a counter's own.
Outcome readServer(const QString& url, const QString& prices, const QString& book)
{
    StoreSession server("backup");
    if (!server.openServer(url))
        return fail(StoreKind::Unreachable, server.problem());
    // A login that may read only what a counter needs (a clerk's) is told to
    // run the backup as the owner.
    const auto serverFailed = [&server](StoreKind kind, const QString& problem) {
        if (kind != StoreKind::PermissionDenied)
            return fail(StoreKind::Failed, problem);
        return fail(StoreKind::PermissionDenied,
                    QStringLiteral("This login may not read everything that a backup carries in "
                                   "the %1 (a clerk's login reads only what a counter needs). "
                                   "Run the backup as the shop's owner: the owner's login in "
                                   "the address (postgresql://OWNER@host/database).")
                        .arg(server.where()));
    };
    // Every table is read in one snapshot of the server: the prices and the
    // estimates as they were at one moment, whatever the counters save
    // meanwhile. The owner's backup may read for longer than a clerk waits.
    if (!server.beginLong(0, true))
        return serverFailed(server.kind(), server.problem());
    const std::optional<bool> holds = server.holdsTable(QStringLiteral("Charges1"));
    if (!holds)
        return serverFailed(server.kind(), server.problem());
    if (!*holds)
        return fail(StoreKind::Missing,
                    QStringLiteral("The %1 holds no price list, so there is nothing to back up.")
                        .arg(server.where()));
    if (const StoreResult copied = BookSetup::CopiedAsItIs(server); !copied.done())
        return fail(copied.kind, copied.problem);
    // The price list file as a new counter's is made, without its sample rows.
    if (const SaveResult made = CreateSamplePriceList(prices, false); !made.saved)
        return fail(StoreKind::Failed, made.problem);
    if (const QString problem = BookSetup::MakeEmpty(book); !problem.isEmpty())
        return fail(StoreKind::Failed, problem);
    StoreSession files[2];
    nameFile(files[1], Part::Book);
    if (!files[0].openFile(prices) || !files[1].openFile(book))
        return fail(StoreKind::Failed, files[0].problem() + files[1].problem());
    for (const Carried& table : carriedTables()) {
        StoreSession& file = files[table.part == Part::Prices ? 0 : 1];
        if (const StoreResult copied = TableCopy::ToFile(server, file, table.table.table);
            !copied.done())
            return copied.kind == StoreKind::NewerVersion
                       ? fail(copied.kind, copied.problem)
                       : serverFailed(copied.kind, copied.problem);
    }
    server.rollback();
    return Outcome();
}

// Makes a new backup file whole and sound: kept without a journal or log
// beside it, checked by SQLite, its book of a version this program knows;
// its tables' rows counted into the manifest.
QString seal(const QString& path, Part part, Manifest* manifest)
{
    StoreSession file("backup");
    nameFile(file, part);
    if (!file.openFile(path))
        return file.problem();
    const bool left = file.leaveWal();
    const std::optional<QString> sound = file.integrity();
    if (!left || !sound)
        return file.problem();
    const QString from = manifest->from;
    if (*sound != QLatin1String("ok"))
        return QStringLiteral("%1 is damaged (SQLite's check: %2), so no backup was made of it.")
            .arg(from, *sound);
    if (part == Part::Book) {
        bool unused = false;
        if (const QString problem =
                BookSetup::CheckCopy(file, from, &manifest->bookVersion, &unused);
            !problem.isEmpty())
            return problem;
        // An estimates file that was made but never held an estimate.
        if (unused) {
            file.close();
            QFile::remove(path);
            const QString problem = BookSetup::MakeEmpty(path);
            return problem.isEmpty() ? seal(path, part, manifest) : problem;
        }
    }
    for (const Carried& table : carriedTables()) {
        if (table.part != part)
            continue;
        const std::optional<bool> there = file.holdsTable(table.table.table);
        if (!there)
            return file.problem();
        if (!*there && table.table.required)
            return QStringLiteral("%1 holds no table %2, so it is not Locker Estimate's and no "
                                  "backup was made of it.")
                .arg(part == Part::Prices ? from : QStringLiteral("The book of %1").arg(from),
                     table.table.table);
        if (!*there)
            continue;
        const std::optional<qint64> rows = file.rowCount(table.table.table);
        if (!rows)
            return file.problem();
        manifest->rows.append({table.table.table, *rows});
    }
    return QString();
}

// The manifest as written in Backup.txt.
QString manifestText(const Manifest& manifest)
{
    QStringList lines = {Title};
    lines << QStringLiteral("%1: %2").arg(MadeKey, manifest.made.toString(TimeFormat))
          << QStringLiteral("%1: %2").arg(FromKey, manifest.from)
          << QStringLiteral("%1: %2").arg(ProgramKey, manifest.program)
          << QStringLiteral("%1: %2").arg(BookVersionKey).arg(manifest.bookVersion);
    for (const auto& [table, rows] : manifest.rows)
        lines << QStringLiteral("%1%2: %3").arg(RowsKey, table).arg(rows);
    for (const auto& [file, sum] : manifest.checksums)
        lines << QStringLiteral("%1%2: %3").arg(ChecksumKey, file, sum);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The manifest read back; no value when the text is not one of this program.
std::optional<Manifest> readManifest(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.takeFirst().trimmed() != Title)
        return std::nullopt;
    Manifest manifest;
    bool versionRead = false;
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon < 0)
            return std::nullopt;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 2).trimmed();
        bool number = true;
        if (key == MadeKey)
            manifest.made = QDateTime::fromString(value, TimeFormat);
        else if (key == FromKey)
            manifest.from = value;
        else if (key == ProgramKey)
            manifest.program = value;
        else if (key == BookVersionKey)
            manifest.bookVersion = value.toInt(&versionRead);
        else if (key.startsWith(RowsKey))
            manifest.rows.append({key.mid(RowsKey.size()), value.toLongLong(&number)});
        else if (key.startsWith(ChecksumKey))
            manifest.checksums.append({key.mid(ChecksumKey.size()), value});
        if (!number)
            return std::nullopt;
    }
    if (!manifest.made.isValid() || !versionRead || manifest.program.isEmpty())
        return std::nullopt;
    return manifest;
}

// Where a restore keeps what it replaces: a new folder beside the price list
// file, or in the current folder for a server, named by the time.
QString keepingFolder(const StoreLocation& store)
{
    const QDir beside(store.isServer() ? QDir::currentPath()
                                       : QFileInfo(store.text()).absolutePath());
    const QString name =
        QStringLiteral("Before restore %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss")));
    QString path = beside.filePath(name);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = beside.filePath(QStringLiteral("%1 (%2)").arg(name).arg(n));
    return path;
}

// Copies a backup's file to `to`, flushed to the disk, and checks the copy
// against the manifest's checksum. Empty when done, else the problem.
QString copyFile(const QString& from, const QString& to, const QString& sum)
{
    QFile source(from);
    QFile target(to);
    target.remove();
    bool ok = source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly);
    while (ok && !source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        ok = !block.isEmpty() && target.write(block) == block.size();
    }
    ok = ok && target.flush() && ::fsync(target.handle()) == 0;
    target.close();
    if (ok && checksum(to) == sum)
        return QString();
    target.remove();
    return QStringLiteral("%1 could not be written (%2).")
        .arg(to, target.errorString().isEmpty() ? source.errorString() : target.errorString());
}

// A file in place, taken from every other program while it is replaced: out
// of WAL mode (its log and shared memory go, so that they are never read with
// the new file), then locked so that nobody reads or writes it meanwhile.
QString takeFile(StoreSession& file, const QString& path)
{
    if (!QFileInfo::exists(path)) {
        // Left over from a file that is gone: never read with the new one.
        for (const char* end : {"-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(end));
        return QString();
    }
    if (file.openFile(path) && file.leaveWal() && file.takeExclusive())
        return QString();
    const QString open = QStringLiteral("%1 is open in another program (Locker Estimate, or the "
                                        "price list tool): close it and restore again.")
                             .arg(path);
    // A lock says no more than that; another failure says what it was.
    if (file.kind() == StoreKind::Locked)
        return open;
    return QStringLiteral("%1 (%2)").arg(
        open, file.problem().isEmpty() ? QStringLiteral("it stayed in WAL mode") : file.problem());
}

// Puts the backup's files in place of the price list file at `path` and the
// Estimates.db beside it.
Outcome restoreFiles(const QString& folder, const QString& path, const Manifest& manifest)
{
    const QString bookPath = EstimateBook::pathBeside(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(
            StoreKind::Failed,
            QStringLiteral("The folder %1 could not be made.").arg(QFileInfo(path).absolutePath()));
    const QDir backup(folder);
    const QString newPrices = partial(path);
    const QString newBook = partial(bookPath);
    const auto sumOf = [&](const QString& file) {
        for (const auto& [name, sum] : manifest.checksums)
            if (name == file)
                return sum;
        return QString();
    };
    QString problem = copyFile(backup.filePath(PricesFile), newPrices, sumOf(PricesFile));
    if (problem.isEmpty())
        problem = copyFile(backup.filePath(BookFile), newBook, sumOf(BookFile));
    if (problem.isEmpty() && QFileInfo::exists(path))
        problem = PriceHistory::KeepInRestoredFile(newPrices, path, manifest.made);
    StoreSession oldBook("restore"), oldPrices("restore");
    nameFile(oldBook, Part::Book);
    if (problem.isEmpty())
        problem = takeFile(oldBook, bookPath);
    if (problem.isEmpty())
        problem = takeFile(oldPrices, path);
    if (problem.isEmpty() && oldBook.isOpen())
        problem = BookSetup::KeepNumbersAbove(oldBook, newBook);
    if (!problem.isEmpty()) {
        QFile::remove(newPrices);
        QFile::remove(newBook);
        return fail(StoreKind::Locked, problem + QStringLiteral(" Nothing was restored."));
    }
    // Each file is replaced at once (a rename); the price list first.
    const auto rename = [](const QString& from, const QString& to) {
        return std::rename(QFile::encodeName(from).constData(),
                           QFile::encodeName(to).constData()) == 0;
    };
    if (!rename(newPrices, path)) {
        QFile::remove(newPrices);
        QFile::remove(newBook);
        return fail(StoreKind::Failed,
                    QStringLiteral("%1 could not be replaced. Nothing was restored.")
                        .arg(Database::Described(path)));
    }
    if (!rename(newBook, bookPath)) {
        QFile::remove(newBook);
        return fail(StoreKind::Failed,
                    QStringLiteral("The price list was put back, but not the saved estimates: %1 "
                                   "could not be replaced.")
                        .arg(Database::Described(bookPath)));
    }
    return Outcome();
}

// Puts the backup's tables in place of the server's at `url`, in one
// transaction.
Outcome restoreServer(const QString& folder, const QString& url, const Manifest& manifest)
{
    const QDir backup(folder);
    // A book of an earlier version is brought up to this one first, by the
    // book's own steps, in a copy: the server's tables are of this version,
    // and a step may fill in what it adds from what was kept before.
    QTemporaryDir scratch;
    QString bookFile = backup.filePath(BookFile);
    if (manifest.bookVersion < EstimateBook::SchemaVersion) {
        const QString copy = scratch.filePath(BookFile);
        const QString problem =
            scratch.isValid() && QFile::copy(bookFile, copy) &&
                    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner)
                ? BookSetup::Upgrade(copy)
                : QStringLiteral("The backup's saved estimates could not be copied to %1.")
                      .arg(scratch.path());
        if (!problem.isEmpty())
            return fail(StoreKind::Failed, problem + QStringLiteral(" Nothing was restored."));
        bookFile = copy;
    }
    StoreSession files[2];
    nameFile(files[1], Part::Book);
    if (!files[0].openReadOnly(backup.filePath(PricesFile)) || !files[1].openReadOnly(bookFile))
        return fail(StoreKind::Failed, files[0].problem() + files[1].problem());
    StoreSession server("restore");
    if (!server.openServer(url))
        return fail(StoreKind::Unreachable, server.problem());
    // What every counter writes waits until the restore is done; what they
    // read is the old until it commits, then the new, which the triggers on
    // the tables tell them.
    if (!server.beginLong(60000, false))
        return fail(StoreKind::Failed, server.problem());
    const QString undone = QStringLiteral("Nothing was restored on the %1").arg(server.where());
    const auto refuse = [&](StoreKind kind, const QString& problem) {
        server.rollback();
        return fail(kind, QStringLiteral("%1. %2").arg(undone, problem));
    };
    QList<QPair<Carried, QList<TableCopy::Column>>> tables;
    // The numbers each sequence had given before the restore (a row that a
    // trigger adds while the rows are copied aside), which later rows stay
    // above.
    QHash<QString, qint64> givenBefore;
    for (const Carried& table : carriedTables()) {
        const auto there = TableCopy::ColumnsOf(server, table.table.table);
        if (!there)
            return refuse(StoreKind::Failed, server.problem());
        if (!there->isEmpty() && !server.lockTable(table.table.table))
            return refuse(StoreKind::Locked, server.problem());
        const auto given = TableCopy::NumbersGiven(server, table.table.table, *there);
        if (!given)
            return refuse(StoreKind::Failed, server.problem());
        givenBefore.insert(*given);
        tables.append({table, *there});
    }
    // The history keeps what came after the backup, and records the restore.
    if (const StoreResult kept = PriceListSetup::BeforeRestore(files[0], server, manifest.made);
        !kept.done())
        return refuse(kept.kind, kept.problem);
    for (const auto& [table, there] : tables) {
        StoreSession& file = files[table.part == Part::Prices ? 0 : 1];
        if (const StoreResult put =
                TableCopy::ToServer(file, server, table.table.table, there,
                                    manifest.rowsOf(table.table.table), givenBefore);
            !put.done())
            return refuse(put.kind == StoreKind::NewerVersion ? put.kind : StoreKind::Failed,
                          put.problem);
    }
    if (const StoreResult recorded = PriceListSetup::AfterRestore(server, manifest.made);
        !recorded.done())
        return refuse(recorded.kind, recorded.problem);
    if (!server.commit())
        return refuse(StoreKind::Failed, server.problem());
    return Outcome();
}

} // namespace

Outcome Backup(const QString& store, const QString& folder, const QString& program)
{
    const QFileInfo info(folder);
    const QDir dir(folder);
    if (info.exists() && !info.isDir())
        return fail(
            StoreKind::Refused,
            QStringLiteral("%1 is a file: give the backup a folder of its own.").arg(folder));
    for (const QString& name : {PricesFile, BookFile, ManifestFile})
        if (QFileInfo::exists(dir.filePath(name)))
            return fail(StoreKind::Refused,
                        QStringLiteral("%1 holds a %2 already (a backup, or another file of that "
                                       "name), which was left as it is: give a new or empty "
                                       "folder.")
                            .arg(folder, name));
    const bool made = !info.exists();
    if (made && !QDir().mkpath(folder))
        return fail(StoreKind::Failed,
                    QStringLiteral("The folder %1 could not be made.").arg(folder));
    const StoreLocation location(store);
    Manifest manifest;
    manifest.made = QDateTime::currentDateTime();
    manifest.from = location.described();
    manifest.program = program;
    const QString prices = partial(dir.filePath(PricesFile));
    const QString book = partial(dir.filePath(BookFile));
    const auto clear = [&] {
        for (const QString& file : {prices, book, dir.filePath(PricesFile), dir.filePath(BookFile)})
            QFile::remove(file);
        if (made)
            QDir().rmdir(folder);
    };
    for (const QString& file : {prices, book})
        QFile::remove(file); // left by a backup that was stopped
    Outcome outcome =
        location.isServer() ? readServer(store, prices, book) : readFiles(store, prices, book);
    if (outcome.done()) {
        QString problem = seal(prices, Part::Prices, &manifest);
        if (problem.isEmpty())
            problem = seal(book, Part::Book, &manifest);
        if (!problem.isEmpty())
            outcome = fail(StoreKind::Damaged, problem);
    }
    // The files take their names once complete, the manifest last: a folder
    // without it is not a backup.
    for (const QString& name : {PricesFile, BookFile}) {
        if (!outcome.done())
            break;
        const QString sum = checksum(partial(dir.filePath(name)));
        manifest.checksums.append({name, sum});
        if (sum.isEmpty() || !QFile::rename(partial(dir.filePath(name)), dir.filePath(name)))
            outcome = fail(StoreKind::Failed,
                           QStringLiteral("%1 could not be written.").arg(dir.filePath(name)));
    }
    if (outcome.done()) {
        QSaveFile text(dir.filePath(ManifestFile));
        if (!text.open(QIODevice::WriteOnly) || text.write(manifestText(manifest).toUtf8()) < 0 ||
            !text.commit())
            outcome =
                fail(StoreKind::Failed, QStringLiteral("%1 could not be written (%2).")
                                            .arg(dir.filePath(ManifestFile), text.errorString()));
    }
    // A backup is kept as it was written: read-only, so that a program that
    // looks at it cannot change it.
    for (const QString& name : {PricesFile, BookFile, ManifestFile})
        if (outcome.done())
            QFile::setPermissions(dir.filePath(name),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!outcome.done()) {
        clear();
        outcome.problem += QStringLiteral(" No backup was made.");
        return outcome;
    }
    outcome.folder = QFileInfo(folder).absoluteFilePath();
    outcome.manifest = manifest;
    return outcome;
}

Outcome Check(const QString& folder)
{
    const QDir dir(folder);
    const QString foreign =
        QStringLiteral("%1 is not a backup made by Locker Estimate's price list tool").arg(folder);
    if (!QFileInfo(folder).isDir())
        return fail(StoreKind::Missing, QStringLiteral("There is no folder %1.").arg(folder));
    QFile text(dir.filePath(ManifestFile));
    if (!text.exists())
        return fail(StoreKind::Damaged,
                    QStringLiteral("%1: it has no %2.").arg(foreign, ManifestFile));
    if (!text.open(QIODevice::ReadOnly) || text.size() > (1 << 20))
        return fail(StoreKind::Damaged,
                    QStringLiteral("%1 cannot be read.").arg(dir.filePath(ManifestFile)));
    const std::optional<Manifest> read = readManifest(QString::fromUtf8(text.readAll()));
    if (!read)
        return fail(StoreKind::Damaged,
                    QStringLiteral("%1: its %2 is not one that the tool writes.")
                        .arg(foreign, ManifestFile));
    const Manifest& manifest = *read;
    const QString damaged =
        QStringLiteral("The backup in %1 is damaged or was changed after it was made").arg(folder);
    for (const QString& name : {PricesFile, BookFile}) {
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path))
            return fail(StoreKind::Damaged, QStringLiteral("%1: it has no %2.").arg(damaged, name));
        const auto sum = std::find_if(manifest.checksums.begin(), manifest.checksums.end(),
                                      [&](const auto& entry) { return entry.first == name; });
        if (sum == manifest.checksums.end() || checksum(path) != sum->second)
            return fail(
                StoreKind::Damaged,
                QStringLiteral("%1: %2 is not the file that was written.").arg(damaged, name));
    }
    // The files are the ones written; SQLite's own check too, and what this
    // version needs of them.
    for (const Part part : {Part::Prices, Part::Book}) {
        const QString path = dir.filePath(fileOf(part));
        StoreSession file("check");
        nameFile(file, part);
        const std::optional<QString> sound =
            file.openReadOnly(path) ? file.integrity() : std::nullopt;
        if (!sound || *sound != QLatin1String("ok"))
            return fail(StoreKind::Damaged,
                        QStringLiteral("%1: SQLite finds %2 unsound (%3).")
                            .arg(damaged, fileOf(part), sound ? *sound : file.problem()));
        const bool readable = part == Part::Prices
                                  ? PriceListSetup::Readable(file)
                                  : BookSetup::Readable(file, manifest.bookVersion);
        if (!readable)
            return fail(StoreKind::Damaged, QStringLiteral("%1: %2 lacks tables or columns of "
                                                           "Locker Estimate. (%3)")
                                                .arg(damaged, fileOf(part), file.problem()));
        if (part == Part::Book) {
            const std::optional<int> version = file.fileVersion();
            if (!version || *version != manifest.bookVersion)
                return fail(StoreKind::Damaged,
                            QStringLiteral("%1: the version of its book is not the one its %2 "
                                           "names.")
                                .arg(damaged, ManifestFile));
            if (manifest.bookVersion < 1 || manifest.bookVersion > EstimateBook::SchemaVersion)
                return fail(StoreKind::NewerVersion,
                            QStringLiteral("The backup in %1 holds a book of saved estimates of "
                                           "version %2, which this version of Locker Estimate "
                                           "does not know (it knows up to %3): restore it with "
                                           "the version that made it.")
                                .arg(folder)
                                .arg(manifest.bookVersion)
                                .arg(EstimateBook::SchemaVersion));
        }
        for (const Carried& table : carriedTables()) {
            if (table.part != part)
                continue;
            const QString& name = table.table.table;
            const qint64 counted = file.rowCount(name).value_or(-1);
            if (counted != manifest.rowsOf(name) || (table.table.required && counted < 0))
                return fail(StoreKind::Damaged,
                            QStringLiteral("%1: its table %2 holds %3 rows, where its %4 counts "
                                           "%5.")
                                .arg(damaged, name,
                                     counted < 0 ? QStringLiteral("no") : QString::number(counted),
                                     ManifestFile,
                                     manifest.rowsOf(name) < 0
                                         ? QStringLiteral("none")
                                         : QString::number(manifest.rowsOf(name))));
        }
    }
    Outcome outcome;
    outcome.folder = QFileInfo(folder).absoluteFilePath();
    outcome.manifest = manifest;
    return outcome;
}

Outcome Restore(const QString& folder, const QString& store, const QString& program)
{
    const Outcome checked = Check(folder);
    if (!checked.done())
        return checked;
    const StoreLocation location(store);
    // What is there now is kept first, when there is anything.
    bool holds = false;
    if (location.isServer()) {
        StoreSession server("restore");
        const std::optional<bool> there =
            server.openServer(store) ? server.holdsTable(QStringLiteral("Charges1")) : std::nullopt;
        if (!there)
            return fail(StoreKind::Unreachable,
                        QStringLiteral("%1 Nothing was restored.").arg(server.problem()));
        holds = *there;
    } else {
        holds = QFileInfo::exists(store);
        const QString bookPath = EstimateBook::pathBeside(store);
        if (!holds && QFileInfo::exists(bookPath))
            return fail(StoreKind::Refused,
                        QStringLiteral("There is an estimates file %1 but no price list beside "
                                       "it, so it cannot be kept first. Put the price list back, "
                                       "or move the estimates file away, and restore again. "
                                       "Nothing was restored.")
                            .arg(Database::Described(bookPath)));
        // Files that a program has open are found before anything is kept.
        StoreSession book("restore"), prices("restore");
        nameFile(book, Part::Book);
        QString problem = takeFile(book, bookPath);
        if (problem.isEmpty())
            problem = takeFile(prices, store);
        if (!problem.isEmpty())
            return fail(StoreKind::Locked, problem + QStringLiteral(" Nothing was restored."));
    }
    Outcome outcome;
    if (holds) {
        const Outcome kept = Backup(store, keepingFolder(location), program);
        if (!kept.done())
            return fail(kept.kind, QStringLiteral("What %1 holds could not be kept first, so "
                                                  "nothing was restored. %2")
                                       .arg(location.described(), kept.problem));
        outcome.folder = kept.folder;
    }
    if (location.isServer()) {
        // A server without the tables, or with older ones, gets them first.
        StoreResult made;
        if (!holds)
            made = PriceListSetup::CreatePriceTable(store);
        if (made.done())
            made = BookSetup::PrepareBook(store);
        if (!made.done()) {
            outcome.kind = StoreKind::Failed;
            outcome.problem = QStringLiteral("%1 Nothing was restored.").arg(made.problem);
            return outcome;
        }
    }
    const Outcome replaced = location.isServer() ? restoreServer(folder, store, checked.manifest)
                                                 : restoreFiles(folder, store, checked.manifest);
    outcome.kind = replaced.kind;
    outcome.problem = replaced.problem;
    outcome.manifest = checked.manifest;
    return outcome;
}

} // namespace BackupRestore
