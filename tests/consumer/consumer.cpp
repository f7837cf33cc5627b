// Converts a scene with the installed library twice, from its path and from memory
// through the line callback, so that CI can compare both with the program's output:
//   consumer SCENE tri|quad PATH_DOCUMENT BUFFER_DOCUMENT
// The console lines of both conversions go to standard output, one after the other.
// The document is then drawn with the installed preview, which must find it drawable.
#include <meshlift/meshlift.h>
#include <meshlift/preview.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: consumer SCENE tri|quad PATH_DOCUMENT BUFFER_DOCUMENT\n";
        return 2;
    }
    const auto mode =
        std::string_view(argv[2]) == "quad" ? meshlift::Mode::quad : meshlift::Mode::tri;

    const meshlift::Result byPath = meshlift::convertFile(argv[1], argv[3], mode);
    std::cout << byPath.console << std::flush;

    std::ifstream input(argv[1], std::ios::binary);
    const std::string scene{std::istreambuf_iterator<char>(input), {}};
    std::ofstream document(argv[4], std::ios::binary);
    const meshlift::Result byBuffer = meshlift::convertBuffer(
        scene, mode,
        [&](meshlift::LineKind kind, std::string_view line) {
            (kind == meshlift::LineKind::document ? document : std::cout) << line;
        },
        argv[1]);
    document.close();

    meshlift::PreviewImage image;
    const meshlift::PreviewReport preview = meshlift::renderPreviewFile(argv[3], {}, image);
    const bool drawn = preview.pictureDrawn() && preview.drawn > 0 &&
                       image.rgba.size() == std::size_t(image.width) * image.height * 4;
    return byPath.exitCode != 0 || byBuffer.exitCode != 0 || !drawn ? 1 : 0;
}
