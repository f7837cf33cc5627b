#include "preview/png_output.h"

#include <cstdio>
#include <cstdlib>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

namespace meshlift::preview {
namespace {

// libpng reports errors by longjmp: nothing with a destructor may live in this frame.
bool encode(std::FILE* file, int width, int height, const std::uint8_t* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Previews are mostly flat colours: one filter and a light setting compress them
    // nearly as well as the search for the best, in a fraction of the time.
    png_set_compression_level(png, 3);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rows + static_cast<std::size_t>(y) * width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string temporaryPattern(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".XXXXXX";
}

// The picture gets the permissions a newly created file would get.
void usualPermissions(int fd) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

} // namespace

bool writePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& rgbRows) {
    std::string temporary = temporaryPattern(path);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    usualPermissions(fd);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    bool written = encode(file, width, height, rgbRows.data());
    written = std::fflush(file) == 0 && written;
    written = ::fsync(fd) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

} // namespace meshlift::preview
