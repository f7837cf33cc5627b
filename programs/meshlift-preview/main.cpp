#include "meshlift/meshlift.h"
#include "meshlift/preview.h"
#include "png_writer.h"
#include "program.h"
#include "program_support.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using meshlift::PreviewReport;
using namespace meshlift::cli;

void say(const std::string& line) {
    printLine(line);
}

// "X,Y,Z": three finite numbers, not all zero.
std::optional<meshlift::PreviewPoint> direction(const char* text) {
    double values[3];
    for (double& value : values) {
        char* end = nullptr;
        value = std::strtod(text, &end);
        if (end == text || !std::isfinite(value)) return std::nullopt;
        text = end;
        if (&value != &values[2] && *text++ != ',') return std::nullopt;
    }
    if (*text != '\0' || (values[0] == 0 && values[1] == 0 && values[2] == 0)) return std::nullopt;
    return meshlift::PreviewPoint{values[0], values[1], values[2]};
}

} // namespace

int runProgram(int argc, char** argv) {
    prepareProcess();
    std::vector<std::string_view> paths;
    meshlift::PreviewOptions options;
    bool usable = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--fit") {
            options.fit = true;
        } else if (argument == "--from" && i + 1 < argc) {
            options.from = direction(argv[++i]);
            usable = usable && options.from.has_value();
            options.fit = true;
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 2 || !usable) {
        say("Usage : meshlift-preview scene.xml picture.png [--fit] [--from X,Y,Z]");
        return 1;
    }
    const bool fit = options.fit;
    const std::string document(paths[0]);
    const std::string picture(paths[1]);
    if (isSameFile(document.c_str(), picture.c_str())) {
        say(meshlift::fileProblemLine(meshlift::FileProblem::cannotCreate, picture));
        return 1;
    }
    // A fitted camera reads the document twice: a pipe cannot give it a second time. A
    // document that cannot be opened at all is reported as such below, fitted or not.
    if (fit && isStream(document.c_str())) {
        say("Error : --fit reads the document twice and needs a regular file : " + document + " !");
        return 1;
    }
    meshlift::PreviewImage image;
    const PreviewReport preview = meshlift::renderPreviewFile(document, options, image);
    const std::vector<std::string> report = meshlift::previewReportLines(preview, document, fit);
    if (preview.pictureDrawn()) {
        const std::string png = encodePng(image);
        if (png.empty() || !replaceFileContents(picture.c_str(), png)) {
            say(meshlift::fileProblemLine(meshlift::FileProblem::cannotWrite, picture));
            return 1;
        }
    }
    for (const std::string& line : report)
        say(line);
    return preview.pictureDrawn() ? 0 : 1;
}
