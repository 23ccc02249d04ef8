#pragma once

// The counter as a screen test sets it up: a price list file in a temporary
// folder, the clerk's answers to the dialogs, and the Estimate screen started
// over the file, with the clerk's usual moves on it.

#include "counter_screen.h"
#include "dialog_answerer.h"
#include "test_price_list.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>

class QCheckBox;
class QLineEdit;
class QListWidget;

// The machine's settings of a test that sets none of its own: a temporary
// folder, so that no test reads or changes the settings of the person who
// runs it (the shop's details there are taken over by a price list).
class OwnSettingsFolder {
public:
    OwnSettingsFolder()
    {
        if (!qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
            folder_ = std::make_unique<QTemporaryDir>();
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder_->path()));
        }
    }
    ~OwnSettingsFolder()
    {
        if (folder_)
            qunsetenv("XDG_CONFIG_HOME");
    }
    OwnSettingsFolder(const OwnSettingsFolder&) = delete;
    OwnSettingsFolder& operator=(const OwnSettingsFolder&) = delete;

private:
    std::unique_ptr<QTemporaryDir> folder_;
};

class EstimateCounter {
public:
    OwnSettingsFolder settings; // first: the screen reads them
    TestPriceList file;
    DialogAnswerer dialogs;
    std::unique_ptr<CounterScreen> screen;

    // Starts the Estimate screen over the file as it is. With no file, the
    // start-up notice must have an answer queued.
    void start();
    // The sample price list (unless a file is there already), then start().
    void startWithSample();
    // No price list: answers the start-up notice, then start().
    void startWithoutFile();

    QWidget* s() const { return screen.get(); }
    QString text(const QString& name) const;
    QString text6(int index) const;
    QLineEdit* edit(const QString& name) const;
    QCheckBox* service(int index) const;
    QCheckBox* flag() const;
    QListWidget* cureList() const;

    // The clerk's moves: a species (Option1, Option2, Option3), the live
    // weight typed, the screen expanded, a service row clicked.
    void pick(const QString& option) const;
    void weight(const QString& live) const;
    void expand() const;
    void tick(int index) const;
    // A species, a live weight typed, the screen expanded.
    void animal(const QString& option, const QString& live) const;

    // Clicks a service row and gives the worksheet it shows (active, as the
    // clerk's click on it makes it), or null. A worksheet closed before goes
    // first, as it does in the event loop before the clerk's next click.
    QWidget* openWorksheet(int index, const QString& name) const;
};
