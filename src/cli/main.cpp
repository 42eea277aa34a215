// orvane-convert: every conversion of Orvane without a window.

#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "common/Errors.h"
#include "common/ProgramStart.h"
#include "common/TemporaryFiles.h"
#include "workbooks/ChildProcess.h"

namespace {

using orvane::cli::kFailure;
using orvane::cli::kSuccess;
using orvane::cli::kUsage;

constexpr std::string_view kUsageText =
    R"(Usage: orvane-convert COMMAND ARGUMENTS...

Converts survey data to KML, as the windows of Orvane do.

  orvane-convert points INPUT OUTPUT.kml [--format 0|1|2] [--geometry point|line|polygon]
                       [--layout fixed|standard] [--digits N]
      INPUT holds one coordinate line per line ("-" reads standard input).
      --format 0  latitude,longitude (default)
               1  longitude,latitude
               2  longitude latitude
      --geometry  one point per line (default), one line, or one closed polygon.

  orvane-convert mif INPUT.mif OUTPUT.kml [--layout fixed|standard] [--digits N]
                     [--name-column COL]
      Every polygon of the file's Region objects as a red outline ("-" reads standard
      input). In the standard layout each region is one placemark (rings inside rings
      are holes) carrying its row of the .mid file beside the MIF, named by the column
      COL (default: the first character column).

  orvane-convert dt INPUT.txt OUTPUT.kml [--lon FIELD] [--lat FIELD] [--theme FIELD]
                    [--classify | --grades N] [--boundary left|right|both]
                    [--scheme NAME [--colcfg FILE]] [--width N] [--break METRES]
                    [--layout fixed|standard] [--digits N]
      The route of a drive-test log (TAB-separated; UTF-8, GBK or UTF-16) as lines coloured by
      the theme field. FIELD is a header name (exact, then ignoring letter case);
      longitude and latitude default to the columns recognised by name, the theme to
      the first field. The legend grades the field when all its values are numbers
      (--grades N ranges, 2 to 100, default 4; --boundary says which bound a range
      holds, default left), else classifies it (at most 16 values); --classify asks
      for classes. --scheme loads a grading scheme by name from the colour
      configuration file ColCfg.col (or FILE). --width is the line width in pixels
      (1 to 10, default 4); --break cuts the route where two records lie farther
      apart than METRES (1 to 200, default 20). "-" reads the log from standard input.

  orvane-convert bs WORKBOOK OUTPUT.kml --site COL --lon COL --lat COL --azimuth COL
                    [--sheet SHEET] [--radius SECONDS] [--beamwidth COL] [--metres M]
                    [--layout fixed|standard] [--digits N]
      A base-station table (one sector per row) as site icons and sector wedges:
      consecutive rows with the same longitude and latitude texts form one site.
      COL is a column entry as the window shows it (B:经度), else a header text,
      else column letters (B); SHEET a sheet name or a number from 1 (the first by
      default). --radius is the wedge radius in seconds of arc (1 to 100, default 2).
      --beamwidth draws each wedge as wide as its cell in that column says (whole
      degrees, 1 to 360; others fall back to 45). --metres makes the radius M metres
      on the ground with wedges of true shape, in place of --radius.

  orvane-convert cqt WORKBOOK OUTPUT.kml --name COL --lon COL --lat COL --theme COL
                     [--sheet SHEET] [--classify | --grades N] [--boundary left|right|both]
                     [--scheme NAME [--colcfg FILE]] [--layout fixed|standard]
                     [--digits N]
      The test points of a CQT table (.xls, .xlsx, CSV or TAB-separated text; field
      names in row 1), one point per row, coloured by the theme column, with the whole
      row in its balloon. COL is a column entry as the window shows it (B:经度), a
      header text or column letters (B); SHEET a sheet name or a number from 1 (the
      first by default). The legend options are those of dt. Rows with an empty name,
      longitude, latitude or theme are reported and left out.

  dt and cqt also take, about the legend:
      --stats FILE.csv  the count, share (and km) of each legend entry, printed and
                        written as CSV
      --legend-folders  one folder per legend entry, named by its figures
      --merge-lines     (dt) one placemark per legend entry; implies --legend-folders
      --legend-overlay  the legend as an image at the lower left of the map: a
                        ScreenOverlay showing files/legend.png inside a .kmz, or
                        NAME-legend.png written beside NAME.kml

  Every conversion writes a KMZ archive (a zip holding doc.kml) when OUTPUT ends in
  .kmz, and takes --layout fixed|standard: fixed (the default) is the program's own
  KML 2.1 layout; standard is OGC KML 2.2 as GIS programs read it (texts inline,
  no padding, typed attributes, base stations as two layers, the program's own icons
  beside the file or inside the .kmz). --digits N (1 to 15) rounds coordinates to N
  decimals in either layout.

  orvane-convert inspect WORKBOOK [--sheet SHEET] [--cells]
      Shows how Orvane reads a workbook (.xls, .xlsx, CSV or TAB-separated text): its
      sheet names, then for the chosen sheet (the first by default) its row and column
      counts and its column entries. SHEET is a sheet name or a number from 1.
      --cells     also every row, its cell texts separated by TAB.

  orvane-convert --help      this text
  orvane-convert --version   the program's version

An output that is one of the inputs (also through a link), a folder, a device, a named
pipe or a read-only file is refused; a symbolic link writes the file it points to. An
interrupted conversion (Ctrl+C, SIGTERM, SIGHUP) leaves the output as it was.
Exit status: 0 done, 1 the conversion stopped with an error, 2 the command was not
understood.
)";

struct Command {
    std::string_view name;
    int (*run)(const std::vector<std::string>&);
};

// One command a line, so that adding one touches one line.
// clang-format off
constexpr Command kCommands[] = {
    {"points", orvane::cli::RunPoints},
    {"mif", orvane::cli::RunMif},
    {"dt", orvane::cli::RunDt},
    {"bs", orvane::cli::RunBs},
    {"cqt", orvane::cli::RunCqt},
    {"inspect", orvane::cli::RunInspect},
};
// clang-format on

int UsageFailure(const std::string& message) {
    std::cerr << "orvane-convert: " << message << "\n"
              << "Try 'orvane-convert --help'.\n";
    return kUsage;
}

int Run(const std::string& name, const std::vector<std::string>& words) {
    for (const Command& command : kCommands) {
        if (command.name == name) {
            return command.run(words);
        }
    }
    return UsageFailure("unknown command '" + name + "'");
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = orvane::ProgramArguments(argc, argv);
    // Where .xls files are read by a new process (Windows), this process may be one.
    if (const std::optional<int> status = orvane::RunChildTaskIfAsked(arguments)) {
        return *status;
    }
    orvane::UseUtf8StandardStreams();
    std::ios::sync_with_stdio(false);
    orvane::RemoveTemporaryFilesOnSignals();
    if (arguments.size() < 2) {
        return UsageFailure("no command given");
    }
    const std::string& name = arguments[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::cout << kUsageText;
        return kSuccess;
    }
    if (name == "--version") {
        std::cout << "orvane-convert " << ORVANE_VERSION << '\n';
        return kSuccess;
    }
    const std::vector<std::string> words(arguments.begin() + 2, arguments.end());
    try {
        return Run(name, words);
    } catch (const orvane::cli::UsageError& error) {
        return UsageFailure(error.what());
    } catch (const std::bad_alloc&) {
        std::cerr << "Out of memory\n";
        return kFailure;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return kFailure;
    }
}
