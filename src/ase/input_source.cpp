#include "ase/input_source.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace meshlift::detail {
namespace {

constexpr std::size_t kSpoolBlock = std::size_t{1} << 20;

// Copies a stream that cannot seek into a temporary file, up to the end mark, so
// that the colour look-ahead can return to any earlier offset. The bytes of a UTF-16
// stream hold 0x1A within its code units: only its text can hold the end mark.
InputOpenResult spool(platform::NativeHandle stream, InputSource& source) {
    platform::File spooled = platform::createTemporaryFile();
    if (!spooled.valid()) return InputOpenResult::cannotOpen;
    const auto buffer = std::unique_ptr<char[]>(new char[kSpoolBlock]); // left uninitialised
    std::string head; // the first two bytes, once read
    std::uint64_t total = 0;
    for (;;) {
        const platform::ReadResult got = platform::readSome(stream, buffer.get(), kSpoolBlock);
        if (got.failed) return InputOpenResult::cannotRead;
        if (got.size == 0) break;
        std::size_t size = got.size;
        head.append(buffer.get(), std::min(size, 2 - head.size()));
        const void* mark = nullptr;
        if (!mayStartUtf16Mark(head) && !utf16ByteOrder(head))
            mark = std::memchr(buffer.get(), InputSource::kEndMark, size);
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

// The bytes of the input as they are, whatever they encode.
std::size_t readBytes(InputSource& source, std::uint64_t offset, char* data, std::size_t size) {
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

std::size_t readBytesOf(void* source, std::uint64_t offset, char* data, std::size_t size) {
    return readBytes(*static_cast<InputSource*>(source), offset, data, size);
}

// Every way in ends here: the input's first bytes tell how it is read.
void startReading(InputSource& source) {
    char first[2];
    const std::size_t got = readBytes(source, 0, first, sizeof first);
    if (const auto order = utf16ByteOrder({first, got})) {
        source.utf16 = std::make_unique<Utf16Text>();
        startUtf16Text(*source.utf16, *order);
    }
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
    } else if (const InputOpenResult spooled = spool(opened->file.get(), source);
               spooled != InputOpenResult::opened) {
        return spooled;
    }
    startReading(source);
    return InputOpenResult::opened;
}

InputOpenResult openStreamSource(InputSource& source, platform::NativeHandle stream) {
    // Checked before the temporary file is made, which would take a closed descriptor's
    // number and then be read as the input.
    if (!platform::isOpen(stream)) return InputOpenResult::cannotRead;
    const InputOpenResult spooled = spool(stream, source);
    if (spooled == InputOpenResult::opened) startReading(source);
    return spooled;
}

void openMemorySource(InputSource& source, std::string_view bytes) {
    source.memory = bytes;
    source.sizeHint = bytes.size();
    startReading(source);
}

void openReaderSource(InputSource& source, ReadAtFunction readAt, const void* context,
                      std::uint64_t size) {
    source.readAt = readAt;
    source.readContext = context;
    source.sizeHint = size;
    startReading(source);
}

std::size_t readSource(InputSource& source, std::uint64_t offset, char* data, std::size_t size) {
    if (source.utf16) return readUtf16Text(*source.utf16, readBytesOf, &source, offset, data, size);
    return readBytes(source, offset, data, size);
}

} // namespace meshlift::detail
