#include "driver/program.h"
#include "driver/command_line.h"
#include "meshlift/meshlift.h"
#include "platform/file_system.h"
#include "scene/console_lines.h"
#include "scene/line_sink.h"

namespace meshlift {
namespace {

// Each console line of the conversion leaves in one write as soon as it is complete.
void writeToConsole(LineKind, std::string_view line) {
    (void)platform::writeAll(platform::standardOutput(), line.data(), line.size());
}

} // namespace

int runProgram(int argc, char** argv) {
    platform::prepareProcess();
    LineSink console = fileSink(platform::standardOutput());

    CommandLine commandLine;
    switch (parseCommandLine(argc, argv, commandLine)) {
    case CommandLineError::invalidMode:
        writeConsoleLine(console, console::kInvalidMode);
        [[fallthrough]];
    case CommandLineError::argumentCount:
        writeConsoleLine(console, console::kUsage);
        return 1;
    case CommandLineError::none:
        break;
    }
    const Mode mode = commandLine.mode == ConversionMode::quad ? Mode::quad : Mode::tri;
    return convertFile(commandLine.inputPath, commandLine.outputPath, mode, writeToConsole)
        .exitCode;
}

} // namespace meshlift
