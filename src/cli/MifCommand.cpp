#include "CommandFiles.h"
#include "CommandLine.h"
#include "Commands.h"
#include "conversions/Mif2kml.h"

namespace orvane::cli {

int RunMif(const std::vector<std::string>& words) {
    const Arguments arguments(words, {kLayoutOption, kDigitsOption, "--name-column"}, {});
    arguments.ExpectPositional(2);
    const MifConversionRequest request{.mifPath = InputPath(arguments.positional()[0]),
                                       .outPath = arguments.positional()[1],
                                       .layout = LayoutOf(arguments),
                                       .nameColumn = arguments.Value("--name-column").value_or(""),
                                       .digits = DigitsOf(arguments)};
    // The fixed layout has no attributes to name regions from.
    if (!request.nameColumn.empty() && request.layout != KmlLayout::Standard) {
        throw UsageError("--name-column needs --layout standard");
    }
    CheckOutputPath(request.outPath, {request.mifPath});
    TerminalProgress progress;
    ReadingInput(request.mifPath, request.outPath,
                 [&] { ConvertMifToKml(request, PrintingObserver(progress)); });
    progress.Clear();
    PrintLine("完成！");
    return kSuccess;
}

}  // namespace orvane::cli
