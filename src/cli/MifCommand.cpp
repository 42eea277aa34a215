#include "CommandLine.h"
#include "Commands.h"
#include "conversions/Mif2kml.h"

namespace orvane::cli {

int RunMif(const std::vector<std::string>& words) {
    const Arguments arguments(words, {kLayoutOption}, {});
    arguments.ExpectPositional(2);
    const KmlLayout layout = LayoutOf(arguments);
    TerminalProgress progress;
    ConvertMifToKml(arguments.positional()[0], arguments.positional()[1],
                    PrintingObserver(progress), layout);
    progress.Clear();
    PrintLine("完成！");
    return kSuccess;
}

}  // namespace orvane::cli
