#include "scene/line_sink.h"

#include <cerrno>
#include <cstring>
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
    // One resize for the whole line: a line goes out per document line, and
    // growing the text piece by piece costs more than the pieces themselves.
    std::size_t length = lineEnd.size();
    for (std::string_view piece : pieces)
        length += piece.size();
    const std::size_t start = sink.pending.size();
    sink.pending.resize(start + length);
    char* at = sink.pending.data() + start;
    for (std::string_view piece : pieces) {
        std::memcpy(at, piece.data(), piece.size());
        at += piece.size();
    }
    std::memcpy(at, lineEnd.data(), lineEnd.size());
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
