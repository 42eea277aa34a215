#include "CommandLine.h"
#include "Commands.h"
#include "conversions/Mif2kml.h"

namespace orvane::cli {

int RunMif(const std::vector<std::string>& words) {
    const Arguments arguments(words, {}, {});
    arguments.ExpectPositional(2);
    TerminalProgress progress;
    ConvertMifToKml(arguments.positional()[0], arguments.positional()[1],
                    PrintingObserver(progress));
    progress.Clear();
    PrintLine("完成！");
    return kSuccess;
}

}  // namespace orvane::cli
