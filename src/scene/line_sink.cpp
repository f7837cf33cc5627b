#include "scene/line_sink.h"

#include <cerrno>
#include <unistd.h>

namespace meshlift {
namespace {

void writeOut(LineSink& sink) {
    if (sink.memory != nullptr) {
        sink.memory->append(sink.pending);
    } else {
        const char* data = sink.pending.data();
        std::size_t size = sink.pending.size();
        while (size > 0) {
            const ssize_t put = ::write(sink.fd, data, size);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                sink.failed = true;
                break;
            }
            data += put;
            size -= static_cast<std::size_t>(put);
        }
    }
    sink.pending.clear();
}

void finishLine(LineSink& sink, std::initializer_list<std::string_view> pieces,
                std::string_view lineEnd) {
    for (std::string_view piece : pieces)
        sink.pending.append(piece);
    sink.pending.append(lineEnd);
    writeOut(sink);
}

} // namespace

void writeDocumentText(LineSink& document, std::string_view text) {
    document.pending.append(text);
}

void writeDocumentLine(LineSink& document, std::initializer_list<std::string_view> pieces) {
    finishLine(document, pieces, "\r\n");
}

void writeConsoleLine(LineSink& console, std::initializer_list<std::string_view> pieces) {
    finishLine(console, pieces, "\n");
}

} // namespace meshlift
