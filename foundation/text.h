#pragma once
// Small text and network helpers shared by the viewer's parts.

#include <QString>
#include <QStringList>

#include <netinet/in.h>

#include <cstddef>

// One entry of the viewer's string table.
struct StringResource {
    int id;
    const char16_t* text;
};

// Makes the entries available to LoadResText; the table must outlive the program's use of it.
// Later registrations add to (and override) earlier ones.
void RegisterStringTable(const StringResource* table, size_t count);

// The text of a string resource, or the empty text when there is none.
QString LoadResText(int id);

// A text of the string table with each "%s" replaced by the next value, in order.
QString FormatText(const QString& format, const QStringList& values);

// "%d" of the value.
QString IntToText(int value);

// The runs of characters between separators; empty runs are dropped.
QStringList SplitText(const QString& text, const QString& separators);

// "%d.%02d.%03d" of a version: 1, 2, 15 gives 1.02.015.
QString FormatVersionText(int major, int minor, int build);
// The program's own version text; 0.00.000 when the program carries none.
QString GetVersionText();

// Resolves a dotted IPv4 address or a host name (first IPv4 address) for a port. Safe from
// several threads at once.
bool ResolveAddress(const char* host, int port, sockaddr_in& address);
bool ResolveAddress(const QString& host, int port, sockaddr_in& address);

// Opens the help document at an anchor through the viewer's help window; the viewer installs
// it, and until then nothing happens.
using HelpViewer = void (*)(const QString& document, const QString& anchor);
void SetHelpViewer(HelpViewer viewer);
void ShowHelp(const QString& document, const QString& anchor);
