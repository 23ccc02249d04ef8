#include "book/book_store.h"
#include "book/booking.h"
#include "store/dialect.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlQuery>

namespace BookStore {

namespace {

// Every change to the book on a server waits for the others' to end (the same
// lock as a change made statement by statement).
constexpr int SavesLock = 7362201;

QString functionText()
{
    QStringList values;
    QStringList set;
    for (const QString& column : ContentColumns) {
        values << QStringLiteral("r.") + column.toLower();
        set << QStringLiteral("%1 = r.%2").arg(column, column.toLower());
    }
    // The record's values are read from its JSON as a row of the table (by
    // column name) in each statement: nothing of the table's type is kept in
    // the function between calls. One statement, one transaction: the book's lock, its version,
    // every record (a record whose last save could not be told goes on from the estimate that save
    // made, when it was kept), and the notice to the other counters. A record that may not be
    // written stops them all, told by its state: LE101 changed since it was opened, LE102 no longer
    // the estimate that was opened, LE103 deleted; LE100 a book of another version, which the
    // counter brings up (or refuses) statement by statement.
    return QStringLiteral(
               "Create Or Replace Function locker_save_estimates(wanted Integer, stamp Text, "
               "saves Jsonb) Returns Table (saved_number Bigint, saved_created Text, "
               "saved_revision Bigint) Language plpgsql As $save$\n"
               "Declare\n"
               "  one Jsonb; n Bigint; c Text; v Bigint; other Text; kept Integer;\n"
               "Begin\n"
               "  Perform pg_advisory_xact_lock(%1);\n"
               "  Select Version Into kept From LockerSchema Where Part = 'estimates';\n"
               "  If kept Is Distinct From wanted Then\n"
               "    Raise Exception 'the book is of version %', kept Using Errcode = 'LE100';\n"
               "  End If;\n"
               "  For one In Select value From jsonb_array_elements(saves) Loop\n"
               "    Select Number, Created, Revision Into n, c, v From Estimates\n"
               "      Where SaveKey = one->>'earlier';\n"
               "    If Not Found Then\n"
               "      n := (one->>'number')::Bigint; c := one->>'created';\n"
               "      v := (one->>'revision')::Bigint;\n"
               "    End If;\n"
               "    If n = 0 Then\n"
               "      Insert Into Estimates (Created, Updated, %2, SaveKey, Revision)\n"
               "        Select stamp, stamp, %3, one->>'key', 1\n"
               "        From jsonb_populate_record(Null::Estimates, one->'row') r\n"
               "        Returning Number Into n;\n"
               "      c := stamp; v := 1;\n"
               "    Else\n"
               "      Update Estimates e Set Updated = stamp, %4, SaveKey = one->>'key',\n"
               "        Revision = e.Revision + 1\n"
               "        From jsonb_populate_record(Null::Estimates, one->'row') r\n"
               "        Where e.Number = n And e.Created = c And e.Revision = v;\n"
               "      If Not Found Then\n"
               "        Select Created Into other From Estimates Where Number = n;\n"
               "        If Not Found Then\n"
               "          Raise Exception '%', n Using Errcode = 'LE103';\n"
               "        ElsIf other <> c Then\n"
               "          Raise Exception '%', n Using Errcode = 'LE102';\n"
               "        Else\n"
               "          Raise Exception '%', n Using Errcode = 'LE101';\n"
               "        End If;\n"
               "      End If;\n"
               "      v := v + 1;\n"
               "    End If;\n"
               "    saved_number := n; saved_created := c; saved_revision := v;\n"
               "    Return Next;\n"
               "  End Loop;\n"
               "  Perform pg_notify('%5', '');\n"
               "End\n"
               "$save$")
        .arg(SavesLock)
        .arg(ContentColumns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")),
             set.join(QStringLiteral(", ")), ChangesChannel);
}

QJsonValue jsonOf(const QVariant& value)
{
    return value.isNull() ? QJsonValue() : QJsonValue::fromVariant(value);
}

} // namespace

const QString ServerSaveFunction = QStringLiteral("locker_save_estimates(integer,text,jsonb)");

ServerSave::Answer SheetRefusal(const QSqlError& error)
{
    const QString state = error.nativeErrorCode();
    if (state == QLatin1String("LE105") || error.databaseText().contains(SheetLocked))
        return ServerSave::SheetUnrecorded;
    if (state == QLatin1String("LE106"))
        return ServerSave::SheetNotOwner;
    return ServerSave::Failed;
}

namespace {

// An estimate billed by a booking whose carcass is cut (or later), told in
// either dialect's SQL (`number`: the estimate's number).
QString CutCarcass(const QString& number)
{
    QStringList states;
    for (const Booking::State state : Booking::CutStates)
        states << QStringLiteral("'%1'").arg(StateName(state));
    return QStringLiteral("Exists (Select 1 From Bookings b Where b.State In (%1) And (' ' || "
                          "b.Estimates || ' ') Like '% ' || %2 || ' %')")
        .arg(states.join(QStringLiteral(", ")), number);
}

} // namespace

const QString SheetLocked = QStringLiteral("LE105 the cut sheet is locked");

// A sheet kept before (a book brought up from before sheets were kept has
// none beside its estimates until they are saved again).
const QString SqliteSheetGuard =
    QStringLiteral("Create Trigger If Not Exists Estimates_SheetGuard Before Update Of CutSheet On "
                   "Estimates When Old.CutSheet <> '' And New.CutSheet <> Old.CutSheet And "
                   "New.SheetChanges <= Old.SheetChanges And %1 Begin Select Raise(Abort, '%2'); "
                   "End")
        .arg(CutCarcass(QStringLiteral("Old.Number")), SheetLocked);

bool InstallServerSave(QSqlDatabase& db, QSqlError* error)
{
    // A booking over what the shop can take in is the owner's: the login
    // that may change the shop's settings (any, where they are not kept).
    const QStringList guard{
        QStringLiteral(
            "Create Or Replace Function locker_booking_guard() Returns trigger Language plpgsql "
            "As $guard$\n"
            "Begin\n"
            "  If New.OverCapacity <> 0 And (TG_OP = 'INSERT' Or Old.OverCapacity = 0)\n"
            "     And to_regclass('shopsettings') Is Not Null\n"
            "     And Not has_table_privilege('shopsettings', 'UPDATE') Then\n"
            "    Raise Exception 'only the shop''s owner may book over what the shop can take in' "
            "Using ErrCode = 'LE104';\n"
            "  End If;\n"
            "  Return New;\n"
            "End\n"
            "$guard$"),
        QStringLiteral("Drop Trigger If Exists Bookings_Guard On Bookings"),
        QStringLiteral("Create Trigger Bookings_Guard Before Insert Or Update On Bookings For "
                       "Each Row Execute Function locker_booking_guard()"),
        // The cut sheet of a carcass that is cut: changed only with the
        // change recorded, and only by the owner.
        QStringLiteral(
            "Create Or Replace Function locker_sheet_guard() Returns trigger Language plpgsql "
            "As $guard$\n"
            "Begin\n"
            "  If Old.CutSheet <> '' And New.CutSheet <> Old.CutSheet And %1 Then\n"
            "    If New.SheetChanges <= Old.SheetChanges Then\n"
            "      Raise Exception '%', Old.Number Using ErrCode = 'LE105';\n"
            "    End If;\n"
            "    If to_regclass('shopsettings') Is Not Null\n"
            "       And Not has_table_privilege('shopsettings', 'UPDATE') Then\n"
            "      Raise Exception '%', Old.Number Using ErrCode = 'LE106';\n"
            "    End If;\n"
            "  End If;\n"
            "  Return New;\n"
            "End\n"
            "$guard$")
            .arg(CutCarcass(QStringLiteral("Old.Number"))),
        QStringLiteral("Drop Trigger If Exists Estimates_SheetGuard On Estimates"),
        QStringLiteral("Create Trigger Estimates_SheetGuard Before Update On Estimates For Each "
                       "Row Execute Function locker_sheet_guard()")};
    if (!RunStatement(db, functionText(), error))
        return false;
    for (const QString& statement : guard)
        if (!RunStatement(db, statement, error))
            return false;
    return true;
}

ServerSave SaveOnServer(QSqlDatabase& db, const QList<EstimateRecord*>& records,
                        const QStringList& keys, const QDateTime& time)
{
    const Dialect& dialect = Dialect::Server();
    QJsonArray saves;
    for (int i = 0; i < int(records.size()); ++i) {
        const EstimateRecord& record = *records[i];
        QJsonObject row;
        const QVariantList values = ContentValues(dialect, record);
        for (int c = 0; c < int(ContentColumns.size()); ++c)
            row.insert(ContentColumns[c].toLower(), jsonOf(values[c]));
        QJsonObject save{{QStringLiteral("number"), record.number},
                         {QStringLiteral("created"), TimeText(record.created)},
                         {QStringLiteral("revision"), record.revision},
                         {QStringLiteral("key"), keys[i]},
                         {QStringLiteral("row"), row}};
        if (!record.saveKey.isEmpty())
            save.insert(QStringLiteral("earlier"), record.saveKey);
        saves.append(save);
    }
    const QString json = QString::fromUtf8(QJsonDocument(saves).toJson(QJsonDocument::Compact));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    ServerSave result;
    if (!query.exec(WithValues(db,
                               QStringLiteral("Select saved_number, saved_created, saved_revision "
                                              "From locker_save_estimates(?, ?, ?::jsonb)"),
                               {EstimateBook::SchemaVersion, TimeText(time), json}))) {
        result.error = query.lastError();
        const QString state = result.error.nativeErrorCode();
        // The message is the estimate's number: "ERROR:  12".
        const QRegularExpressionMatch number =
            QRegularExpression(QStringLiteral("^\\D*(\\d+)"))
                .match(result.error.databaseText().section(QLatin1Char('\n'), 0, 0));
        result.number = number.hasMatch() ? number.captured(1).toLongLong() : 0;
        if (state == QLatin1String("LE101"))
            result.answer = ServerSave::Changed;
        else if (state == QLatin1String("LE102"))
            result.answer = ServerSave::Replaced;
        else if (state == QLatin1String("LE103"))
            result.answer = ServerSave::Deleted;
        // Not made yet here, or made for another version of the tables.
        else if (state == QLatin1String("LE100") || state == QLatin1String("42883") ||
                 state == QLatin1String("42P01") || state == QLatin1String("42704"))
            result.answer = ServerSave::NotThere;
        else
            result.answer = SheetRefusal(result.error);
        return result;
    }
    while (query.next())
        result.saved << SavedUnder{query.value(0).toLongLong(), TimeFrom(query.value(1)), time,
                                   query.value(2).toLongLong()};
    if (result.saved.size() != records.size()) {
        result.answer = ServerSave::Failed;
        result.error = query.lastError();
        return result;
    }
    result.answer = ServerSave::Saved;
    return result;
}

} // namespace BookStore
