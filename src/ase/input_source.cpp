#include "ase/input_source.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace meshlift::detail {
namespace {

constexpr std::size_t kSpoolBlock = std::size_t{1} << 20;

// Copies a stream that cannot seek into a temporary file, up to the end mark, so
// that the colour look-ahead can return to any earlier offset.
InputOpenResult spool(platform::NativeHandle stream, InputSource& source) {
    platform::File spooled = platform::createTemporaryFile();
    if (!spooled.valid()) return InputOpenResult::cannotOpen;
    const auto buffer = std::unique_ptr<char[]>(new char[kSpoolBlock]); // left uninitialised
    std::uint64_t total = 0;
    for (;;) {
        const platform::ReadResult got = platform::readSome(stream, buffer.get(), kSpoolBlock);
        if (got.failed) return InputOpenResult::cannotRead;
        if (got.size == 0) break;
        std::size_t size = got.size;
        const void* mark = std::memchr(buffer.get(), InputSource::kEndMark, size);
        if (mark != nullptr)
            size = static_cast<std::size_t>(static_cast<const char*>(mark) - buffer.get());
        if (!platform::writeAll(spooled.get(), buffer.get(), size))
            return InputOpenResult::cannotOpen;
        total += size;
        if (mark != nullptr) break;
    }
    source.file = std::move(spooled);
    source.sizeHint = total;
    return InputOpenResult::opened;
}

} // namespace

InputOpenResult openInputSource(InputSource& source, const char* path) {
    std::optional<platform::OpenedFile> opened = platform::openForReading(path);
    if (!opened || opened->kind == platform::FileKind::directory)
        return InputOpenResult::cannotOpen;
    source.identity = opened->identity;
    if (opened->kind == platform::FileKind::regular) {
        source.file = std::move(opened->file);
        source.sizeHint = opened->size;
        return InputOpenResult::opened;
    }
    return spool(opened->file.get(), source);
}

InputOpenResult openStreamSource(InputSource& source, platform::NativeHandle stream) {
    // Checked before the temporary file is made, which would take a closed descriptor's
    // number and then be read as the input.
    if (!platform::isOpen(stream)) return InputOpenResult::cannotRead;
    return spool(stream, source);
}

void openMemorySource(InputSource& source, std::string_view bytes) {
    source.memory = bytes;
    source.sizeHint = bytes.size();
}

void openReaderSource(InputSource& source, ReadAtFunction readAt, const void* context,
                      std::uint64_t size) {
    source.readAt = readAt;
    source.readContext = context;
    source.sizeHint = size;
}

std::size_t readSource(InputSource& source, std::uint64_t offset, char* data, std::size_t size) {
    if (source.readAt != nullptr) {
        std::size_t total = 0;
        while (total < size && !source.readFailed) {
            const std::ptrdiff_t got =
                source.readAt(source.readContext, offset + total, data + total, size - total);
            // A count beyond what was asked for cannot be trusted any more than a failure.
            if (got < 0 || static_cast<std::size_t>(got) > size - total) source.readFailed = true;
            if (got <= 0 || source.readFailed) break;
            total += static_cast<std::size_t>(got);
        }
        return total;
    }
    if (!source.file.valid()) {
        if (offset >= source.memory.size()) return 0;
        const std::size_t n = std::min<std::uint64_t>(size, source.memory.size() - offset);
        std::memcpy(data, source.memory.data() + offset, n);
        return n;
    }
    if (source.readFailed) return 0;
    const platform::ReadResult got = platform::readAt(source.file.get(), offset, data, size);
    if (got.failed) source.readFailed = true;
    return got.size;
}

} // namespace meshlift::detail
