#include "library/conversion_run.h"

#include "ase/input_reader.h"
#include "library/document_file.h"
#include "scene/console_lines.h"
#include "scene/scene_conversion.h"

#include <string>

namespace meshlift::detail {
int reportFileFailure(LineSink& console, const console::PathMessage& message,
                      std::string_view path) {
    writeConsoleLine(console, message.before, path, message.after);
    return 1;
}

int runConversion(std::string_view inputPathText, std::string_view outputPathText, Mode mode,
                  LineSink& console) {
    const std::string inputPath(inputPathText);
    const std::string outputPath(outputPathText);
    InputReader input;
    switch (openInputFile(input, inputPath.c_str())) {
    case InputOpenResult::cannotOpen:
        return reportFileFailure(console, console::kCannotOpen, inputPath);
    case InputOpenResult::cannotRead:
        return reportFileFailure(console, console::kCannotRead, inputPath);
    case InputOpenResult::opened:
        break;
    }
    std::optional<DocumentFile> output = createDocument(outputPath.c_str(), input.source.identity);
    if (!output) return reportFileFailure(console, console::kCannotCreate, outputPath);

    LineSink document = fileSink(output->handle);
    const bool converted = convertScene(input, document, console, mode, inputPath);
    input.source.file.close();
    const bool closed = output->owned.close();
    if (!converted) return reportFileFailure(console, console::kCannotRead, inputPath);
    if (document.failed || !closed)
        return reportFileFailure(console, console::kCannotWrite, outputPath);
    return 0;
}

} // namespace meshlift::detail
