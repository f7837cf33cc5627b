#include "meshlift/meshlift.h"

#include "ase/input_reader.h"
#include "library/conversion_run.h"
#include "platform/file_system.h"
#include "scene/console_lines.h"
#include "scene/line_sink.h"
#include "scene/scene_conversion.h"

namespace meshlift {

using namespace detail;

namespace {

// Hands the lines of one sink to the caller's callback. A callback that throws stops
// the delivery: the exception stays here, and no later line reaches the caller, so
// that what the caller got is always a beginning of the program's output.
struct Receiver {
    const LineCallback* onLine = nullptr;
    LineKind kind = LineKind::document;
    bool* stopped = nullptr;
};

bool receiveLine(void* context, std::string_view line) {
    const Receiver& receiver = *static_cast<const Receiver*>(context);
    if (*receiver.stopped) return false;
    try {
        (*receiver.onLine)(receiver.kind, line);
        return true;
    } catch (...) {
        *receiver.stopped = true;
        return false;
    }
}

// The two sinks of a conversion whose lines all go to one callback.
struct CallbackSinks {
    bool stopped = false;
    Receiver documentReceiver;
    Receiver consoleReceiver;
    LineSink document;
    LineSink console;

    explicit CallbackSinks(const LineCallback& onLine)
        : documentReceiver{&onLine, LineKind::document, &stopped},
          consoleReceiver{&onLine, LineKind::console, &stopped},
          document(receiverSink(receiveLine, &documentReceiver)),
          console(receiverSink(receiveLine, &consoleReceiver)) {}
    CallbackSinks(const CallbackSinks&) = delete;
    CallbackSinks& operator=(const CallbackSinks&) = delete;
};

// Converts an opened input into the callback, and reports as the program does when
// a read fails on the way.
int convertIntoCallback(InputReader& input, CallbackSinks& sinks, Mode mode,
                        std::string_view inputName) {
    const bool converted = convertScene(input, sinks.document, sinks.console, mode, inputName);
    if (!converted) reportFileFailure(sinks.console, console::kCannotRead, inputName);
    return converted && !sinks.stopped ? 0 : 1;
}

// A path holding a NUL byte would be cut short by the system and name another file.
[[nodiscard]] bool holdsNul(std::string_view path) {
    return path.find('\0') != std::string_view::npos;
}

int runWithConsole(std::string_view inputPath, std::string_view outputPath, Mode mode,
                   LineSink& console) {
    if (holdsNul(inputPath)) return reportFileFailure(console, console::kCannotOpen, inputPath);
    if (holdsNul(outputPath)) return reportFileFailure(console, console::kCannotCreate, outputPath);
    return runConversion(inputPath, outputPath, mode, console);
}

// The caller's reader behind the input source's plain function: a read that throws
// counts as a failed read.
std::ptrdiff_t readThroughCaller(const void* context, std::uint64_t offset, char* data,
                                 std::size_t size) {
    try {
        return static_cast<const SceneReader*>(context)->readAt(offset, data, size);
    } catch (...) {
        return -1;
    }
}

[[nodiscard]] bool opensAtAll(const SceneReader& scene) {
    try {
        return !scene.open || scene.open();
    } catch (...) {
        return false;
    }
}

} // namespace

Result convertFile(std::string_view inputPath, std::string_view outputPath, Mode mode,
                   const LineCallback& onConsoleLine) noexcept {
    Result result;
    try {
        if (onConsoleLine) {
            bool stopped = false;
            Receiver receiver{&onConsoleLine, LineKind::console, &stopped};
            LineSink console = receiverSink(receiveLine, &receiver);
            result.exitCode = runWithConsole(inputPath, outputPath, mode, console);
            if (stopped) result.exitCode = 1;
        } else {
            LineSink console = memorySink(result.console);
            result.exitCode = runWithConsole(inputPath, outputPath, mode, console);
        }
    } catch (...) { // out of memory: the program would end here too
        result.exitCode = 1;
    }
    return result;
}

Result convertBuffer(std::string_view scene, Mode mode, const LineCallback& onLine,
                     std::string_view inputName) noexcept {
    try {
        CallbackSinks sinks(onLine);
        InputReader input;
        openInputMemory(input, scene);
        return Result{convertIntoCallback(input, sinks, mode, inputName), {}};
    } catch (...) {
        return Result{1, {}};
    }
}

Result convertDescriptor(int fd, Mode mode, const LineCallback& onLine,
                         std::string_view inputName) noexcept {
    try {
        CallbackSinks sinks(onLine);
        InputReader input;
        switch (openStreamSource(input.source, platform::handleOfDescriptor(fd))) {
        case InputOpenResult::cannotOpen:
            return Result{reportFileFailure(sinks.console, console::kCannotOpen, inputName), {}};
        case InputOpenResult::cannotRead:
            return Result{reportFileFailure(sinks.console, console::kCannotRead, inputName), {}};
        case InputOpenResult::opened:
            break;
        }
        return Result{convertIntoCallback(input, sinks, mode, inputName), {}};
    } catch (...) {
        return Result{1, {}};
    }
}

Result convertReader(const SceneReader& scene, Mode mode, const LineCallback& onLine,
                     std::string_view inputName) noexcept {
    try {
        CallbackSinks sinks(onLine);
        if (!scene.readAt || !opensAtAll(scene))
            return Result{reportFileFailure(sinks.console, console::kCannotOpen, inputName), {}};
        InputReader input;
        openReaderSource(input.source, readThroughCaller, &scene, scene.size);
        return Result{convertIntoCallback(input, sinks, mode, inputName), {}};
    } catch (...) {
        return Result{1, {}};
    }
}

std::string fileProblemLine(FileProblem problem, std::string_view path) {
    switch (problem) {
    case FileProblem::cannotOpen:
        return console::lineAbout(console::kCannotOpen, path);
    case FileProblem::cannotCreate:
        return console::lineAbout(console::kCannotCreate, path);
    case FileProblem::cannotRead:
        return console::lineAbout(console::kCannotRead, path);
    case FileProblem::cannotWrite:
        break;
    }
    return console::lineAbout(console::kCannotWrite, path);
}

} // namespace meshlift
