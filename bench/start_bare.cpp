// A bare Qt Widgets window, the floor of start-up time and memory for this
// toolkit: shown at the Estimate screen's collapsed size, it reports its first
// paint and quits.
//
//   bench_start_bare [--text]
//
// With --text the window holds one label and one text field, so that it also
// pays for what any window showing text pays: the font configuration, the
// fonts and the shaping of text.

#include "first_paint.h"

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <cstring>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Estimate"));
    // The Estimate screen's collapsed size at 96 dots per inch.
    window.resize(735, 233);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        auto* label = new QLabel(QStringLiteral("Total Estimated Price"), &window);
        label->setGeometry(392, 10, 153, 20);
        auto* field = new QLineEdit(QStringLiteral("0"), &window);
        field->setGeometry(552, 8, 113, 23);
    }
    FirstPaint reporter(&window);
    window.show();
    return app.exec();
}
