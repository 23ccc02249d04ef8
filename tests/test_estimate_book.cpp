// The book of saved estimates: records come back exactly, numbers are never
// given twice, the list finds them, and a save that fails leaves the record
// and the file as they were.

#include "book/estimate_book.h"
#include "support/book_checks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

EstimateRecord sample(const QString& customer, const QString& phone = QString())
{
    EstimateRecord record;
    record.customer = customer;
    record.phone = phone;
    record.species = QStringLiteral("Beef");
    record.liveWeight = QStringLiteral("1250");
    record.quoteTotal = QStringLiteral("812.50");
    record.quoteState = QStringLiteral("the estimate of %1").arg(customer);
    return record;
}

// Every field, so that two records compare with a readable difference.
QStringList fields(const EstimateRecord& r)
{
    QStringList texts{r.customer,   r.phone,      r.note,       r.species,   r.liveWeight,
                      r.quoteTotal, r.finalTotal, r.quoteState, r.finalState};
    return texts << QString::number(r.number) << QString::number(r.revision)
                 << r.created.toString(Qt::ISODate) << r.updated.toString(Qt::ISODate);
}

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs statements on a file with a connection of its own (making the file
// when it is missing); the first value of the last one.
QVariant sql(const QString& path, const QStringList& statements)
{
    static int counter = 0;
    const QString name = QStringLiteral("test-book-%1").arg(++counter);
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            if (!query.exec(statement))
                qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
            value = query.next() ? query.value(0) : QVariant();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

// The numbers listed for a search, newest first, as one text.
QString listed(EstimateBook& book, const QString& search, int limit = -1)
{
    QString problem;
    QStringList numbers;
    for (const EstimateListing& l : book.list(search, &problem, limit))
        numbers << QString::number(l.number);
    return problem.isEmpty() ? numbers.join(QLatin1Char(' ')) : problem;
}

// A folder with the place of an estimates file in it.
struct Shelf {
    QTemporaryDir dir;
    QString path = EstimateBook::pathBeside(dir.filePath(QStringLiteral("Lockers.db")));
    EstimateBook book{path};

    EstimateRecord saved(const QString& customer, const QString& phone = QString())
    {
        EstimateRecord record = sample(customer, phone);
        const BookResult result = book.save(record);
        if (!result.done)
            qFatal("%s", qPrintable(result.problem));
        return record;
    }
};

// Saves `record` expecting a refusal whose words hold `words`: the record and
// the file are left exactly as they were.
void expectRefused(EstimateBook& book, EstimateRecord record, const QString& words)
{
    const QByteArray file = bytes(book.path());
    const QStringList before = fields(record);
    const BookResult result = book.save(record);
    QVERIFY(!result.done);
    QVERIFY2(result.problem.contains(words), qPrintable(result.problem));
    QCOMPARE(fields(record), before);
    QCOMPARE(bytes(book.path()), file);
}

// A file or folder that refuses writes until the object goes (immutable for
// root, whom file modes do not stop).
class WriteGuard {
public:
    explicit WriteGuard(const QString& path)
        : path_(path)
        , mode_(QFile::permissions(path))
    {
        if (geteuid() == 0)
            held_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        else
            held_ = QFile::setPermissions(path, mode_ & ~(QFile::WriteOwner | QFile::WriteUser |
                                                          QFile::WriteGroup | QFile::WriteOther));
    }
    ~WriteGuard()
    {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        QFile::setPermissions(path_, mode_);
    }
    bool held() const { return held_; }

private:
    QString path_;
    QFile::Permissions mode_;
    bool held_ = false;
};

// What the killed writer saves, and then saves again: every part of a row
// tells the others.
EstimateRecord wholeRecord(int n, bool again)
{
    EstimateRecord record = sample(QStringLiteral("Customer %1").arg(n));
    record.quoteTotal = QString::number(n);
    record.quoteState = QStringLiteral("quote %1;").arg(n).repeated(2000);
    if (again) {
        record.note = QStringLiteral("again %1").arg(n);
        record.finalState = QStringLiteral("final %1;").arg(n).repeated(2000);
    }
    return record;
}

} // namespace

class TestEstimateBook : public QObject {
    Q_OBJECT

private slots:
    void recordComesBackExactly()
    {
        Shelf s;
        EstimateRecord record;
        record.customer = QStringLiteral("O'Brien \"Big Jim\"'); Drop Table Estimates; --");
        record.phone = QStringLiteral("+1 (555) 010-2000\text. 7");
        record.note = QStringLiteral("Zoë Ångström, 山田 🐄\r\nline two\n\n%_\\") +
                      QString(QChar(0)) + QStringLiteral("x").repeated(200000);
        record.species = QStringLiteral("Deer");
        record.liveWeight = QStringLiteral(" 1,250.5 ");
        record.quoteTotal = QStringLiteral("1,234.56");
        record.finalTotal = QStringLiteral("1,300.07");
        record.quoteState = QStringLiteral("Text1=\"1250\"\nCheck1_3=1\n");
        record.finalState = QStringLiteral("Text1=\"1300\"\n");
        QVERIFY(s.book.save(record).done);
        QCOMPARE(record.number, qint64(1));
        QCOMPARE(record.revision, qint64(1));
        QVERIFY(record.created.isValid());
        QCOMPARE(record.updated, record.created);

        QString problem;
        EstimateBook again(s.path);
        const std::optional<EstimateRecord> opened = again.open(record.number, &problem);
        QVERIFY2(opened, qPrintable(problem));
        QCOMPARE(fields(*opened), fields(record));
        QVERIFY(!again.open(2, &problem) && problem.isEmpty());
    }

    void sharesOfAnAnimalAreSavedTogether()
    {
        Shelf shelf;
        BookChecks::SharesSavedTogether(shelf.book);
        // The first save of a new file holds them all.
        Shelf fresh;
        EstimateRecord a = sample(QStringLiteral("A")), b = sample(QStringLiteral("B"));
        QVERIFY(fresh.book.saveAll({&a, &b}).done);
        QCOMPARE(b.number, a.number + 1);
        QCOMPARE(listed(fresh.book, QString()), QStringLiteral("2 1"));
    }

    void changesElsewhereAreTold()
    {
        Shelf shelf;
        EstimateRecord first = sample(QStringLiteral("First"));
        QVERIFY(shelf.book.save(first).done);
        EstimateBook other(shelf.book.path());
        BookChecks::ChangesElsewhereTold(shelf.book, other);
    }

    void reportOverKnownBills()
    {
        Shelf shelf;
        BookChecks::ReportOverKnownBills(shelf.book);
        Shelf animal;
        BookChecks::AnimalInSharesCountsOnce(animal.book);
    }

    void aBookOfTheFirstVersionIsBroughtUp()
    {
        // A book as the first version of the program left it.
        Shelf shelf;
        sql(shelf.path,
            {QStringLiteral("Create Table Estimates (Number Integer Primary Key Autoincrement, "
                            "Created Text Not Null, Updated Text Not Null, Customer Text Not Null, "
                            "Phone Text Not Null, Note Text Not Null, Species Text Not Null, "
                            "LiveWeight Text Not Null, QuoteTotal Text Not Null, FinalTotal Text "
                            "Not Null, QuoteState Text Not Null, FinalState Text Not Null, "
                            "Revision Bigint Not Null, CustomerKey Text Not Null, PhoneKey Text "
                            "Not Null, PhoneDigits Text Not Null)"),
             QStringLiteral("Insert Into Estimates Values (7, '2025-10-01T09:00:00', "
                            "'2025-10-01T09:00:00', 'Old Timer', '', '', 'Beef', '1000', '202', "
                            "'', 'old quote', '', 1, 'old timer', '', '')"),
             QStringLiteral("Pragma user_version = 1")});
        QString problem;
        const std::optional<EstimateRecord> old = shelf.book.open(7, &problem);
        QVERIFY2(old, qPrintable(problem));
        QCOMPARE(old->customer, QStringLiteral("Old Timer"));
        QVERIFY(!old->figured);
        QCOMPARE(old->quoteCents, std::nullopt);
        QCOMPARE(sql(shelf.path, {QStringLiteral("Pragma user_version")}).toInt(),
                 EstimateBook::SchemaVersion);
        QCOMPARE(shelf.book.report({}, &problem).notFigured, 1);
        QCOMPARE(shelf.book.fillFigures([](EstimateRecord& r) { r.quoteCents = 20200; }, &problem),
                 1);
        QCOMPARE(shelf.book.open(7, &problem)->quoteCents, std::optional<qint64>(20200));
        QCOMPARE(shelf.saved(QStringLiteral("New")).number, 8);
    }

    void noFileUntilTheFirstSave()
    {
        Shelf s;
        QString problem = QStringLiteral("not cleared");
        QVERIFY(s.book.list(QString(), &problem).isEmpty() && problem.isEmpty());
        QVERIFY(!s.book.open(1, &problem) && problem.isEmpty());
        QVERIFY(s.book.remove(1).problem.contains(QLatin1String("no such estimate")));
        expectRefused(s.book, sample(QStringLiteral(" \t\u00a0")), QStringLiteral("name"));
        EstimateRecord opened = sample(QStringLiteral("Anna"));
        opened.number = 4;
        opened.revision = 2;
        expectRefused(s.book, opened, QStringLiteral("no estimates file"));
        QCOMPARE(
            QDir(s.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            QStringList());

        // An empty file, made by another program, becomes the book.
        QVERIFY(QFile(s.path).open(QIODevice::WriteOnly));
        QCOMPARE(s.saved(QStringLiteral("Anna")).number, qint64(1));
        QCOMPARE(listed(s.book, QString()), QStringLiteral("1"));
    }

    void numbersAreNeverGivenTwice()
    {
        Shelf s;
        for (const char* name : {"A", "B", "C"})
            s.saved(QLatin1String(name));
        QVERIFY(s.book.remove(3).done);
        const BookResult again = s.book.remove(3);
        QVERIFY(!again.done);
        QVERIFY2(again.problem.contains(QLatin1String("no such estimate")),
                 qPrintable(again.problem));
        QCOMPARE(s.saved(QStringLiteral("D")).number, qint64(4));
        QVERIFY(s.book.remove(2).done);
        QCOMPARE(s.saved(QStringLiteral("E")).number, qint64(5));
        QCOMPARE(listed(s.book, QString()), QStringLiteral("5 4 1"));
    }

    void updateKeepsNumberAndCreated()
    {
        Shelf s;
        s.saved(QStringLiteral("Anna"));
        const QString old = QStringLiteral("2020-01-02T03:04:05");
        sql(s.path,
            {QStringLiteral("Update Estimates Set Created = '%1', Updated = '%1'").arg(old)});
        QString problem;
        EstimateRecord record = *s.book.open(1, &problem);
        record.note = QStringLiteral("hanging weight 780");
        record.finalTotal = QStringLiteral("799.00");
        QVERIFY(s.book.save(record).done);
        QCOMPARE(record.number, qint64(1));
        QCOMPARE(record.revision, qint64(2));
        QCOMPARE(record.created.toString(Qt::ISODate), old);
        QVERIFY(record.updated > record.created);
        QCOMPARE(fields(*s.book.open(1, &problem)), fields(record));
        QCOMPARE(listed(s.book, QString()), QStringLiteral("1"));
    }

    // Bookings kept beside the estimates; the first one of a shop that has
    // saved no estimate yet makes the file.
    void bookingsAreKeptInTheBook()
    {
        Shelf s;
        QVERIFY(!QFileInfo::exists(s.path));
        EstimateBook other(s.path);
        BookChecks::BookingsKept(s.book, other);
        BookChecks::LastSpaceTakenOnce(s.book, [&s] { return new EstimateBook(s.path); });
        Shelf locked;
        BookChecks::CutSheetLocked(locked.book);
    }

    void staleRecordIsRefused()
    {
        Shelf s;
        BookChecks::StaleRecordsRefused(
            s.book, [&s](const QString& statement) { sql(s.path, {statement}); });
        // A refused save leaves the file byte for byte as it was.
        EstimateRecord here = s.saved(QStringLiteral("Anna"));
        EstimateRecord there = here;
        QVERIFY(s.book.save(there).done);
        expectRefused(s.book, here, QStringLiteral("changed since it was opened"));
    }

    void aBookOnlyReadIsLeftAsItWas()
    {
        // A copy kept as a backup is: in rollback-journal mode, read by a
        // list, a search, an opened estimate, an animal's shares and the
        // report, and left byte for byte as it was, with nothing beside it.
        Shelf s;
        s.saved(QStringLiteral("Anna"));
        s.saved(QStringLiteral("Bert"));
        const QString copy = s.dir.filePath(QStringLiteral("Backup.db"));
        sql(s.path, {QStringLiteral("Vacuum Into '%1'").arg(copy)});
        sql(copy, {QStringLiteral("Pragma journal_mode = Delete")});
        const QByteArray before = bytes(copy);
        {
            EstimateBook reader(copy);
            QString problem;
            QCOMPARE(listed(reader, QString()), QStringLiteral("2 1"));
            QCOMPARE(listed(reader, QStringLiteral("ann")), QStringLiteral("1"));
            QCOMPARE(reader.open(2, &problem)->customer, QStringLiteral("Bert"));
            QVERIFY(reader.animal(QStringLiteral("B-1"), &problem).isEmpty());
            QCOMPARE(reader.report(ReportRange(), &problem).estimates, 2);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            reader.changedElsewhere();
        }
        QCOMPARE(bytes(copy), before);
        QVERIFY(!QFileInfo::exists(copy + QStringLiteral("-wal")));
    }

    void listIsNewestFirstAndSearched()
    {
        Shelf s;
        s.saved(QStringLiteral("Anna Müller"), QStringLiteral("(555) 010-2000"));
        s.saved(QStringLiteral("BOB SMITH"), QStringLiteral("555-0199"));
        const EstimateRecord carl = s.saved(QStringLiteral("Carl Smithers"));
        for (int n = 4; n <= 11; ++n)
            s.saved(QStringLiteral("Filler"));
        const struct {
            const char* search;
            const char* numbers;
        } cases[] = {
            {"", "11 10 9 8 7 6 5 4 3 2 1"},
            {" smith ", "3 2"},   // part of a name, letter case and blanks aside
            {"MÜLL", "1"},        // letter case beyond ASCII
            {"0199", "2"},        // part of a phone
            {"555 0102000", "1"}, // a phone written with other marks
            {"1", "11 10 2 1"},   // numbers that start with it, phones that hold it
            {"10", "10 1"},       // never a number that merely holds it (not 1 0)
            {"%", ""},            // no pattern characters
            {"nobody", ""},
        };
        for (const auto& c : cases) {
            const QString search = QString::fromUtf8(c.search);
            QCOMPARE(search + QLatin1String(": ") + listed(s.book, search),
                     search + QLatin1String(": ") + QLatin1String(c.numbers));
        }
        QCOMPARE(listed(s.book, QString(), 3), QStringLiteral("11 10 9"));

        QString problem;
        const EstimateListing row = s.book.list(QStringLiteral("carl"), &problem).value(0);
        QCOMPARE(QStringList({QString::number(row.number), row.created.toString(Qt::ISODate),
                              row.customer, row.phone, row.species, row.liveWeight, row.quoteTotal,
                              row.finalTotal}),
                 QStringList({QStringLiteral("3"), carl.created.toString(Qt::ISODate),
                              carl.customer, carl.phone, carl.species, carl.liveWeight,
                              carl.quoteTotal, carl.finalTotal}));
    }

    // The counter keeps the file open between uses; a copy put back in its
    // place is what it reads and saves into from then on.
    void aFilePutInItsPlaceIsTheBook()
    {
        Shelf s;
        s.saved(QStringLiteral("Anna"));
        QCOMPARE(listed(s.book, QString()), QStringLiteral("1"));
        // A copy of another book, taken whole once its counter closed it.
        QTemporaryDir elsewhere;
        const QString other = elsewhere.filePath(QStringLiteral("Estimates.db"));
        {
            EstimateBook book(other);
            for (const QString& customer : {QStringLiteral("Bob"), QStringLiteral("Cy")}) {
                EstimateRecord record = sample(customer);
                QVERIFY(book.save(record).done);
            }
        }
        const QString kept = s.dir.filePath(QStringLiteral("kept.db"));
        QVERIFY(QFile::copy(other, kept));
        QVERIFY(::rename(QFile::encodeName(kept).constData(),
                         QFile::encodeName(s.path).constData()) == 0);
        QCOMPARE(listed(s.book, QString()), QStringLiteral("2 1"));
        QCOMPARE(s.saved(QStringLiteral("Dee")).number, qint64(3));
        EstimateBook fresh(s.path);
        QCOMPARE(listed(fresh, QStringLiteral("Dee")), QStringLiteral("3"));
    }

    void lockedFileIsRefused()
    {
        Shelf s;
        s.saved(QStringLiteral("Anna"));
        const QString name = QStringLiteral("other-program");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            other.setDatabaseName(s.path);
            QVERIFY(other.open());
            QSqlQuery query(other);
            // A file of an earlier version, kept with a rollback journal: a
            // look at the list is told at once, not after the save's wait.
            QVERIFY(query.exec(QStringLiteral("Pragma journal_mode = DELETE")));
            QVERIFY(query.exec(QStringLiteral("Begin Exclusive")));
            QElapsedTimer clock;
            clock.start();
            QString problem;
            QVERIFY(s.book.list(QString(), &problem).isEmpty());
            QVERIFY2(problem.contains(QLatin1String("holds the estimates file locked")),
                     qPrintable(problem));
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(query.exec(QStringLiteral("Rollback")));
            // Its next save puts it in WAL mode, where a look at the list is
            // not held up by the other program's write at all.
            QCOMPARE(s.saved(QStringLiteral("Bob")).number, qint64(2));
            QFile file(s.path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(int(file.read(19).at(18)), 2); // SQLite's header: the WAL's write version
            QVERIFY(query.exec(QStringLiteral("Begin Exclusive")));
            expectRefused(s.book, sample(QStringLiteral("Cy")),
                          QStringLiteral("holds the estimates file locked"));
            clock.start();
            QCOMPARE(s.book.list(QString(), &problem).size(), 2);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(query.exec(QStringLiteral("Rollback")));
        }
        QSqlDatabase::removeDatabase(name);
        QCOMPARE(s.saved(QStringLiteral("Cy")).number, qint64(3));
    }

    void readOnlyFileOrFolderIsRefused()
    {
        Shelf s;
        {
            WriteGuard folder(s.dir.path());
            QVERIFY(folder.held());
            expectRefused(s.book, sample(QStringLiteral("Anna")), QStringLiteral("folder"));
            QVERIFY(!QFile::exists(s.path));
        }
        EstimateRecord anna = s.saved(QStringLiteral("Anna"));
        anna.note = QStringLiteral("changed");
        {
            WriteGuard file(s.path);
            QVERIFY(file.held());
            expectRefused(s.book, anna, QStringLiteral("read-only"));
            QCOMPARE(listed(s.book, QString()), QStringLiteral("1"));
        }
        {
            WriteGuard folder(s.dir.path());
            expectRefused(s.book, anna, QStringLiteral("folder of the estimates file"));
            // Read by a counter that starts now, though nothing can be made
            // beside the file.
            EstimateBook fresh(s.path);
            QCOMPARE(listed(fresh, QString()), QStringLiteral("1"));
        }
        const BookResult last = s.book.save(anna);
        QVERIFY2(last.done, qPrintable(last.problem));
    }

    void fullDiskIsRefused()
    {
        Shelf s;
        const QString disk = s.dir.filePath(QStringLiteral("disk"));
        QDir().mkdir(disk);
        if (geteuid() != 0 ||
            QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=256k"), QStringLiteral("tmpfs"), disk}) != 0)
            QSKIP("only root can make a small disk to fill");
        const auto unmount =
            qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {disk}); });
        EstimateBook book(QDir(disk).filePath(QStringLiteral("Estimates.db")));
        EstimateRecord anna = sample(QStringLiteral("Anna"));
        QVERIFY(book.save(anna).done);
        {
            QFile filler(QDir(disk).filePath(QStringLiteral("filler")));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(512, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        EstimateRecord bob = sample(QStringLiteral("Bob"));
        bob.note = QStringLiteral("n").repeated(100000);
        expectRefused(book, bob, QStringLiteral("disk is full"));
        anna.quoteState = bob.note;
        expectRefused(book, anna, QStringLiteral("disk is full"));
        QVERIFY(QFile::remove(QDir(disk).filePath(QStringLiteral("filler"))));
        QVERIFY(book.save(bob).done);
    }

    void damagedOrNewerFileIsRefused_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("words");
        const QString damaged = QStringLiteral("damaged or not an estimates file");
        QTest::newRow("text") << "text" << damaged;
        QTest::newRow("price list") << "price list" << damaged;
        QTest::newRow("no table") << "no table" << damaged;
        QTest::newRow("garbage inside") << "garbage inside" << damaged;
        QTest::newRow("newer") << "newer"
                               << QStringLiteral("made by a newer version of Locker Estimate");
    }

    void damagedOrNewerFileIsRefused()
    {
        QFETCH(QString, made);
        QFETCH(QString, words);
        Shelf s;
        if (made == QLatin1String("text")) {
            QFile file(s.path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("Customer,Phone\nAnna,555\n").repeated(300));
        } else if (made == QLatin1String("price list")) {
            sql(s.path, {QStringLiteral("Create Table Charges1 (Item Text, Cost Numeric)")});
        } else if (made == QLatin1String("no table")) {
            sql(s.path,
                {QStringLiteral("Create Table Other (x)"),
                 QStringLiteral("Pragma user_version = %1").arg(EstimateBook::SchemaVersion)});
        } else if (made == QLatin1String("garbage inside")) {
            // Estimates saved by an earlier run; then 8 KB of the middle of
            // the file overwritten.
            {
                EstimateBook earlier(s.path);
                for (int i = 0; i < 300; ++i) {
                    EstimateRecord record = sample(QStringLiteral("Customer %1").arg(i));
                    QVERIFY(earlier.save(record).done);
                }
            }
            QFile file(s.path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2));
            QByteArray garbage(8192, '\0');
            for (int i = 0; i < garbage.size(); ++i)
                garbage[i] = char((i * 7919 + 13) % 251);
            file.write(garbage);
        } else {
            s.saved(QStringLiteral("Anna"));
            sql(s.path,
                {QStringLiteral("Pragma user_version = %1").arg(EstimateBook::SchemaVersion + 1)});
        }
        const QByteArray before = bytes(s.path);
        expectRefused(s.book, sample(QStringLiteral("Bob")), words);
        QString problem;
        QVERIFY(s.book.list(QString(), &problem).isEmpty());
        QVERIFY2(problem.contains(words), qPrintable(problem));
        QVERIFY(!s.book.open(1, &problem));
        QVERIFY2(problem.contains(words), qPrintable(problem));
        QVERIFY(!s.book.remove(1).done);
        QCOMPARE(bytes(s.path), before);
    }

    void killedWriterLeavesWholeRows()
    {
        Shelf s;
        int acks[2];
        QVERIFY(::pipe(acks) == 0);
        int saved = 0;
        for (int round = 0; round < 3; ++round) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                // Saves and updates until it is killed, telling each new estimate saved.
                EstimateBook book(s.path);
                for (int n = (round + 1) * 1000;; ++n) {
                    EstimateRecord record = wholeRecord(n, false);
                    if (book.save(record).done && ::write(acks[1], "s", 1) != 1)
                        ::_exit(1);
                    const EstimateRecord again = wholeRecord(n, true);
                    record.note = again.note;
                    record.finalState = again.finalState;
                    book.save(record);
                }
            }
            char ack;
            for (int k = 0; k < 4 + 3 * round; ++k, ++saved)
                QVERIFY(::read(acks[0], &ack, 1) == 1);
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        ::close(acks[0]);
        ::close(acks[1]);

        QString problem;
        const QList<EstimateListing> rows = s.book.list(QString(), &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(sql(s.path, {QStringLiteral("Pragma integrity_check")}).toString(),
                 QStringLiteral("ok"));
        QVERIFY(rows.size() >= saved);
        for (const EstimateListing& row : rows) {
            const std::optional<EstimateRecord> r = s.book.open(row.number, &problem);
            QVERIFY2(r, qPrintable(problem));
            const EstimateRecord whole = wholeRecord(r->quoteTotal.toInt(), r->revision > 1);
            QCOMPARE(QStringList({r->customer, r->note, r->quoteState, r->finalState}),
                     QStringList({whole.customer, whole.note, whole.quoteState, whole.finalState}));
        }
    }
};

QTEST_GUILESS_MAIN(TestEstimateBook)
#include "test_estimate_book.moc"
