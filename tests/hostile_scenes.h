#pragma once

// Small scenes, expected lines and a runner shared by the hostile-input cases of
// every platform (hostile_input_test.cpp) and of POSIX alone (hostile_posix_test.cpp).
#include "test_support.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace meshlift::detail::test {

constexpr std::string_view kSceneEnd = "</scene>";
constexpr std::string_view kMissingVertex =
    "Error : not enought *MESH_VERTEX found in *MESH_VERTEX_LIST !\n";
constexpr std::string_view kMissingFace =
    "Error : not enought *MESH_FACE found in *MESH_FACE_LIST !\n";
constexpr std::string_view kMissingFaceList = "Error : no *MESH_FACE_LIST found in *MESH !\n";

inline std::string objectLine(std::string_view id, std::string_view colour) {
    return "<object id=" + std::string(id) + R"( Ka="1.0" Kd="0.8" Ks="0.15" color=")" +
           std::string(colour) + "\">";
}

inline std::string noObjectMessage(std::string_view path) {
    return "Error : no *GEOMOBJECT found in " + std::string(path) + "!\n";
}

// One small object: a named triangle with its colour after the mesh.
inline std::string triangleScene(std::string_view nameLine, std::string_view colourLine,
                                 std::string_view faceLabel = "0:") {
    return "*GEOMOBJECT {\n" + std::string(nameLine) +
           "\n"
           "\t*MESH {\n"
           "\t\t*MESH_NUMVERTEX 3\n"
           "\t\t*MESH_NUMFACES 1\n"
           "\t\t*MESH_VERTEX_LIST {\n"
           "\t\t\t*MESH_VERTEX 0 0.0 0.0 0.0\n"
           "\t\t\t*MESH_VERTEX 1 1.0 0.0 0.0\n"
           "\t\t\t*MESH_VERTEX 2 0.0 1.0 0.0\n"
           "\t\t}\n"
           "\t\t*MESH_FACE_LIST {\n"
           "\t\t\t*MESH_FACE " +
           std::string(faceLabel) +
           " A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0\n"
           "\t\t}\n"
           "\t}\n" +
           std::string(colourLine) + "\n}\n";
}

inline std::string joinLines(const std::vector<std::string>& lines) {
    std::vector<std::string_view> views(lines.begin(), lines.end());
    return documentLines(views);
}

inline std::string emptySceneDocument() {
    return documentLines({kSceneStart, kSceneEnd});
}

struct Outcome {
    int exitCode = -1;
    std::string document;
    std::string console;
};

inline Outcome runOnFile(const TempDir& dir, std::string_view scene,
                         const std::string& mode = "tri") {
    const std::string input = dir.file("scene.ASE");
    const std::string output = dir.file("scene.xml");
    writeFile(input, scene);
    std::filesystem::remove(output);
    const RunResult run = runMeshlift({input, output, mode});
    return {run.exitCode, readFile(output), run.console};
}

inline std::string randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(byte(generator));
        if (c == '\x1a') c = '\x1b'; // an end mark would hide the rest of the input
        if (c == '*') c = '+';       // and without "*" no keyword can occur by chance
    }
    return bytes;
}

inline const std::string kNamedTriangle =
    triangleScene("*NODE_NAME \"Box\"", "*WIREFRAME_COLOR 1.0 0.5 0.0");

} // namespace meshlift::detail::test
