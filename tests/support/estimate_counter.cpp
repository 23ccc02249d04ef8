#include "estimate_counter.h"

#include "widgets.h"

#include <QFileInfo>
#include <QPushButton>

void EstimateCounter::start()
{
    screen = std::make_unique<CounterScreen>(file.path());
    screen->startUp();
    screen->show();
    QApplication::setActiveWindow(screen.get());
}

void EstimateCounter::startWithSample()
{
    if (!QFileInfo::exists(file.path()))
        file.withSample();
    start();
}

void EstimateCounter::startWithoutFile()
{
    dialogs.press(QMessageBox::Ok);
    start();
}

QString EstimateCounter::text(const QString& name) const
{
    return textOf(s(), name);
}

QString EstimateCounter::text6(int index) const
{
    return text(QStringLiteral("Text6_%1").arg(index));
}

QLineEdit* EstimateCounter::edit(const QString& name) const
{
    return field(s(), name);
}

QCheckBox* EstimateCounter::service(int index) const
{
    return control<QCheckBox>(s(), QStringLiteral("Check1_%1").arg(index));
}

QCheckBox* EstimateCounter::flag() const
{
    return control<QCheckBox>(s(), QStringLiteral("Check2"));
}

QListWidget* EstimateCounter::cureList() const
{
    return control<QListWidget>(s(), QStringLiteral("List1"));
}

void EstimateCounter::pick(const QString& option) const
{
    click(control<QRadioButton>(s(), option));
}

void EstimateCounter::weight(const QString& live) const
{
    typeInto(edit(QStringLiteral("Text1")), live);
}

void EstimateCounter::expand() const
{
    click(control<QPushButton>(s(), QStringLiteral("Command1")));
}

void EstimateCounter::tick(int index) const
{
    click(service(index));
}

void EstimateCounter::animal(const QString& option, const QString& live) const
{
    pick(option);
    weight(live);
    expand();
}

QWidget* EstimateCounter::openWorksheet(int index, const QString& name) const
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    tick(index);
    QWidget* sheet = findScreen(name);
    if (sheet)
        QApplication::setActiveWindow(sheet);
    return sheet;
}
