// How fast the keyword scanner reads past lines that do not hold the keyword: each
// round opens the scene and finds every line with one keyword, so on a scene made
// mostly of normals every byte is read and nearly all are skipped. Prints the median
// rate in MB/s (1 MB = 10^6 bytes) for the keyword searches that skip the most in a
// conversion: the object start and the colour line.
//
//   meshlift_scan_rate scene.ASE [rounds]

#include "ase/input_reader.h"
#include "ase/keyword.h"
#include "ase/keyword_scanner.h"
#include "ase/line_stream.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace meshlift;
using namespace meshlift::detail;

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("usage: meshlift_scan_rate scene.ASE [rounds]\n", stderr);
        return 2;
    }
    const int rounds = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
    struct stat info {};
    if (::stat(argv[1], &info) != 0) return 1;
    for (const Keyword& keyword : {Keyword("*GEOMOBJECT"), Keyword("*WIREFRAME_COLOR")}) {
        std::vector<double> rates;
        for (int round = 0; round < rounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            InputReader input;
            if (openInputFile(input, argv[1]) != InputOpenResult::opened) return 1;
            LineStream stream;
            while (findKeywordLine(input, keyword, stream)) {
            }
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            rates.push_back(static_cast<double>(info.st_size) / 1e6 / took.count());
        }
        std::sort(rates.begin(), rates.end());
        std::printf("%s %.0f\n", std::string(keyword.text()).c_str(), rates[rates.size() / 2]);
    }
    return 0;
}
