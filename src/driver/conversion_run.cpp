#include "driver/conversion_run.h"

#include "ase/input_file.h"
#include "driver/document_file.h"
#include "driver/scene_conversion.h"
#include "scene/console_lines.h"

#include <string>

namespace meshlift {
namespace {

int fail(LineSink& console, const console::PathMessage& message, std::string_view path) {
    writeConsoleLine(console, message.before, path, message.after);
    return 1;
}

} // namespace

int runConversion(const CommandLine& commandLine, LineSink& console) {
    const std::string inputPath(commandLine.inputPath);
    const std::string outputPath(commandLine.outputPath);
    InputFile input;
    switch (openInputFile(input, inputPath.c_str())) {
    case InputOpenResult::cannotOpen:
        return fail(console, console::kCannotOpen, inputPath);
    case InputOpenResult::cannotRead:
        return fail(console, console::kCannotRead, inputPath);
    case InputOpenResult::opened:
        break;
    }
    std::optional<DocumentFile> output = createDocument(outputPath.c_str(), input.source.identity);
    if (!output) return fail(console, console::kCannotCreate, outputPath);

    LineSink document = fileSink(output->handle);
    const bool converted = convertScene(input, document, console, commandLine.mode, inputPath);
    input.source.file.close();
    const bool closed = output->owned.close();
    if (!converted) return fail(console, console::kCannotRead, inputPath);
    if (document.failed || !closed) return fail(console, console::kCannotWrite, outputPath);
    return 0;
}

} // namespace meshlift
