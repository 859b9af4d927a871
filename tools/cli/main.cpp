// nivora: the command-line companion of Nivora DW, for batch work on the
// same engine as the program.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "tools/cli/cli.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const nivora::cli::Arguments&);
};

const Command kCommands[] = {
    {"decode",
     "decode --gnss FILE\n"
     "  decode --sbes FILE --family NAME [--pattern P] [--sv V] [--draft A]\n"
     "      Decode a raw GNSS or echosounder log and print CSV.",
     nivora::cli::runDecode},
};

void usage(FILE* out) {
    std::fprintf(out, "Usage: nivora COMMAND [OPTIONS]\n\nCommands:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h")) {
        usage(args.size() < 2 ? stderr : stdout);
        return args.size() < 2 ? 2 : 0;
    }
    for (const Command& c : kCommands) {
        if (args[1] == QLatin1String(c.name)) return c.run(nivora::cli::Arguments(args.mid(2)));
    }
    usage(stderr);
    return nivora::cli::fail(QStringLiteral("unknown command '%1'").arg(args[1]));
}
