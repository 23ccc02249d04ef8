#pragma once

// What came of a use of a store (a price list or a book of estimates, in a
// file or on a server): done, or the kind of failure with its reason in plain
// words. Callers choose what to do and say by the kind, never by the words.

#include <QString>

enum class StoreKind {
    Done,
    Missing,          // no file or database where it was looked for
    Unreachable,      // the server did not answer a connection
    TimedOut,         // a connection or statement took longer than a clerk may wait
    PermissionDenied, // the user or the role may not read or write it
    Locked,           // another program or session holds it
    ReadOnly,         // the disk or the file may not be written
    DiskFull,         // no room left (or the user's quota, or the size limit)
    Damaged,          // not a store of this program, or its content is broken
    NewerVersion,     // made by a later version of the program
    ChangedElsewhere, // changed at another counter since it was read
    DeletedElsewhere, // removed at another counter since it was read
    Refused,          // the request cannot be carried out as given (a wrong target, a bad address)
    Failed,           // anything else
};

struct StoreResult {
    StoreKind kind = StoreKind::Done;
    QString problem; // what is wrong and what to do, when not done

    bool done() const { return kind == StoreKind::Done; }
    static StoreResult fail(StoreKind kind, QString problem)
    {
        return StoreResult{kind, std::move(problem)};
    }
};
