#pragma once

// The roles of a shop's server, which its owner grants to each person's login
// (GRANT locker_clerk TO anna): the clerks' and the owner's. What each role
// may do with a table is said by the table's owner (the price list, the
// book); making the roles and giving them their rights is here, once.

#include "store/store_result.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace ServerRoles {

// The two roles' names. An empty name: that role is not made.
struct ShopRoles {
    QString clerk;
    QString owner;
};

// What the roles need of one owner's tables. The owner's role may do
// everything with each of them; the clerks' role what is listed.
struct TableRights {
    QString table;
    QStringList clerk;         // the clerks' privileges (Select, Insert, ...)
    bool required = true;      // made by init: refused when missing; else given when there
    bool ownerChanges = false; // only the owner's role may change it: taken from everyone else
};
struct Grants {
    QList<TableRights> tables;
    // The columns that the server numbers (table, column), and whether the
    // clerks' role gives numbers from the sequence.
    struct Numbered {
        QString table;
        QString column;
        bool clerkNumbers = false;
    };
    QList<Numbered> numbered;
    // The functions that the tables' triggers run: both roles run them.
    QStringList functions;
};

// Why a text cannot name a role: a role's name here is plain lower-case
// letters, digits and underscores, beginning with a letter, at most 63 of
// them, and not one of PostgreSQL's own (pg_...). Empty when it can.
QString RoleNameProblem(const QString& name);

// Makes the roles that the server (`url`) lacks, as groups without a login,
// gives each role the rights of `grants` that it lacks, and takes every right
// to change an owner-only table from the clerks' role and from everyone
// (PUBLIC): all in one transaction, or nothing. The tables must be made
// already. `done` gets what was done, a sentence for each role. `clerkMay` and
// `ownerMay` say in words what each role may do.
StoreResult Make(const QString& url, const ShopRoles& roles, const QList<Grants>& grants,
                 const QString& clerkMay, const QString& ownerMay, QStringList* done);

} // namespace ServerRoles
