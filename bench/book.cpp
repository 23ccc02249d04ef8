// The book of saved estimates with 100,000 estimates in it.
//
//   bench_book [--server URL] [ESTIMATES]
//
// Makes an estimates file in a temporary folder (with --server, the book's
// tables in the PostgreSQL database at URL, which must be empty): one
// estimate saved through the book (which makes the file and its tables), then
// the rest written in one transaction with one prepared insert, as the book
// writes them, with customers of 60 first names and 400 family names, phones
// and estimates of about 2 kB each (a third of them with a final bill as
// well). Then measures, each as a median in ms:
//
//   book.save       a new estimate saved (one transaction, synced to disk)
//   book.list       the first 100 estimates, newest first, as the Estimates
//                   window shows them when it opens
//   book.search     a search keystroke: the first 100 estimates whose customer
//                   holds what is typed, for each letter of several names;
//                   book.search.max_ms is the slowest (a name found once,
//                   where every estimate is looked at)
//
// and prints them as key=value lines (book_server.* with --server). In a
// file, the search keystrokes are typed again while another program (this
// one, started with --hold) holds the file locked: once after it began a
// write and inserted an estimate without committing it (book_locked_write),
// and once after it took the whole file (Begin Exclusive, the same insert:
// book_locked_whole). Each tells the median and slowest time, how many
// searches listed estimates (.listed) and how many told a problem instead
// (.told; .told_locked those that told the file locked).
//
//   bench_book --far URL
//
// The book at URL (filled by an earlier --server run) reached through the
// test relay with 50 ms added each way: a new estimate saved, after a first
// save that makes the connection (book_far.save.median_ms), the round trip
// of a bare statement through the same link (book_far.round_trip_ms), and
// how many such round trips a save takes (book_far.save.round_trips).
//
//   bench_book --hold FILE write|whole
//
// Holds the estimates file FILE locked as above, says "held" on its standard
// output, and takes its change back and ends when its standard input closes.

#include "book/estimate_book.h"
#include "connection.h"
#include "far_link.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int ListRows = 100;

const char* const FirstNames[] = {
    "James", "Mary",     "John",    "Patricia", "Robert", "Jennifer", "Michael", "Linda",
    "David", "Susan",    "William", "Karen",    "Joseph", "Nancy",    "Thomas",  "Betty",
    "Dale",  "Helen",    "Wayne",   "Sandra",   "Earl",   "Donna",    "Roy",     "Carol",
    "Ray",   "Ruth",     "Gene",    "Sharon",   "Lloyd",  "Michelle", "Harold",  "Laura",
    "Carl",  "Sarah",    "Arthur",  "Kimberly", "Ralph",  "Deborah",  "Howard",  "Jessica",
    "Jack",  "Shirley",  "Dennis",  "Cynthia",  "Jerry",  "Angela",   "Walter",  "Melissa",
    "Henry", "Brenda",   "Peter",   "Amy",      "Gary",   "Anna",     "Larry",   "Rebecca",
    "Frank", "Virginia", "Scott",   "Kathleen"};
constexpr int FirstNameCount = int(std::size(FirstNames));
constexpr int FamilyNameCount = 400;

// A family name of its own for each number: two syllables and an ending.
QString familyName(int n)
{
    static const char* const first[] = {"Ander", "Bauer", "Carl", "Dietr", "Eck",  "Fisch", "Gross",
                                        "Hoff",  "Jans",  "Kell", "Lind",  "Mill", "Nord",  "Olds",
                                        "Peter", "Quist", "Ross", "Schm",  "Tuck", "Vogel"};
    static const char* const second[] = {"ab", "en", "ing", "ov", "ul"};
    static const char* const ending[] = {"son", "er", "man", "berg"};
    return QString::fromLatin1(first[n % 20]) + QString::fromLatin1(second[(n / 20) % 5]) +
           QString::fromLatin1(ending[(n / 100) % 4]);
}

QString customerOf(int n)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(FirstNames[n % FirstNameCount]),
                                       familyName((n / FirstNameCount) % FamilyNameCount));
}

QString phoneOf(int n)
{
    return QStringLiteral("(555) %1-%2").arg(200 + n % 700).arg(n % 10000, 4, 10, QLatin1Char('0'));
}

QString stateOf(int n, const char* kind)
{
    return QStringLiteral("%1 %2;Text1=1250;Check1_3=1;Text6_12=12.50;")
        .arg(QLatin1String(kind))
        .arg(n)
        .repeated(48);
}

EstimateRecord recordOf(int n)
{
    EstimateRecord record;
    record.customer = customerOf(n);
    record.phone = phoneOf(n);
    record.species = n % 3 == 0 ? QStringLiteral("Pork") : QStringLiteral("Beef");
    record.liveWeight = QString::number(900 + n % 600);
    record.quoteTotal = QStringLiteral("%1.25").arg(500 + n % 700);
    record.quoteState = stateOf(n, "quote");
    if (n % 3 == 1) {
        record.finalTotal = QStringLiteral("%1.75").arg(510 + n % 700);
        record.finalState = stateOf(n, "final");
    }
    return record;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The folder of the generated file, removed also when the run fails.
QTemporaryDir* workFolder = nullptr;

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_book: %s\n", qPrintable(what));
    if (workFolder)
        workFolder->remove();
    std::exit(1);
}

// A connection of the bench's own to the book's file or server, opened.
QSqlDatabase openConnection(const QString& name, const QString& path)
{
    return OpenBenchConnection(name, path, fail);
}

// Estimates `from` to `to` written straight into the book's table, with the
// search keys that the book keeps beside each, in the transaction under way.
void insertEstimates(QSqlDatabase& db, int from, int to)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "Insert Into Estimates (Created, Updated, Customer, Phone, Note, Species, LiveWeight, "
        "QuoteTotal, FinalTotal, QuoteState, FinalState, Revision, CustomerKey, PhoneKey, "
        "PhoneDigits) Values (?, ?, ?, ?, '', ?, ?, ?, ?, ?, ?, 1, ?, ?, ?)"));
    const QDateTime start = QDateTime::currentDateTime().addDays(-3 * 365);
    for (int n = from; n <= to; ++n) {
        const EstimateRecord r = recordOf(n);
        const QString time =
            start.addSecs(qint64(n) * 900).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        for (const QVariant& value :
             {QVariant(time), QVariant(time), QVariant(r.customer), QVariant(r.phone),
              QVariant(r.species), QVariant(r.liveWeight), QVariant(r.quoteTotal),
              QVariant(r.finalTotal.isNull() ? QStringLiteral("") : r.finalTotal),
              QVariant(r.quoteState),
              QVariant(r.finalState.isNull() ? QStringLiteral("") : r.finalState),
              QVariant(r.customer.toCaseFolded()), QVariant(r.phone),
              QVariant(QString(r.phone).remove(QRegularExpression(QStringLiteral("\\D"))))})
            query.addBindValue(value);
        if (!query.exec())
            fail(query.lastError().text());
    }
}

void exec(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        fail(QStringLiteral("%1: %2").arg(statement, query.lastError().text()));
}

// The rest of the estimates, in one transaction.
void fill(const QString& path, int estimates)
{
    const QString name = QStringLiteral("bench-fill");
    {
        QSqlDatabase db = openConnection(name, path);
        exec(db, QStringLiteral("Begin"));
        insertEstimates(db, 2, estimates);
        exec(db, QStringLiteral("Commit"));
    }
    QSqlDatabase::removeDatabase(name);
}

// Another program's hold on the estimates file: a write begun, one estimate
// inserted and not committed (`whole`: the whole file taken first), until
// its standard input closes; then the change is taken back.
int hold(const QString& path, const QString& how)
{
    if (how != QLatin1String("write") && how != QLatin1String("whole"))
        fail(QStringLiteral("hold the file for a write or whole, not %1").arg(how));
    QSqlDatabase db = openConnection(QStringLiteral("bench-hold"), path);
    exec(db, how == QLatin1String("whole") ? QStringLiteral("Begin Exclusive")
                                           : QStringLiteral("Begin Immediate"));
    insertEstimates(db, 999999, 999999);
    std::printf("held\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    exec(db, QStringLiteral("Rollback"));
    return 0;
}

std::vector<double> timed(int times, const std::function<void()>& work)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    for (int k = 0; k < times; ++k) {
        const auto before = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    }
    return ms;
}

// Search keystrokes: names typed letter by letter, each letter a look at the
// first 100 estimates found. How long each took, and what came back.
struct Searching {
    std::vector<double> ms;
    int listed = 0;     // searches that listed estimates
    int told = 0;       // searches that told a problem instead
    int toldLocked = 0; // of those, the ones that told the file locked
    int lastFound = 0;  // the estimates the last search listed
    QString problem;    // the last problem told
};

Searching typeSearches(EstimateBook& book, const QStringList& names)
{
    Searching searching;
    for (const QString& name : names) {
        for (int letters = 1; letters <= name.size(); ++letters) {
            const QString typed = name.left(letters);
            QString problem;
            QList<EstimateListing> rows;
            searching.ms.push_back(
                timed(1, [&] { rows = book.list(typed, &problem, ListRows); })[0]);
            searching.lastFound = int(rows.size());
            if (problem.isEmpty() && !rows.isEmpty()) {
                ++searching.listed;
            } else {
                ++searching.told;
                searching.toldLocked += problem.contains(QLatin1String("locked")) ? 1 : 0;
                searching.problem = problem;
            }
        }
    }
    return searching;
}

void printSearching(const char* key, const Searching& searching)
{
    std::printf("%s.search.count=%zu\n", key, searching.ms.size());
    std::printf("%s.search.median_ms=%.2f\n", key, median(searching.ms));
    std::printf("%s.search.max_ms=%.2f\n", key,
                *std::max_element(searching.ms.begin(), searching.ms.end()));
}

// The same search keystrokes while another program holds the file locked
// (`how`: write or whole; see hold()).
void searchWhileHeld(EstimateBook& book, const QStringList& names, const QString& how)
{
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--hold"), book.path(), how});
    while (holder.state() != QProcess::NotRunning && !holder.canReadLine())
        holder.waitForReadyRead(10000);
    if (holder.readLine().trimmed() != "held")
        fail(QStringLiteral("the other program did not hold the file: %1")
                 .arg(QString::fromLocal8Bit(holder.readAllStandardError())));
    const Searching searching = typeSearches(book, names);
    holder.closeWriteChannel();
    if (!holder.waitForFinished(10000) || holder.exitCode() != 0)
        fail(QStringLiteral("the other program did not let the file go"));
    const QByteArray key = "book_locked_" + how.toLatin1();
    printSearching(key.constData(), searching);
    std::printf("%s.listed=%d\n", key.constData(), searching.listed);
    std::printf("%s.told=%d\n", key.constData(), searching.told);
    std::printf("%s.told_locked=%d\n", key.constData(), searching.toldLocked);
    if (searching.told > 0)
        std::fprintf(stderr, "bench_book: with the file held (%s): %s\n", qPrintable(how),
                     qPrintable(searching.problem));
}

// A new estimate saved in the book at `url` through a link of 50 ms each
// way, and the round trip of a bare statement through the same link.
int saveFar(const QString& url)
{
    FarLink link(url, 50);
    EstimateBook book(link.url());
    int n = 5000000;
    const auto saveOne = [&] {
        EstimateRecord record = recordOf(++n);
        if (const BookResult saved = book.save(record); !saved.done)
            fail(saved.problem);
    };
    int sends = link.sends();
    const std::vector<double> connect = timed(1, saveOne); // the connection made
    const int connectSends = link.sends() - sends;
    sends = link.sends();
    const std::vector<double> save = timed(11, saveOne);
    const double saveSends = double(link.sends() - sends) / double(save.size());
    // The clerk's search, key by key, after a first look at the list.
    QString problem;
    book.list(QString(), &problem, ListRows);
    sends = link.sends();
    const Searching searching = typeSearches(book, {customerOf(n)});
    const double searchSends = double(link.sends() - sends) / double(searching.ms.size());
    if (searching.listed != int(searching.ms.size()))
        fail(searching.problem);
    std::vector<double> roundTrip;
    const QString name = QStringLiteral("bench-round-trip");
    {
        QSqlDatabase db = openConnection(name, link.url());
        roundTrip = timed(11, [&] { exec(db, QStringLiteral("Select 1")); });
    }
    QSqlDatabase::removeDatabase(name);
    std::printf("book_far.first_save_ms=%.2f\n", connect[0]);
    std::printf("book_far.save.count=%zu\n", save.size());
    std::printf("book_far.save.median_ms=%.2f\n", median(save));
    std::printf("book_far.save.max_ms=%.2f\n", *std::max_element(save.begin(), save.end()));
    std::printf("book_far.round_trip_ms=%.2f\n", median(roundTrip));
    std::printf("book_far.save.round_trips=%.1f\n", saveSends);
    std::printf("book_far.first_save.round_trips=%d\n", connectSends);
    std::printf("book_far.search.count=%zu\n", searching.ms.size());
    std::printf("book_far.search.median_ms=%.2f\n", median(searching.ms));
    std::printf("book_far.search.round_trips=%.1f\n", searchSends);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == QLatin1String("--hold") && arguments.size() == 3)
        return hold(arguments[1], arguments[2]);
    if (arguments.value(0) == QLatin1String("--far") && arguments.size() == 2)
        return saveFar(arguments[1]);
    QString server;
    if (arguments.value(0) == QLatin1String("--server")) {
        server = arguments.value(1);
        arguments = arguments.mid(2);
    }
    const int estimates = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    if (estimates < 1000)
        fail(QStringLiteral("at least 1000 estimates"));
    QTemporaryDir dir;
    workFolder = &dir;
    EstimateBook book(server.isEmpty() ? dir.filePath(QStringLiteral("Estimates.db")) : server);
    EstimateRecord first = recordOf(1);
    first.customer = QStringLiteral("Quentin Zabriskie");
    if (const BookResult saved = book.save(first); !saved.done)
        fail(saved.problem);
    fill(book.path(), estimates);

    QString problem;
    int n = estimates;
    const std::vector<double> save = timed(41, [&] {
        EstimateRecord record = recordOf(++n);
        if (const BookResult saved = book.save(record); !saved.done)
            fail(saved.problem);
    });

    const std::vector<double> list = timed(41, [&] {
        const QList<EstimateListing> rows = book.list(QString(), &problem, ListRows);
        if (rows.size() != ListRows || rows.first().number != n)
            fail(QStringLiteral("the list is not the newest estimates: %1").arg(problem));
    });

    // A counter's first look at the book: the open check (SQLite's check of
    // every page of the file), then the newest estimates.
    const std::vector<double> firstList = timed(5, [&] {
        EstimateBook opened(book.path());
        if (opened.list(QString(), &problem, ListRows).size() != ListRows)
            fail(QStringLiteral("the list at the first look is not whole: %1").arg(problem));
    });

    // Typing names letter by letter: two family names, each held by one
    // estimate in 400, and the name of the first estimate, which only it holds.
    const QStringList names{familyName(7), familyName(estimates / FirstNameCount / 2),
                            first.customer};
    const Searching search = typeSearches(book, names);
    if (search.told > 0)
        fail(QStringLiteral("nothing found: %1").arg(search.problem));
    if (search.lastFound != 1)
        fail(QStringLiteral("the first customer's name is found %1 times").arg(search.lastFound));

    const char* const key = server.isEmpty() ? "book" : "book_server";
    std::printf("%s.estimates=%d\n", key, estimates);
    std::printf("%s.save.median_ms=%.2f\n", key, median(save));
    std::printf("%s.save.max_ms=%.2f\n", key, *std::max_element(save.begin(), save.end()));
    std::printf("%s.list.median_ms=%.2f\n", key, median(list));
    std::printf("%s.first_list.median_ms=%.2f\n", key, median(firstList));
    printSearching(key, search);
    if (server.isEmpty()) {
        searchWhileHeld(book, names, QStringLiteral("write"));
        searchWhileHeld(book, names, QStringLiteral("whole"));
    }
    return 0;
}
