// The book's answers about many estimates at once: the shares of one animal,
// the figures kept beside the records, and the report on the quotes.

#include "book/book_store.h"
#include "book/estimate_book.h"
#include "store/dialect.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cmath>

using namespace BookStore;

double Percentile(const QList<double>& sorted, double p)
{
    if (sorted.isEmpty())
        return 0;
    const double at = std::clamp(p, 0.0, 1.0) * double(sorted.size() - 1);
    const int below = int(std::floor(at));
    const int above = std::min(below + 1, int(sorted.size()) - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - below);
}

namespace {

// Runs `read` in a reading session; false, with the problem, when the book refused.
template <typename Read>
bool Reading(QSqlDatabase& db, BookFile& file, const StoreLocation& where, QString* problem,
             Read read)
{
    if (where.isFile() && !QFileInfo::exists(where.text()))
        return true;
    Session session(db, &file);
    bool empty = false;
    QString why;
    if (!session.start(false, where, &why, &empty)) {
        *problem = why;
        return false;
    }
    if (empty)
        return true;
    QSqlError error;
    read(&error);
    if (error.isValid()) {
        session.failed();
        session.end(false);
        *problem = ErrorWords(where, error, false);
        return false;
    }
    session.end(true);
    return true;
}

// The days of the range as the book keeps times, and the species.
QString RangeCondition(const ReportRange& range, QVariantList* values)
{
    QStringList conditions;
    if (range.from.isValid()) {
        conditions << QStringLiteral("Created >= ?");
        *values << TimeText(range.from.startOfDay());
    }
    if (range.to.isValid()) {
        conditions << QStringLiteral("Created < ?");
        *values << TimeText(range.to.addDays(1).startOfDay());
    }
    if (!range.species.isEmpty()) {
        conditions << QStringLiteral("Species = ?");
        *values << range.species;
    }
    return conditions.isEmpty()
               ? QString()
               : QStringLiteral(" And ") + conditions.join(QStringLiteral(" And "));
}

bool Run(QSqlQuery& query, const QString& statement, const QVariantList& values, QSqlError* error)
{
    query.setForwardOnly(true);
    query.prepare(statement);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (query.exec())
        return true;
    *error = query.lastError();
    return false;
}

} // namespace

QList<EstimateRecord> EstimateBook::animal(const QString& tag, QString* problem)
{
    QList<EstimateRecord> records;
    problem->clear();
    if (!connection_->problem.isEmpty()) {
        *problem = connection_->problem;
        return records;
    }
    Reading(connection_->db, connection_->file, location_, problem, [&](QSqlError* error) {
        QSqlQuery query(connection_->db);
        if (!Run(query,
                 QStringLiteral("Select %1 From Estimates Where AnimalTag = ? And AnimalTag <> '' "
                                "Order By Number")
                     .arg(RecordColumns),
                 {tag.trimmed()}, error))
            return;
        while (query.next())
            ReadRecord(query, records.emplace_back());
        if (query.lastError().isValid())
            *error = query.lastError();
    });
    if (!problem->isEmpty())
        records.clear();
    return records;
}

int EstimateBook::fillFigures(const std::function<void(EstimateRecord&)>& figure, QString* problem)
{
    problem->clear();
    if (!connection_->problem.isEmpty()) {
        *problem = connection_->problem;
        return -1;
    }
    if (location_.isFile() && !QFileInfo::exists(path()))
        return 0;
    Session session(connection_->db, &connection_->file);
    if (!session.start(true, location_, problem))
        return -1;
    QSqlError error;
    QList<EstimateRecord> records;
    {
        QSqlQuery query(connection_->db);
        if (Run(query,
                QStringLiteral("Select %1 From Estimates Where Figured = 0").arg(RecordColumns), {},
                &error))
            while (query.next())
                ReadRecord(query, records.emplace_back());
        if (!error.isValid() && query.lastError().isValid())
            error = query.lastError();
    }
    QSqlQuery update(connection_->db);
    if (!error.isValid() && !records.isEmpty() &&
        !update.prepare(
            QStringLiteral("Update Estimates Set %1 Where Number = ?").arg(FigureColumns)))
        error = update.lastError();
    for (EstimateRecord& record : records) {
        if (error.isValid())
            break;
        figure(record);
        record.figured = true;
        BindFigures(update, record);
        update.addBindValue(record.number);
        if (!update.exec())
            error = update.lastError();
    }
    update.finish();
    if (error.isValid() || !session.end(true, &error)) {
        session.failed();
        session.end(false);
        *problem = ErrorWords(location_, error, true);
        return -1;
    }
    return int(records.size());
}

AccuracyReport EstimateBook::report(const ReportRange& range, QString* problem)
{
    AccuracyReport report;
    problem->clear();
    if (!connection_->problem.isEmpty()) {
        *problem = connection_->problem;
        return report;
    }
    const QStringList order = {QStringLiteral("Beef"), QStringLiteral("Pork"),
                               QStringLiteral("Deer")};
    QMap<QString, SpeciesAccuracy> bySpecies;
    QMap<QString, QList<double>> ratios, differences;
    // An animal sold in shares is weighed once: its shares' weighed hanging
    // weights and live weights added up, by species and tag.
    struct Animal {
        double weighed = 0, live = 0;
    };
    QMap<QString, QMap<QString, Animal>> animals;
    Reading(connection_->db, connection_->file, location_, problem, [&](QSqlError* error) {
        QVariantList values;
        const QString where = RangeCondition(range, &values);
        // One pass over the report's index: every estimate counted, and the
        // figures of those with a final bill (the ratio figured by the store).
        QSqlQuery rows(connection_->db);
        if (!Run(rows,
                 QStringLiteral("Select Species, Figured, QuoteCents, FinalCents, "
                                "Cast(WeighedHanging As Double Precision) / "
                                "Cast(LivePounds As Double Precision), QuoteServices, "
                                "FinalServices, AnimalTag, "
                                "Cast(WeighedHanging As Double Precision), "
                                "Cast(LivePounds As Double Precision) "
                                "From Estimates Where Species <> ''%1")
                     .arg(where),
                 values, error))
            return;
        SpeciesAccuracy* s = nullptr;
        while (rows.next()) {
            const QString species = rows.value(0).toString();
            if (!s || s->species != species) {
                s = &bySpecies[species];
                s->species = species;
            }
            ++s->estimates;
            if (rows.value(1).toInt() == 0)
                ++report.notFigured;
            const QVariant final = rows.value(3);
            if (final.isNull())
                continue;
            ++s->billed;
            const QVariant quote = rows.value(2);
            if (!quote.isNull() && quote.toLongLong() > 0) {
                s->finalOverQuote << final.toDouble() / quote.toDouble();
                differences[species] << double(final.toLongLong() - quote.toLongLong());
            }
            const QVariant ratio = rows.value(4);
            const QString tag = rows.value(7).toString();
            if (!ratio.isNull() && ratio.toDouble() > 0) {
                if (tag.isEmpty()) {
                    ++s->weighed;
                    ratios[species] << ratio.toDouble();
                } else {
                    Animal& animal = animals[species][tag];
                    animal.weighed += rows.value(8).toDouble();
                    animal.live += rows.value(9).toDouble();
                }
            }
            const int quoted = rows.value(5).toInt(), charged = rows.value(6).toInt();
            for (int bit = 0; bit < 31; ++bit) {
                const int mask = 1 << bit;
                if ((charged & mask) && !(quoted & mask))
                    ++s->added[bit];
                else if ((quoted & mask) && !(charged & mask))
                    ++s->dropped[bit];
            }
        }
        if (rows.lastError().isValid())
            *error = rows.lastError();
    });
    if (!problem->isEmpty())
        return AccuracyReport();
    for (auto species = animals.cbegin(); species != animals.cend(); ++species)
        for (const Animal& animal : species.value())
            if (animal.live > 0) {
                ++bySpecies[species.key()].weighed;
                ratios[species.key()] << animal.weighed / animal.live;
            }
    for (const QString& species : order) {
        if (!bySpecies.contains(species))
            continue;
        SpeciesAccuracy s = bySpecies.take(species);
        std::sort(s.finalOverQuote.begin(), s.finalOverQuote.end());
        QList<double>& r = ratios[species];
        std::sort(r.begin(), r.end());
        if (!r.isEmpty())
            s.ratio = Spread{Percentile(r, 0.1), Percentile(r, 0.5), Percentile(r, 0.9)};
        QList<double>& d = differences[species];
        std::sort(d.begin(), d.end());
        s.medianDifference = std::llround(Percentile(d, 0.5));
        if (!s.finalOverQuote.isEmpty()) {
            s.medianDifferenceShare = Percentile(s.finalOverQuote, 0.5) - 1;
            const auto within = [&](double share) {
                const auto n =
                    std::count_if(s.finalOverQuote.begin(), s.finalOverQuote.end(),
                                  [&](double x) { return std::abs(x - 1) <= share + 1e-12; });
                return double(n) / double(s.finalOverQuote.size());
            };
            s.within5 = within(0.05);
            s.within10 = within(0.10);
        }
        report.estimates += s.estimates;
        report.billed += s.billed;
        report.species << s;
    }
    return report;
}
