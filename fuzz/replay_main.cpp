// Runs every file named on the command line, or found in a directory named there,
// once through the fuzz target: the seed corpus and the saved crash inputs become a
// plain test of the normal build. A directory that does not exist is passed over,
// so that optional corpora can be named unconditionally.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::size_t skipped = 0;

void runFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s (%zu bytes)\n", path.string().c_str(), bytes.size());
    if (LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) !=
        0)
        ++skipped;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path root = argv[i];
        std::error_code error;
        if (std::filesystem::is_regular_file(root, error)) {
            runFile(root);
            ++files;
            continue;
        }
        if (!std::filesystem::is_directory(root, error)) continue;
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error))
            if (entry.is_regular_file()) paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        for (const auto& path : paths)
            runFile(path);
        files += paths.size();
    }
    std::fprintf(stderr, "%zu files replayed, %zu of them skipped by the target\n", files, skipped);
    return files > 0 ? 0 : 1;
}
