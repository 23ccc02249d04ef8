#include "store/server_roles.h"

#include "store/dialect.h"
#include "store/store_session.h"

#include <QRegularExpression>
#include <optional>

namespace ServerRoles {

namespace {

// The table in which a server keeps the version of each part's tables: every
// role reads it, the owner's writes it.
const TableRights VersionTable{QStringLiteral("LockerSchema"), {QStringLiteral("Select")}};

// The rights to change a table. Trigger too: a trigger of a clerk's on the
// price list would run within the owner's changes.
const QStringList Changes = {QStringLiteral("Insert"), QStringLiteral("Update"),
                             QStringLiteral("Delete"), QStringLiteral("Truncate"),
                             QStringLiteral("Trigger")};

// What a role may do with one of the program's objects.
struct Right {
    QString kind;   // Table, Sequence or Function, as Grant names them
    QString object; // as the server finds it
    QStringList privileges;
};

// "Insert, Update on Estimates; Execute on locker_price_history()".
QString rightsWords(const QList<Right>& rights)
{
    QStringList words;
    for (const Right& right : rights)
        words << QStringLiteral("%1 on %2")
                     .arg(right.privileges.join(QStringLiteral(", ")), right.object);
    return words.join(QStringLiteral("; "));
}

// Whether a role has a privilege on an object, by any way (its own grant, one
// of a role it belongs to, PUBLIC's).
std::optional<bool> holds(StoreSession& server, const QString& role, const Right& right,
                          const QString& privilege)
{
    const std::optional<QVariant> held =
        server.ask(QStringLiteral("Select has_%1_privilege(?, ?, ?)").arg(right.kind.toLower()),
                   {role, right.object, privilege.toUpper()});
    return held ? std::optional<bool>(held->toBool()) : std::nullopt;
}

// The rights of `wanted` that the role lacks.
std::optional<QList<Right>> lacking(StoreSession& server, const QString& role,
                                    const QList<Right>& wanted)
{
    QList<Right> lacked;
    for (const Right& right : wanted) {
        Right missing{right.kind, right.object, {}};
        for (const QString& privilege : right.privileges) {
            const std::optional<bool> held = holds(server, role, right, privilege);
            if (!held)
                return std::nullopt;
            if (!*held)
                missing.privileges << privilege;
        }
        if (!missing.privileges.isEmpty())
            lacked << missing;
    }
    return lacked;
}

// The rights to change the owner-only tables that were granted to the role
// itself ("public": to everyone).
std::optional<QList<Right>> changesGranted(StoreSession& server, const QString& role,
                                           const QStringList& tables)
{
    QList<Right> granted;
    for (const QString& table : tables) {
        // No role may be named public, so none stands for PUBLIC (0).
        const std::optional<QVariant> held = server.ask(
            QStringLiteral("Select string_agg(Distinct initcap(a.privilege_type), ', ') From "
                           "pg_class c, aclexplode(c.relacl) a Where c.oid = to_regclass(?) "
                           "And a.grantee = Coalesce((Select oid From pg_roles Where rolname = "
                           "?), 0) And a.privilege_type In ('INSERT', 'UPDATE', 'DELETE', "
                           "'TRUNCATE', 'TRIGGER')"),
            {table, role});
        if (!held)
            return std::nullopt;
        if (!held->isNull())
            granted << Right{QStringLiteral("Table"), table,
                             held->toString().split(QStringLiteral(", "))};
    }
    return granted;
}

} // namespace

QString RoleNameProblem(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[a-z][a-z0-9_]{0,62}$"));
    if (name.isEmpty())
        return QStringLiteral("A role needs a name.");
    if (!plain.match(name).hasMatch())
        return QStringLiteral("\"%1\" cannot name a role: use lower-case letters, digits and "
                              "underscores, beginning with a letter, at most 63 of them "
                              "(locker_clerk, say).")
            .arg(name);
    if (name.startsWith(QLatin1String("pg_")) || name == QLatin1String("public"))
        return QStringLiteral("\"%1\" is a name that PostgreSQL keeps for itself: give the role "
                              "another (locker_clerk, say).")
            .arg(name);
    return QString();
}

StoreResult Make(const QString& url, const ShopRoles& roles, const QList<Grants>& grants,
                 const QString& clerkMay, const QString& ownerMay, QStringList* done)
{
    done->clear();
    for (const QString& name : {roles.clerk, roles.owner})
        if (!name.isEmpty())
            if (const QString problem = RoleNameProblem(name); !problem.isEmpty())
                return StoreResult::fail(StoreKind::Refused, problem);
    if (!roles.clerk.isEmpty() && roles.clerk == roles.owner)
        return StoreResult::fail(StoreKind::Refused,
                                 QStringLiteral("The clerks' role and the owner's must be two "
                                                "roles, not both %1.")
                                     .arg(roles.clerk));
    StoreSession server("roles");
    if (!server.openServer(url))
        return StoreResult::fail(server.kind(), server.problem());
    const QString unchanged = QStringLiteral("Nothing was changed.");
    // A refusal: the transaction is undone, and `problem` tells it.
    const auto refuse = [&](const QString& problem, StoreKind kind = StoreKind::Refused) {
        server.rollback();
        return StoreResult::fail(kind, problem);
    };
    const auto failed = [&](const QString& what) {
        return refuse(QStringLiteral("%1 in the %2. %3 (%4)")
                          .arg(what, server.where(), unchanged, server.serverWords()),
                      server.kind() == StoreKind::Done ? StoreKind::Failed : server.kind());
    };
    const QString making = QStringLiteral("The roles could not be made");
    if (!server.begin())
        return failed(making);

    // Every owner's tables, then the versions' table.
    QList<TableRights> tables;
    for (const Grants& owner : grants)
        tables << owner.tables;
    tables << VersionTable;
    QList<Right> clerk, owner;
    QStringList ownerOnly;
    QString firstTable;
    for (const TableRights& table : tables) {
        const std::optional<bool> there = server.holdsTable(table.table);
        if (!there)
            return failed(making);
        if (!*there && table.required)
            return refuse(QStringLiteral("The %1 has no table %2 yet: init --database makes the "
                                         "tables first. %3")
                              .arg(server.where(), table.table, unchanged));
        if (!*there)
            continue;
        if (firstTable.isEmpty())
            firstTable = table.table;
        clerk << Right{QStringLiteral("Table"), table.table, table.clerk};
        owner << Right{QStringLiteral("Table"),
                       table.table,
                       {QStringLiteral("Select"), QStringLiteral("Insert"),
                        QStringLiteral("Update"), QStringLiteral("Delete"),
                        QStringLiteral("Truncate")}};
        if (table.ownerChanges)
            ownerOnly << table.table;
    }
    const std::optional<QVariant> tablesOwner = server.ask(
        QStringLiteral("Select pg_get_userbyid(relowner) From pg_class Where oid = to_regclass(?)"),
        {firstTable});
    if (!tablesOwner)
        return failed(making);
    for (const Grants& part : grants) {
        for (const Grants::Numbered& numbered : part.numbered) {
            const std::optional<QVariant> sequence =
                server.ask(QStringLiteral("Select pg_get_serial_sequence(?, ?)"),
                           {numbered.table.toLower(), numbered.column.toLower()});
            if (!sequence)
                return failed(making);
            if (sequence->isNull())
                continue;
            owner << Right{
                QStringLiteral("Sequence"),
                sequence->toString(),
                {QStringLiteral("Usage"), QStringLiteral("Select"), QStringLiteral("Update")}};
            if (numbered.clerkNumbers)
                clerk << Right{QStringLiteral("Sequence"),
                               sequence->toString(),
                               {QStringLiteral("Usage"), QStringLiteral("Select")}};
        }
        for (const QString& function : part.functions) {
            const std::optional<QVariant> there =
                server.ask(QStringLiteral("Select to_regprocedure(?) Is Not Null"), {function});
            if (!there)
                return failed(making);
            if (!there->toBool())
                continue;
            const Right run{QStringLiteral("Function"), function, {QStringLiteral("Execute")}};
            clerk << run;
            owner << run;
        }
    }

    const QPair<QString, bool> given[] = {{roles.clerk, true}, {roles.owner, false}};
    for (const auto& [role, isClerk] : given) {
        if (role.isEmpty())
            continue;
        const QList<Right>& wanted = isClerk ? clerk : owner;
        const QString& may = isClerk ? clerkMay : ownerMay;
        const std::optional<QVariant> super =
            server.ask(QStringLiteral("Select rolsuper From pg_roles Where rolname = ?"), {role});
        if (!super)
            return failed(making);
        const bool there = !super->isNull();
        if (isClerk && there && super->toBool())
            return refuse(QStringLiteral("%1 is a superuser, which may do anything, prices "
                                         "included: name another role for the clerks. %2")
                              .arg(role, unchanged));
        if (isClerk && role == tablesOwner->toString())
            return refuse(QStringLiteral("%1 owns the program's tables, and with them every "
                                         "right on them: name another role for the clerks. %2")
                              .arg(role, unchanged));
        QList<Right> lacked, taken;
        if (there) {
            const std::optional<QList<Right>> missing = lacking(server, role, wanted);
            const std::optional<QList<Right>> granted =
                isClerk ? changesGranted(server, role, ownerOnly) : QList<Right>();
            if (!missing || !granted)
                return failed(making);
            lacked = *missing;
            taken = *granted;
        } else if (!server.run(QStringLiteral("Create Role %1 NoLogin").arg(role))) {
            if (server.kind() == StoreKind::PermissionDenied)
                return refuse(QStringLiteral("The role %1 could not be made: the user of the %2 "
                                             "may not make roles. Make it as PostgreSQL's "
                                             "superuser (sudo -u postgres createuser --no-login "
                                             "%1), or give this user CREATEROLE, then run init "
                                             "again. %3 (%4)")
                                  .arg(role, server.where(), unchanged, server.serverWords()),
                              StoreKind::PermissionDenied);
            return failed(QStringLiteral("The role %1 could not be made").arg(role));
        }
        for (const Right& right : wanted)
            if (!server.run(QStringLiteral("Grant %1 On %2 %3 To %4")
                                .arg(right.privileges.join(QStringLiteral(", ")), right.kind,
                                     right.object, role))) {
                if (server.kind() == StoreKind::PermissionDenied)
                    return refuse(
                        QStringLiteral("The role %1 could not be given its rights: "
                                       "only %2, who made the tables, may give them. "
                                       "Run init --database as %2. %3 (%4)")
                            .arg(role, tablesOwner->toString(), unchanged, server.serverWords()),
                        StoreKind::PermissionDenied);
                return failed(
                    QStringLiteral("The role %1 could not be given its rights").arg(role));
            }
        if (isClerk)
            for (const QString& table : ownerOnly)
                if (!server.run(QStringLiteral("Revoke %1 On Table %2 From %3")
                                    .arg(Changes.join(QStringLiteral(", ")), table, role)))
                    return failed(
                        QStringLiteral("The role %1 could not be kept from changing the prices")
                            .arg(role));
        QStringList changed;
        if (!lacked.isEmpty())
            changed << QStringLiteral("it was given what it lacked (%1)").arg(rightsWords(lacked));
        if (!taken.isEmpty())
            changed << QStringLiteral("its right to change the price list was taken away (%1)")
                           .arg(rightsWords(taken));
        if (!there)
            done->append(
                QStringLiteral("Made the role %1, a group without a login: %2.").arg(role, may));
        else if (changed.isEmpty())
            done->append(QStringLiteral("The role %1 was there already, with its rights: %2.")
                             .arg(role, may));
        else
            done->append(QStringLiteral("The role %1 was there already; %2. Now %3.")
                             .arg(role, changed.join(QStringLiteral(", and ")), may));
    }

    if (!roles.clerk.isEmpty()) {
        // Nobody may change an owner-only table but through the owner's role.
        const std::optional<QList<Right>> everyone =
            changesGranted(server, QStringLiteral("public"), ownerOnly);
        if (!everyone)
            return failed(making);
        for (const QString& table : ownerOnly)
            if (!server.run(QStringLiteral("Revoke %1 On Table %2 From Public")
                                .arg(Changes.join(QStringLiteral(", ")), table)))
                return failed(making);
        if (!everyone->isEmpty())
            done->append(QStringLiteral("Everyone's (PUBLIC's) right to change the price list "
                                        "was taken away (%1).")
                             .arg(rightsWords(*everyone)));
        // A right still had through another role, or granted by another user.
        for (const QString& table : ownerOnly) {
            const std::optional<bool> still =
                holds(server, roles.clerk, Right{QStringLiteral("Table"), table, {}},
                      QStringLiteral("Insert, Update, Delete, Truncate, Trigger"));
            if (!still)
                return failed(making);
            if (!*still)
                continue;
            const std::optional<QVariant> groups = server.ask(
                QStringLiteral("Select string_agg(g.rolname, ', ' Order By g.rolname) From "
                               "pg_auth_members m Join pg_roles g On g.oid = m.roleid Join "
                               "pg_roles r On r.oid = m.member Where r.rolname = ?"),
                {roles.clerk});
            if (!groups)
                return failed(making);
            return refuse(QStringLiteral("The role %1 could still change the price list (%2), "
                                         "%3. %4")
                              .arg(roles.clerk, table,
                                   groups->isNull()
                                       ? QStringLiteral("by a right that another user gave it, "
                                                        "which only that user can take away")
                                       : QStringLiteral("through the roles it belongs to (%1): "
                                                        "take it out of them (REVOKE %1 FROM "
                                                        "%2)")
                                             .arg(groups->toString(), roles.clerk),
                                   unchanged));
        }
    }
    if (!server.commit())
        return failed(making);
    return StoreResult();
}

} // namespace ServerRoles
