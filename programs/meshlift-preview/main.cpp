#include "meshlift/preview.h"
#include "platform/program_support.h"
#include "png_writer.h"
#include "preview_report.h"
#include "program.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

namespace platform = meshlift::detail::platform;
using meshlift::PreviewReport;

void say(const std::string& line) {
    platform::writeConsoleLine(line);
}

} // namespace

int runProgram(int argc, char** argv) {
    platform::prepareProcess();
    std::vector<std::string_view> paths;
    bool fit = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--fit")
            fit = true;
        else
            paths.push_back(argv[i]);
    }
    if (paths.size() != 2) {
        say("Usage : meshlift-preview scene.xml picture.png [--fit]");
        return 1;
    }
    const std::string document(paths[0]);
    const std::string picture(paths[1]);
    if (platform::isSameFile(document.c_str(), picture.c_str())) {
        say("Error creating file : " + picture + " !");
        return 1;
    }
    // A fitted camera reads the document twice: a pipe cannot give it a second time.
    if (fit && !platform::isRegularFile(document.c_str())) {
        say("Error : --fit reads the document twice and needs a regular file : " + document + " !");
        return 1;
    }
    meshlift::PreviewImage image;
    const PreviewReport preview = meshlift::renderPreviewFile(document, {fit}, image);
    if (!preview.pictureDrawn()) {
        say(meshlift::cli::previewFailure(preview, document));
        return 1;
    }
    const std::string png = meshlift::cli::encodePng(image);
    if (png.empty() || !platform::replaceFileContents(picture.c_str(), png)) {
        say("Error writing file : " + picture + " !");
        return 1;
    }
    for (const std::string& line : meshlift::cli::previewReport(preview, fit))
        say(line);
    return 0;
}
