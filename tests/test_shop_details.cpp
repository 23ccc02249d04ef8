// The shop's details kept in the price list file: saved by one program and
// read by another, the file made to hold them only by the first save, a file
// that may not be written left as it was; and the details that an earlier
// version kept in a machine's settings file taken over once.

#include "core/shop_settings.h"
#include "pricelist/price_connection.h"
#include "pricelist/price_list.h"
#include "pricelist/shop_details.h"
#include "test_price_list.h"

#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const ShopDetails Mill = {QStringLiteral("Mill Creek Lockers"),
                          QStringLiteral("12 Mill Road, Tallowbrook"), QStringLiteral("555-0142")};
const ShopDetails Hill = {QStringLiteral("Hill & Sons"), QString(), QStringLiteral("555-0199")};

QStringList fields(const ShopDetails& shop)
{
    return {shop.name, shop.address, shop.phone};
}

// A program with the price list open.
struct Program {
    explicit Program(const QString& path)
        : connection(StoreLocation(path))
    {
        if (connection.open() != PriceConnection::OpenResult::Opened)
            qFatal("%s", qPrintable(connection.openProblem()));
    }
    QStringList read() { return fields(ShopDetailsStore::Read(connection).details); }
    StoreResult save(const ShopDetails& shop) { return ShopDetailsStore::Save(connection, shop); }

    PriceConnection connection;
};

// The tables of a file and the rows of its shop's details, as SQLite lists them.
QStringList contentOf(const QString& path)
{
    QStringList content;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        QSqlQuery query(QStringLiteral("Select name From sqlite_master Where type = 'table' Order "
                                       "By name"),
                        db);
        while (query.next())
            content << query.value(0).toString();
        if (content.contains(QStringLiteral("ShopDetails")) &&
            query.exec(QStringLiteral("Select Name From ShopDetails")))
            while (query.next())
                content << QStringLiteral("row: ") + query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    return content;
}

// The settings file as an earlier version left it: the shop's details beside
// the machine's own settings.
void writeEarlierSettings()
{
    QSettings settings(ShopSettingsPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Shop/name"), Mill.name);
    settings.setValue(QStringLiteral("Shop/address"), Mill.address);
    settings.setValue(QStringLiteral("Shop/phone"), Mill.phone);
    settings.setValue(QStringLiteral("database"), QStringLiteral("postgresql://clerk@office/x"));
    settings.setValue(QStringLiteral("Estimates/killFee"), QStringLiteral("by-part"));
}

QStringList settingsKeys()
{
    QStringList keys = QSettings(ShopSettingsPath(), QSettings::IniFormat).allKeys();
    keys.sort();
    return keys;
}

} // namespace

class TestShopDetails : public QObject {
    Q_OBJECT

    // The machine's settings of these tests, never the real ones.
    QTemporaryDir config_;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path())); }
    void cleanup() { QFile::remove(ShopSettingsPath()); }

    void savedByOneProgramAndReadByAnother()
    {
        TestPriceList file;
        file.withSample();
        const QStringList made = contentOf(file.path());
        Program front(file.path());
        Program office(file.path());
        QCOMPARE(office.read(), fields(ShopDetails()));
        QCOMPARE(contentOf(file.path()), made); // reading made nothing

        QVERIFY(front.save(Mill).done());
        QCOMPARE(office.read(), fields(Mill));
        QVERIFY(office.save(Hill).done());
        QCOMPARE(front.read(), fields(Hill));
        QCOMPARE(contentOf(file.path()), made + QStringList({QStringLiteral("ShopDetails"),
                                                             QStringLiteral("row: Hill & Sons")}));

        if (!file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        const StoreResult refused = front.save(Mill);
        QCOMPARE(refused.kind, StoreKind::ReadOnly);
        QVERIFY2(refused.problem.contains(QLatin1String("could not be saved")),
                 qPrintable(refused.problem));
        QCOMPARE(office.read(), fields(Hill));
    }

    void anEarlierMachinesDetailsAreTakenOverOnce()
    {
        writeEarlierSettings();
        TestPriceList file;
        file.withSample();
        Program front(file.path());
        QCOMPARE(front.read(), fields(Mill));
        QCOMPARE(settingsKeys(),
                 (QStringList{QStringLiteral("Estimates/killFee"), QStringLiteral("database")}));
        Program office(file.path());
        QCOMPARE(office.read(), fields(Mill));
        // Changed at another counter later: never taken back.
        QVERIFY(office.save(Hill).done());
        QCOMPARE(front.read(), fields(Hill));
        // Found again in the settings: those kept beside the price list stand.
        writeEarlierSettings();
        QCOMPARE(front.read(), fields(Hill));
        QVERIFY(SettingsShopDetails().isEmpty());
        QCOMPARE(settingsKeys().size(), 2);

        // A price list that may not be written: the machine goes on with its
        // own, and keeps them until they can be moved.
        writeEarlierSettings();
        TestPriceList locked;
        locked.withSample();
        if (!locked.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        Program counter(locked.path());
        const ShopDetailsRead read = ShopDetailsStore::Read(counter.connection);
        QCOMPARE(fields(read.details), fields(Mill));
        QVERIFY2(read.note.contains(ShopSettingsPath()), qPrintable(read.note));
        QCOMPARE(fields(SettingsShopDetails()), fields(Mill));
    }

    // The shop's ranges and its division of the kill fee live with the
    // prices, the same for every counter: an earlier machine's are taken
    // over once; a change saved at one counter is read at the next use at
    // another; a price list only read is left byte for byte as it was.
    void theShopsSettingsLiveWithThePrices()
    {
        writeEarlierSettings();
        QSettings(ShopSettingsPath(), QSettings::IniFormat)
            .setValue(QStringLiteral("Estimates/BeefRatio"),
                      QStringLiteral("0.58 0.62 0.6 quotes"));
        TestPriceList locked;
        locked.withSample();
        if (!locked.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        const auto bytes = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes(locked.path());
        PriceList backup(locked.path());
        QCOMPARE(backup.open(), PriceSource::OpenResult::Opened);
        QCOMPARE(backup.shopSettings().killFeeSplit, QStringLiteral("by-part")); // kept in use
        QCOMPARE(bytes(locked.path()), before);
        QVERIFY(!SettingsFileShopWide().isEmpty());

        TestPriceList file;
        file.withSample();
        PriceList front(file.path());
        PriceList office(file.path());
        QCOMPARE(front.open(), PriceSource::OpenResult::Opened);
        QCOMPARE(office.open(), PriceSource::OpenResult::Opened);
        const ShopWideSettings taken = front.shopSettings();
        QCOMPARE(taken.killFeeSplit, QStringLiteral("by-part"));
        QCOMPARE(taken.ratio(QStringLiteral("Beef")), (RatioSetting{0.58, 0.62, 0.6, true}));
        QVERIFY(SettingsFileShopWide().isEmpty()); // taken out of the machine's file
        QCOMPARE(settingsKeys().filter(QStringLiteral("Estimates/")), QStringList());
        QVERIFY(settingsKeys().contains(QStringLiteral("database")));
        QCOMPARE(office.shopSettings(), taken);

        ShopWideSettings changed = taken;
        changed.ratios.insert(QStringLiteral("Pork"), RatioSetting{0.7, 0.76, 0, false});
        changed.killFeeSplit = QStringLiteral("per-share");
        QVERIFY(office.saveShopSettings(changed).done());
        QCOMPARE(front.shopSettings(), changed);
        // Found again in the settings file: those kept with the prices stand.
        writeEarlierSettings();
        QCOMPARE(front.shopSettings(), changed);
        QCOMPARE(PriceList(file.path()).shopSettings(), ShopWideSettings()); // not opened
    }
};

QTEST_GUILESS_MAIN(TestShopDetails)
#include "test_shop_details.moc"
