#pragma once

// The shop's price list: an SQLite file holding the table Charges1
// (Item text, Cost number, Category text). This module is the only code that
// speaks SQL. Each screen that prices anything holds a PriceList of its own:
// one connection, opened when the screen asks for it and released when the
// PriceList goes.

#include "pricelist/price_source.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>

class QSqlQuery;
class QVariant;
struct FileMark;

// One row of Charges1.
struct PriceEntry {
    QString item;
    QString cost; // as stored, written as a number where it is one
    QString category;
    qint64 rowId = 0; // SQLite's rowid: which row it is, as long as it is there
};

// Which row is "the first row" of a name is the same everywhere: of the rows
// whose Item equals the name exactly (byte for byte, whatever the column's
// collation), the one stored first (the lowest rowid).
class PriceList : public PriceSource {
public:
    using CostStatement = ::CostStatement;
    using PriceSource::lookupCost;

    explicit PriceList(QString path);
    ~PriceList() override;
    PriceList(const PriceList&) = delete;
    PriceList& operator=(const PriceList&) = delete;

    // Opens the file; never creates one. A file that is there but is not a
    // price list (not a database, no Charges1 table) is Unusable. A server
    // that does not answer is Unreachable: a lookup tries it again (at most
    // every moment or so).
    OpenResult open() override;
    bool isOpen() const override { return open_; }
    const QString& path() const { return path_; }
    // Why the last open failed, in plain words, with SQLite's error number
    // first where there is one.
    QString openProblem() const override { return openProblem_; }
    bool isServer() const override;
    // A server that does not answer now: nothing is asked of it at a use
    // until a probe away from the screen finds it answering again.
    bool outOfReach() const;
    // Connects again when a probe found the server answering; true when not
    // out of reach (then or already). Never waits for a server that does
    // not answer.
    bool connectWhenAnswering();
    QString describe() const override;

    // The Cost of the first row carrying the item. A Cost that is not a
    // price (negative, or more than MaxMoneyAmount) is NoPrice, told in plain
    // words, and never used.
    CostLookup lookupCost(const QString& item, CostStatement form) override;
    quint64 revision() override;

    // All columns of the rows carrying the item (Select * ... with a blank
    // after it): their number and the Cost, by position, of the first.
    ItemRows findItemRows(const QString& item) override;

    // Adds one row and saves it in one transaction: afterwards every
    // connection finds it. Nothing is written when it fails.
    SaveResult addItem(const QString& item, double cost, const QString& category) override;

    // Every row, in stored order (by rowid).
    QList<PriceEntry> entries(QString* problem = nullptr);

    // Whether Charges1 is a view: it can be read but not changed.
    bool isView();

    // A stored Cost as PriceEntry::cost holds it: a number written as one,
    // anything else as it is, empty for none.
    static QString storedText(const QVariant& value);

    // The fixed default file: Lockers.db in the user's application data folder.
    static QString defaultPath();

    // Creates a price list holding the sample prices at `path`, which must not
    // exist yet. The file appears whole or not at all.
    static SaveResult createSample(const QString& path);

    // The sample prices, as the CSV text kept in data/.
    static QString sampleCsv();

    // Makes the price list's table, with its index and the notice of every
    // change to the other counters, in a database on a server (`url`), which
    // must not hold one yet.
    static SaveResult createServerTables(const QString& url);

    // Copies every row of the price list file `file`, in its order, into the
    // server's price list (`url`), which must be empty: all in one
    // transaction, or nothing. `copied` gets the number of rows; `notes` tells
    // the rows whose cost was not a number and was copied as none.
    static SaveResult copyToServer(const QString& file, const QString& url, int* copied,
                                   QStringList* notes);

private:
    friend class PriceListEditor;

    QSqlQuery& prepared(std::unique_ptr<QSqlQuery>& slot, const QString& statement);
    QString failure(const QString& what, const class QSqlError& error);
    OpenResult openServer();
    // A server's connection closed and made again; false when the server
    // cannot be reached, and `problem` says why.
    bool reconnect(QString* problem);
    // The server did not answer within the limit: out of reach.
    void notAnswered();
    // Whether a probe found the server answering; starts one when none is
    // under way.
    bool serverAnswered();
    // Runs a use of the price list; when it found a server's connection
    // broken, connects again and runs it once more.
    template <typename Use> auto onceMoreWhenReconnected(Use use);
    // Reads every price of a server's price list into snapshot_; false when
    // it could not be read (openProblem_ says why).
    bool loadSnapshot();
    // Runs a use with its waits on a server bounded (ServerWatch).
    template <typename Use> auto watched(Use use);
    CostLookup lookupCostOnce(const QString& item, CostStatement form);
    ItemRows findItemRowsOnce(const QString& item);
    QList<PriceEntry> entriesOnce(QString* problem);
    void close();
    // The answers kept may be out of date: they are dropped, and the revision
    // moves on.
    void forgetAnswers();
    // Before each use: the file is still the one opened. When another file
    // has taken its place, the connection moves to it; when there is none or
    // it cannot be opened, `problem` says why and the use must not go on.
    bool stillTheFile(QString* problem);
    // What the open file looks like now: its identity, size, times and
    // SQLite's change counter. False when it cannot be told.
    bool markFile(FileMark* mark) const;
    // Every change made through any price list of this program counts here,
    // so that the others know that their answers may be out of date.
    static void noteWrite();

    QString path_;
    QString connectionName_;
    QSqlDatabase db_;
    bool open_ = false;
    bool triedOpening_ = false;
    QString openProblem_;
    // On a server: whether it tells this connection of every change to the
    // prices, and whether the connection failed and must be made again.
    bool listening_ = false;
    bool lost_ = false;
    bool outOfReach_ = false;
    std::unique_ptr<class ServerProbe> probe_;
    QMetaObject::Connection notified_;
    QElapsedTimer lastTry_; // the last attempt to connect again
    // The file that is open, as it was when the answers in `costs_` were given.
    std::unique_ptr<FileMark> mark_;
    // A read-only handle on the file, to read SQLite's change counter without
    // a lock. It is closed only while no statement of the program runs.
    int header_ = -1;
    // The lookups answered since the file last changed, by item name: a
    // lookup of the same item is answered again without SQL.
    QHash<QString, CostLookup> costs_;
    // On a server: every item's rows as the server last told them, kept
    // current by its notices of changes; a lookup is answered from it.
    std::optional<QHash<QString, ItemRows>> snapshot_;
    quint64 revision_ = 0;
    std::unique_ptr<QSqlQuery> costPlain_;
    std::unique_ptr<QSqlQuery> costTrailing_;
    std::unique_ptr<QSqlQuery> costWide_;
    std::unique_ptr<QSqlQuery> rows_;
};
