#include "meshlift/meshlift.h"

#include "ase/input_file.h"
#include "driver/scene_conversion.h"
#include "scene/line_sink.h"

namespace meshlift {

namespace {

[[nodiscard]] ConversionMode conversionMode(Mode mode) {
    return mode == Mode::quad ? ConversionMode::quad : ConversionMode::tri;
}

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

} // namespace

Result convertBuffer(std::string_view scene, Mode mode, const LineCallback& onLine,
                     std::string_view inputName) noexcept {
    try {
        bool stopped = false;
        Receiver documentReceiver{&onLine, LineKind::document, &stopped};
        Receiver consoleReceiver{&onLine, LineKind::console, &stopped};
        LineSink document = receiverSink(receiveLine, &documentReceiver);
        LineSink console = receiverSink(receiveLine, &consoleReceiver);
        InputFile input;
        openInputMemory(input, scene);
        convertScene(input, document, console, conversionMode(mode), inputName);
        return Result{stopped ? 1 : 0, {}};
    } catch (...) { // out of memory: the program would end here too
        return Result{1, {}};
    }
}

} // namespace meshlift
