#include "driver/command_line.h"
#include "driver/conversion_run.h"
#include "platform/file_system.h"
#include "scene/console_lines.h"
#include "scene/line_sink.h"

using namespace meshlift;

int main(int argc, char** argv) {
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
    return runConversion(commandLine, console);
}
