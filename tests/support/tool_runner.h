#pragma once

// The price list tool as it is built, run as a process with a home, user data
// and configuration folders of its own, so that the default price list and the
// shop's details are never the real ones. Header-only; for the tests that
// define LOCKER_PRICELIST_TOOL.

#include "test_price_list.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

struct Run {
    int status = -1; // -1 when it did not finish by itself
    QString out;
    QString err;
};

class ToolRunner {
public:
    static inline const QString Tool = QStringLiteral(LOCKER_PRICELIST_TOOL);
    // A wrapper that gives the tool a terminal of its own, so that it may ask.
    static inline const QStringList Terminal = {
        QStringLiteral("sh"), QStringLiteral("-c"),
        QStringLiteral("exec script -qec \"$0 $*\" /dev/null")};

    // The tool's home and working folder.
    QString home() const { return home_.path(); }
    QString dataFolder() const { return home_.path() + QStringLiteral("/data"); }
    QString configFolder() const { return home_.path() + QStringLiteral("/config"); }
    QString defaultPath() const
    {
        return dataFolder() + QStringLiteral("/locker-estimate/Lockers.db");
    }

    // The tool with the arguments started and left running, through `wrapper`
    // when one is given (a command that runs the words after it).
    void start(QProcess& process, const QStringList& arguments,
               const QStringList& wrapper = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataFolder());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(home_.path());
        if (wrapper.isEmpty())
            process.start(Tool, arguments);
        else
            process.start(wrapper.first(), wrapper.mid(1) + QStringList{Tool} + arguments);
    }
    // The same, given `input` to read, until it ends.
    Run run(const QStringList& arguments, const QStringList& wrapper = {},
            const QByteArray& input = {}) const
    {
        QProcess process;
        start(process, arguments, wrapper);
        process.write(input);
        process.closeWriteChannel();
        return finished(process);
    }
    // The tool on a given price list.
    Run on(const TestPriceList& file, QStringList arguments) const
    {
        return run(QStringList{QStringLiteral("--pricelist"), file.path()} + arguments);
    }
    static Run finished(QProcess& process)
    {
        Run result;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.status = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir home_;
};
