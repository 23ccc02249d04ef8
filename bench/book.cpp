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
// and prints them as key=value lines (book_server.* with --server).

#include "book/estimate_book.h"
#include "store/database.h"

#include <QCoreApplication>
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

// The rest of the estimates, written straight into the book's table in one
// transaction, with the search keys that the book keeps beside each.
void fill(const QString& path, int estimates)
{
    const QString name = QStringLiteral("bench-fill");
    {
        QSqlDatabase db;
        if (Database::IsServerUrl(path)) {
            QString problem;
            const std::optional<ServerAddress> address = Database::ParseServerUrl(path, &problem);
            if (!address)
                fail(problem);
            db = Database::AddServer(name, *address);
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
        }
        if (!db.open())
            fail(db.lastError().text());
        QSqlQuery query(db);
        query.exec(QStringLiteral("Begin"));
        query.prepare(QStringLiteral(
            "Insert Into Estimates (Created, Updated, Customer, Phone, Note, Species, LiveWeight, "
            "QuoteTotal, FinalTotal, QuoteState, FinalState, Revision, CustomerKey, PhoneKey, "
            "PhoneDigits) Values (?, ?, ?, ?, '', ?, ?, ?, ?, ?, ?, 1, ?, ?, ?)"));
        const QDateTime start = QDateTime::currentDateTime().addDays(-3 * 365);
        for (int n = 2; n <= estimates; ++n) {
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
        if (!query.exec(QStringLiteral("Commit")))
            fail(query.lastError().text());
    }
    QSqlDatabase::removeDatabase(name);
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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
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

    // A counter's first look at the book: SQLite's check of every page of the
    // file, then the newest estimates.
    const std::vector<double> firstList = timed(5, [&] {
        EstimateBook opened(book.path());
        if (opened.list(QString(), &problem, ListRows).size() != ListRows)
            fail(QStringLiteral("the list at the first look is not whole: %1").arg(problem));
    });

    // Typing names letter by letter: two family names, each held by one
    // estimate in 400, and the name of the first estimate, which only it holds.
    std::vector<double> search;
    int rareFound = 0;
    for (const QString& name :
         {familyName(7), familyName(estimates / FirstNameCount / 2), first.customer}) {
        for (int letters = 1; letters <= name.size(); ++letters) {
            const QString typed = name.left(letters);
            search.push_back(timed(1, [&] {
                const QList<EstimateListing> rows = book.list(typed, &problem, ListRows);
                if (rows.isEmpty() || !problem.isEmpty())
                    fail(QStringLiteral("nothing found for %1: %2").arg(typed, problem));
                rareFound = int(rows.size());
            })[0]);
        }
    }
    if (rareFound != 1)
        fail(QStringLiteral("the first customer's name is found %1 times").arg(rareFound));

    const char* const key = server.isEmpty() ? "book" : "book_server";
    std::printf("%s.estimates=%d\n", key, estimates);
    std::printf("%s.save.median_ms=%.2f\n", key, median(save));
    std::printf("%s.save.max_ms=%.2f\n", key, *std::max_element(save.begin(), save.end()));
    std::printf("%s.list.median_ms=%.2f\n", key, median(list));
    std::printf("%s.first_list.median_ms=%.2f\n", key, median(firstList));
    std::printf("%s.search.count=%zu\n", key, search.size());
    std::printf("%s.search.median_ms=%.2f\n", key, median(search));
    std::printf("%s.search.max_ms=%.2f\n", key, *std::max_element(search.begin(), search.end()));
    return 0;
}
