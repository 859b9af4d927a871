// nivora: the command-line companion of Nivora DW, for batch work on the
// same engine as the program.

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/time_zone.h"
#include "tools/cli/cli.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const nivora::cli::Arguments&);
    bool needsGui = false;  // draws pictures: needs fonts, so a QGuiApplication
};

const Command kCommands[] = {
    {"decode",
     "decode --gnss FILE\n"
     "  decode --sbes FILE --family NAME [--pattern P] [--sv V] [--draft A]\n"
     "  decode --from SOURCE [--seconds N] [--baud B] (--gnss | --sbes --family NAME ...)\n"
     "      Decode a raw GNSS or echosounder log and print CSV. --from reads a port or a\n"
     "      network source for N seconds (default 10) instead, through the program's own\n"
     "      reader: COM3, /dev/ttyUSB0, tcp://HOST:PORT, tcp-listen://:PORT, udp://:PORT,\n"
     "      udp://GROUP:PORT, gpsd://HOST[:PORT].",
     nivora::cli::runDecode},
    {"project",
     "project --ini FILE [--local] [--geographic]\n"
     "      Read \"latitude longitude [height]\" lines (WGS-84 degrees, metres) and print\n"
     "      \"easting northing convergence\" as the real-time cycle places the vessel with\n"
     "      the file's geodetic parameters, or \"abandoned\" where it drops the fix.\n"
     "      --local: the positions are on the local datum already; only project.\n"
     "      --geographic: print the shifted latitude, longitude and height instead.",
     nivora::cli::runProject},
    {"render",
     "render IN OUT.png [--size WxH] [--view LEFT,BOTTOM,RIGHT,TOP | --extents] [--grid]\n"
     "      Draw a drawing file to a PNG picture (default 1024x768, the file's own view).",
     nivora::cli::runRender, true},
    {"convert",
     "convert IN... OUT\n"
     "      Convert a drawing: .nwl, .dxf or .xyz in; .nwl or .dxf out. Several inputs are\n"
     "      added together in order.",
     nivora::cli::runConvert},
    {"info",
     "info FILE\n"
     "      Print the layers, shape counts by type and extents of a .nwl, .dxf or .xyz file.",
     nivora::cli::runInfo},
    {"simulate",
     "simulate --ini FILE --minutes N --out DIR [--seed S] [--family NAME] [--rate-gnss HZ]\n"
     "           [--rate-sbes HZ] [--noise] [--bad-checksums RATE] [--garbage RATE] [--start "
     "ISO-TIME]\n"
     "           [--lines | --layout FILE] [--wander METRES] [--wander-wavelength METRES]\n"
     "           [--latency-gnss MS] [--latency-sbes MS]\n"
     "      Run the built-in simulator and a survey in virtual time; write the day's folders\n"
     "      under DIR and truth.csv. The INI needs [SIMULATOR] Area=MINE,MINN,MAXE,MAXN.\n"
     "      --lines: the lawnmower's legs become survey lines, run with guidance and the\n"
     "      line and guidance logs; --layout: the boat runs the layout's survey lines in\n"
     "      order instead. --wander: the helmsman's sine wander about each line, so that\n"
     "      truth.csv gives the real cross-track error (its last two columns).\n"
     "      --latency-gnss, --latency-sbes: the devices' lines reach the ports that late, for\n"
     "      the settings' [QUALITY] GnssLatency and SounderLatency to take off again.",
     nivora::cli::runSimulate},
    {"lines",
     "lines LAYOUT\n"
     "      List the survey lines of a layout (the run-line layer, in plan order): name,\n"
     "      length, bearing, start and end.",
     nivora::cli::runLines},
    {"crs",
     "crs --search TEXT | crs EPSG:CODE [--transformation EPSG:CODE] [--ini FILE]\n"
     "      Look up the EPSG register (PROJ's proj.db; --register FILE for another): --search\n"
     "      lists the projected systems whose code, name or area of use holds every word;\n"
     "      EPSG:CODE prints the fields a Transverse Mercator or Lambert system and a Helmert\n"
     "      transformation of its datum to WGS 84 (the best there is, or the one given) fill,\n"
     "      and with --ini writes them into the settings' [GEODETIC_PARAMETERS].",
     nivora::cli::runCrs},
    {"export",
     "export --from DIR... [--format xyz|asc|gpkg] [--values depth|reduced|elevation]\n"
     "         [--cell M] [--thin all|min|mean|nearest] [--stat count|min|max|mean|last]\n"
     "         [--decimals N] [--ini FILE] [--layout FILE.nwl] OUT\n"
     "      Export the soundings of the coordinate logs under the --from folders (day, LOG or\n"
     "      data folders, or logs; several allowed). xyz: \"easting northing value\" lines, all\n"
     "      soundings or one per --cell (min: the shoalest, at its own position; mean: the\n"
     "      cell's centre and mean; nearest: the sounding nearest the centre). asc: an ESRI\n"
     "      ASCII grid of the --stat of each --cell (default mean, 5 m). gpkg: a GeoPackage\n"
     "      of the soundings, the track and the --layout's survey lines. --ini: the settings\n"
     "      whose geodetic parameters give the .prj or the package's coordinate system.\n"
     "      --decimals: of every number written (default 2). The format follows OUT's\n"
     "      extension unless --format says it.",
     nivora::cli::runExport},
    {"grid",
     "grid --from DIR... [--cell M] [--values depth|reduced|elevation]\n"
     "      Fill the coverage grid from the coordinate logs and print its figures: soundings,\n"
     "      cells filled, extent in cells and metres, the values' range, memory.",
     nivora::cli::runGrid},
    {"replay",
     "replay --ini FILE --gnss FILE --sbes FILE --out DIR\n"
     "      Run a survey over two time-stamped raw logs in virtual time; write the day's folders.",
     nivora::cli::runReplayCommand},
    {"survey",
     "survey --ini FILE [--out DIR] [--minutes N]\n"
     "      Survey in real time on the settings' ports (devices, paths or SIM) without a\n"
     "      screen, with the program's checks, logs and snapshot, until N minutes have passed\n"
     "      or SIGTERM/SIGINT; the day's folders go under DIR (default: the settings' data\n"
     "      folder). A progress line goes to standard error every 5 s; lines read, rows\n"
     "      written and lost and reconnections are printed at the end. Exit status 1 with\n"
     "      the reason when no sounding was logged or anything was lost, 2 when it could\n"
     "      not start.",
     nivora::cli::runLiveSurvey},
};

void usage(FILE* out) {
    std::fprintf(out,
                 "Usage: nivora COMMAND [OPTIONS]    (nivora COMMAND --help: one command's usage;\n"
                 "                                     nivora --version: the version)\n\n"
                 "Commands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %s\n", c.usage);
}

bool asksForHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

}  // namespace

int main(int argc, char** argv) {
    nivora::cacheLocalTimeZone();
    const Command* chosen = nullptr;
    for (const Command& c : kCommands) {
        if (argc > 1 && std::strcmp(argv[1], c.name) == 0) chosen = &c;
    }
    std::unique_ptr<QCoreApplication> app;
    if (chosen && chosen->needsGui) {
        // Without a display the offscreen platform draws just as well.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Platform and font notes from Qt would bury the one-line reason.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        });
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h")) {
        usage(args.size() < 2 ? stderr : stdout);
        return args.size() < 2 ? 2 : 0;
    }
    if (args[1] == QLatin1String("--version") || args[1] == QLatin1String("-V")) {
        std::printf("nivora %s (Nivora DW)\n", NIVORA_VERSION);
        return 0;
    }
    if (chosen) {
        if (asksForHelp(args.mid(2))) {
            std::printf("usage: nivora %s\n", chosen->usage);
            return 0;
        }
        nivora::cli::setCommandName(args[1]);
        return chosen->run(nivora::cli::Arguments(args.mid(2)));
    }
    return nivora::cli::fail(
        QStringLiteral("unknown command '%1' (nivora --help lists them)").arg(args[1]));
}
