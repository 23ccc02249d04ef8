#pragma once

// The program's command line:
//   locker-estimate [--pricelist PATH] [--estimates PATH]
//   locker-estimate --database URL
//   locker-estimate --create-sample-pricelist [PATH]

#include <QString>

class QCoreApplication;

namespace CommandLine {

struct Options {
    QString priceListPath;
    QString estimatesPath; // empty: Estimates.db beside the price list
    int exitCode = -1;     // 0 or more: the program ends at once with it
};

// Names the application, reads the command line and answers --help and
// --version. The price list path is the one given or the default.
Options parse(QCoreApplication& app);

// True when the command line asks for work that needs no window.
bool wantsNoWindow(int argc, char* argv[]);

// Does that work (creating the sample price list) and gives the exit status.
int runWithoutWindow(QCoreApplication& app);

} // namespace CommandLine
