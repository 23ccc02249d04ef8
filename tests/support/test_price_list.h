#pragma once

// Price list files for tests, in a temporary folder that goes with the object.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// How many rows the sample price list has.
int SampleRows();

class TestPriceList {
public:
    // A folder with no price list in it yet.
    TestPriceList();
    ~TestPriceList();

    const QString& path() const { return path_; }
    QString folder() const { return dir_.path(); }

    // The sample price list.
    TestPriceList& withSample();
    // Runs SQL statements on the file (creating it when it is missing).
    TestPriceList& sql(const QStringList& statements);
    // Sets an item's cost, adding the item when it is missing.
    TestPriceList& price(const QString& item, double cost);
    // Removes every row of an item.
    TestPriceList& without(const QString& item);
    // Makes the file refuse any row of that item, in the middle of a change.
    TestPriceList& refuseInserting(const QString& item);

    // Makes the file refuse every write, as a read-only file does for the
    // shop's clerk (for root, whom file modes do not stop, the file is made
    // immutable). False when this machine cannot do it.
    bool makeReadOnly();
    // Makes the folder of the file refuse new files (the file itself stays
    // writable), until the object goes. False when this machine cannot do it.
    bool makeFolderReadOnly();

    // The rows of Charges1, one "Item|Cost|Category" text each, in stored order.
    QStringList rows() const;
    // SQLite's integrity check of the file: "ok" when sound.
    QString integrity() const;

private:
    QTemporaryDir dir_;
    QString path_;
    bool immutable_ = false;
    bool folderLocked_ = false;
};

// Another program with the price list open. While it holds its lock (a
// change begun and not yet ended), no one else can change the file.
class OtherProgram {
public:
    explicit OtherProgram(const QString& path);
    ~OtherProgram();
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    // Begins a change (Begin Immediate, or Begin Exclusive) and changes a row.
    bool lock(bool exclusive = false);
    // Takes the change back and lets go of the file.
    bool release();

private:
    QString name_;
    QSqlDatabase db_;
    bool locked_ = false;
};

// A file's text, or empty when it cannot be read.
QString readFile(const QString& path);
// Writes the bytes as the whole file; the test fails when it cannot.
void writeFile(const QString& path, const QByteArray& bytes);
