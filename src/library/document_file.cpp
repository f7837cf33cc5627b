#include "library/document_file.h"

namespace meshlift::detail {

std::optional<DocumentFile> createDocument(const char* path, const platform::FileIdentity& input) {
    // Recognised before opening as well: opening a named pipe that is the input for
    // writing would wait for a reader that never comes.
    const std::optional<platform::FileIdentity> existing = platform::identityOfPath(path);
    if (existing == input) return std::nullopt;

    // A second opening of standard output's own file would write over the console
    // lines from its own offset, or truncate what a `>>` redirection keeps. Standard
    // output's own handle shares one offset with the console instead.
    const platform::NativeHandle out = platform::standardOutput();
    if (existing && existing == platform::identityOf(out)) {
        if (!platform::appendsOnWrite(out) && !platform::truncateAtPosition(out))
            return std::nullopt;
        return DocumentFile{platform::File(), out};
    }

    platform::File file = platform::openForWriting(path);
    if (!file.valid()) return std::nullopt;
    // Checked again on the opened file: the name may have changed hands in between.
    const std::optional<platform::FileIdentity> opened = platform::identityOf(file.get());
    if (!opened || *opened == input || !platform::truncateAtPosition(file.get()))
        return std::nullopt;
    const platform::NativeHandle handle = file.get();
    return DocumentFile{std::move(file), handle};
}

} // namespace meshlift::detail
