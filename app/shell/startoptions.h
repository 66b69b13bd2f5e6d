#pragma once
// The viewer's command line: zelppc [--open PATH [--grid]] [--fullscreen] [--screen N] | --help |
// --version.

#include <QString>
#include <QStringList>

struct StartOptions {
    bool help = false;
    bool version = false;
    QString openPath; // the settings path of the item to start in; empty: the collection
    bool grid = false;
    bool fullScreen = false;
    int screen = -1; // the window goes to this screen of the window system's list; -1: where it was
};

// The arguments after the program's name. False with a message for standard error when they
// cannot be understood.
bool ParseStartOptions(const QStringList& arguments, StartOptions& options, QString& error);
