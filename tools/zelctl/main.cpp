// zelctl: inspect and repair settings files, test cameras.

#include "tools/zelctl/archivecommand.h"
#include "tools/zelctl/identifycommand.h"
#include "tools/zelctl/streamcommand.h"
#include "tools/zelctl/console.h"

#include "foundation/log.h"

#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList& arguments);
    const char* usage;
};

const Command kCommands[] = {
    {"archive", &RunArchiveCommand, kArchiveUsage},
    {"identify", &RunIdentifyCommand, kIdentifyUsage},
    {"stream", &RunStreamCommand, kStreamUsage},
};

int Usage() {
    std::fputs("usage:\n", stderr);
    for (const Command& command : kCommands) std::fputs(command.usage, stderr);
    return Exit::Error;
}

} // namespace

int main(int argc, char** argv) {
    // Only failures of the program itself reach the console; results go to standard output.
    DiagLog::Instance().SetPrefix(u"zelctl", LogLevel::Error);
    QStringList arguments;
    for (int i = 2; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    if (argc < 2) return Usage();
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) return command.run(arguments);
    }
    return Usage();
}
