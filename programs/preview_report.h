#pragma once

// What meshlift-preview says about a preview, shared with the web page, which shows
// the same lines beside its picture.

#include "meshlift/preview.h"

#include <string>
#include <string_view>
#include <vector>

namespace meshlift::cli {

// The line for a preview that drew no picture, naming the document as `document`;
// empty when the picture was drawn.
[[nodiscard]] std::string previewFailure(const PreviewReport& preview, std::string_view document);

// The report after a drawn picture, one line each, without line ends.
[[nodiscard]] std::vector<std::string> previewReport(const PreviewReport& preview, bool fit);

} // namespace meshlift::cli
