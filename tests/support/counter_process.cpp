// A second counter on the shared server, in a process of its own: it saves
// estimates and changes prices through the same classes as the program, and
// says on its standard output what each step did, a line at a time.
//
//   counter_process save URL NAME [STOP-FILE]   saves "NAME 1", "NAME 2", ... until
//                                              STOP-FILE exists (or 30 saves without one)
//   counter_process edit URL NUMBER NOTE GO-FILE opens the estimate, waits for GO-FILE,
//                                              then saves it with the note
//   counter_process price URL ITEM COST          sets the item's price

#include "book/estimate_book.h"
#include "pricelist/price_list_editor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <cstdio>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void waitFor(const QString& file)
{
    while (!QFileInfo::exists(file))
        QThread::msleep(10);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() >= 4 && a[1] == QLatin1String("save")) {
        EstimateBook book(a[2]);
        const QString stop = a.value(4);
        for (int n = 1; stop.isEmpty() ? n <= 30 : !QFileInfo::exists(stop); ++n) {
            EstimateRecord record;
            record.customer = QStringLiteral("%1 %2").arg(a[3]).arg(n);
            record.quoteState = QStringLiteral("state of %1").arg(record.customer);
            const BookResult result = book.save(record);
            say(result.done ? QStringLiteral("saved %1 %2").arg(record.number).arg(record.customer)
                            : QStringLiteral("refused %1").arg(result.problem));
            if (!result.done)
                QThread::msleep(50);
        }
        return 0;
    }
    if (a.size() == 6 && a[1] == QLatin1String("edit")) {
        EstimateBook book(a[2]);
        QString problem;
        std::optional<EstimateRecord> record = book.open(a[3].toLongLong(), &problem);
        if (!record) {
            say(QStringLiteral("not opened %1").arg(problem));
            return 1;
        }
        say(QStringLiteral("opened"));
        waitFor(a[5]);
        record->note = a[4];
        const BookResult result = book.save(*record);
        say(result.done ? QStringLiteral("saved")
                        : QStringLiteral("refused %1").arg(result.problem));
        return 0;
    }
    if (a.size() == 5 && a[1] == QLatin1String("price")) {
        PriceListEditor editor(a[2]);
        if (editor.open() != PriceList::OpenResult::Opened) {
            say(editor.problem());
            return 1;
        }
        const EditResult result = editor.setCost(a[3], a[4]);
        say(result.done ? QStringLiteral("set") : result.problem);
        return result.done ? 0 : 1;
    }
    say(QStringLiteral("usage: counter_process save|edit|price ..."));
    return 2;
}
