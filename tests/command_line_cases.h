#pragma once

// The scene, the expected document and the fixture that the command-line cases share
// on every platform.
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace meshlift::detail::test {

inline const std::string kUsage =
    "Usage : Meshlift inputFile.ASE ouputFile.xml [mode = tri (|quad)]\n";
inline const std::string kScene =
    "*GEOMOBJECT {\n*NODE_NAME \"T\"\n*MESH {\n*MESH_NUMVERTEX 1\n"
    "*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1 2 3\n}\n"
    "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 0 C: 0 AB: 1 BC: 0 CA: 0\n"
    "}\n}\n*WIREFRAME_COLOR 1 1 1\n}\n";
inline const std::string kTriDocument =
    documentLines({kSceneStart, R"(<object id="T" Ka="1.0" Kd="0.8" Ks="0.15" color="0xffffff">)",
                   "<nodes>", R"(<node id="0" xyz="1,2,3"/>)", "</nodes>", "<polygons>",
                   R"(<polygon id="0">)", R"(<node id="0"/>)", R"(<node id="0"/>)",
                   R"(<node id="0"/>)", "</polygon>", "</polygons>", "</object>", "</scene>"});

inline const std::string kUnfinishedScene = "*GEOMOBJECT {\n*NODE_NAME \"T\"\n}\n";

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        input = dir.file("scene.ASE");
        output = dir.file("scene.xml");
        writeFile(input, kScene);
    }
    TempDir dir;
    std::string input, output;
};

} // namespace meshlift::detail::test
