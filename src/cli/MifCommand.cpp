#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "conversions/Mif2kml.h"

namespace orvane::cli {

int RunMif(const std::vector<std::string>& words) {
    const Arguments arguments(words, {kLayoutOption}, {});
    arguments.ExpectPositional(2);
    const MifConversionRequest request{.mifPath = InputPath(arguments.positional()[0]),
                                       .outPath = arguments.positional()[1],
                                       .layout = LayoutOf(arguments)};
    CheckOutputPath(request.outPath, {request.mifPath});
    TerminalProgress progress;
    ReadingInput(request.mifPath, request.outPath,
                 [&] { ConvertMifToKml(request, PrintingObserver(progress)); });
    progress.Clear();
    PrintLine("完成！");
    return kSuccess;
}

}  // namespace orvane::cli
