#pragma once

// The moment a program's window is first on the screen: after the first paint
// of the window (and of every control in it) has been done and handed to the
// platform, the program writes "painted" on its standard output and quits.
// The launcher that started it reads that line.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window)
        : window_(window)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            seen_ = true;
            // The whole window is painted and flushed within the event that
            // is being handled now; a zero timer runs right after it.
            QTimer::singleShot(0, this, [] {
                static const char line[] = "painted\n";
                if (::write(STDOUT_FILENO, line, sizeof line - 1) < 0)
                    std::perror("write");
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget* window_;
    bool seen_ = false;
};
