#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "conversions/Mif2kml.h"

namespace orvane::cli {

int RunMif(const std::vector<std::string>& words) {
    const Arguments arguments(words, {kLayoutOption}, {});
    arguments.ExpectPositional(2);
    const KmlLayout layout = LayoutOf(arguments);
    const std::string input = InputPath(arguments.positional()[0]);
    const std::string& output = arguments.positional()[1];
    CheckOutputPath(output, {input});
    TerminalProgress progress;
    ReadingInput(input, output,
                 [&] { ConvertMifToKml(input, output, PrintingObserver(progress), layout); });
    progress.Clear();
    PrintLine("完成！");
    return kSuccess;
}

}  // namespace orvane::cli
