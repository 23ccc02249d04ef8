#pragma once

// Whether an SQLite file is still the one that was opened, and whether its
// content changed since it was last looked at, told without asking SQLite:
// from the file's identity, size and times, and the change counter in its
// header (read through a read-only handle of its own, without a lock).

#include <QString>

class FileWatch {
public:
    FileWatch() = default;
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Starts watching the file at `path`; false when it is not there.
    bool start(const QString& path);
    // Stops watching; its handle is closed, so call it only while no
    // statement runs on the file (closing a handle drops SQLite's locks).
    void stop();

    enum class Look {
        Same,     // the same file, and nothing tells of a change
        Changed,  // the same file, changed (or a change cannot be ruled out)
        Replaced, // another file has taken its place
        Gone,     // no file there any more
    };
    // The file now against the last look, which it becomes.
    Look look();

    // Whether the last look can tell a change (the header's counter is
    // read, and the file is not in WAL mode, whose changes do not move it).
    bool countsChanges() const { return mark_.countsChanges; }

    // Every change made through this program counts here, so that the other
    // connections know that their answers may be out of date.
    static void NoteWrite();

private:
    struct Mark {
        unsigned long long device = 0;
        unsigned long long inode = 0;
        long long size = 0;
        long long modifiedNs = 0;
        long long changedNs = 0;
        unsigned long long programWrites = 0;
        unsigned int changeCounter = 0;
        bool countsChanges = false;
    };
    bool take(Mark* mark) const;

    QString path_;
    int header_ = -1;
    Mark mark_;
};
