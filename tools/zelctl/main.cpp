// zelctl: inspect and repair settings files, test cameras.

#include "tools/zelctl/archivecommand.h"
#include "tools/zelctl/console.h"
#include "tools/zelctl/identifycommand.h"
#include "tools/zelctl/streamcommand.h"

#include "foundation/log.h"

#include <lumenfold_version.h>

#include <QStringList>

#include <csignal>
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
    {"record", &RunRecordCommand, kRecordUsage},
};

void PrintUsage(FILE* out) {
    for (const Command& command : kCommands)
        std::fputs(command.usage, out);
    std::fputs("  zelctl --help\n"
               "  zelctl --version\n",
               out);
}

int Usage() {
    std::fputs("usage:\n", stderr);
    PrintUsage(stderr);
    return Exit::Error;
}

int Help() {
    std::fputs("Inspect and repair Lumenfold settings files, identify and watch cameras.\n\nusage:\n",
               stdout);
    PrintUsage(stdout);
    std::fputs("\nExit status: 0 done; 1 no such entry, camera not identified or stream not started;\n"
               "2 bad arguments, or a file that cannot be read or written. See zelctl(1).\n",
               stdout);
    return Exit::Ok;
}

// What could not reach standard output (a full disk, a closed pipe) is no result: a failure.
int WithOutputWritten(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    std::fputs("zelctl: the results could not be written to standard output\n", stderr);
    return Exit::Error;
}

int Run(int argc, char** argv) {
    // Past a file-size limit a write then fails with its reason, and the half-written temporary
    // file (camera passwords in it) is removed, instead of the signal ending the program there.
    std::signal(SIGXFSZ, SIG_IGN);
    // Only failures of the program itself reach the console; results go to standard output.
    DiagLog::Instance().SetPrefix(u"zelctl", LogLevel::Error);
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (argc < 2)
        return Usage();
    if (std::strcmp(argv[1], "--help") == 0)
        return Help();
    if (std::strcmp(argv[1], "--version") == 0) {
        PrintVersion("zelctl");
        return Exit::Ok;
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(arguments);
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    return WithOutputWritten(Run(argc, argv));
}
