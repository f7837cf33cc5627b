#pragma once

#include "platform/file_system.h"

#include <optional>

namespace meshlift::detail {

// Where the document goes: a file of its own, or standard output when the output
// path names the file that standard output already writes to.
struct DocumentFile {
    platform::File owned;
    platform::NativeHandle handle = platform::kNoHandle;
};

// Creates the document, or truncates an existing one, but never the input itself:
// truncating it first would destroy the scene before it is read.
[[nodiscard]] std::optional<DocumentFile> createDocument(const char* path,
                                                         const platform::FileIdentity& input);

} // namespace meshlift::detail
