#pragma once
// SIGTERM and SIGINT (a service manager stopping a wall display, Ctrl+C in its terminal) end the
// viewer's event loop as its Exit command does, so that what closing saves (the window's place,
// the options chosen from the menus) is saved and every recording's file is closed. The signal
// only writes a byte to a pipe; the event loop reads it.

class QObject;

// From now on; the notifier that reads the pipe is a child of parent.
void QuitOnStopSignals(QObject* parent);
