#include "scene/line_sink.h"

#include <algorithm>

namespace meshlift::detail {

char* growLine(LineSink& sink, std::size_t more) {
    const std::size_t needed = sink.pending + more;
    if (needed > sink.capacity) {
        const std::size_t capacity = std::max({needed, 2 * sink.capacity, std::size_t{256}});
        auto grown = std::unique_ptr<char[]>(new char[capacity]); // left uninitialised
        if (sink.pending > 0) std::memcpy(grown.get(), sink.line.get(), sink.pending);
        sink.line = std::move(grown);
        sink.capacity = capacity;
    }
    return sink.line.get() + sink.pending;
}

void sendHeldLines(LineSink& sink) {
    const char* data = sink.line.get();
    std::size_t start = 0;
    const bool stopped = sink.stopWhen != nullptr && *sink.stopWhen;
    for (std::size_t i = 0; i < sink.held && !stopped; ++i) {
        const std::size_t end = sink.heldEnds[i];
        if (sink.receiver != nullptr) {
            if (!sink.receiver(sink.receiverContext, std::string_view(data + start, end - start)))
                sink.failed = true;
        } else if (sink.memory != nullptr)
            sink.memory->append(data + start, end - start);
        else if (!platform::writeAll(sink.file, data + start, end - start))
            sink.failed = true;
        start = end;
    }
    sink.held = 0;
    sink.pending = 0;
}

void writeDocumentText(LineSink& document, std::string_view text) {
    char* at = growLine(document, text.size());
    line_pieces::put(at, text);
    document.pending += text.size();
}

} // namespace meshlift::detail
