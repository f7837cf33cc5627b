// Whole conversions from memory: the document and console lines that scenes give.
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace meshlift;
using namespace meshlift::detail;
using namespace meshlift::detail::test;

namespace {

const std::string kPlane =
    sceneObject("\t*NODE_NAME \"Plane01\"",
                {"0 -10.0000 -10.0000 0.0000", "1 10.0000 -10.0000 0.0000",
                 "2 -10.0000 10.0000 0.0000", "3 10.0000 10.0000 0.0000"},
                {"0: A: 2 B: 0 C: 3 AB: 1 BC: 0 CA: 1", "1: A: 1 B: 3 C: 0 AB: 1 BC: 0 CA: 1"},
                "\t*WIREFRAME_COLOR 0.6000 0.8941 0.7216");

const std::string kPlaneStart = objectLine("\"Plane01\"", "0x99e4b8");
constexpr std::string_view kPlaneNodes[] = {"<nodes>",
                                            R"(<node id="0" xyz="-10.0000,-10.0000,0.0000"/>)",
                                            R"(<node id="1" xyz="10.0000,-10.0000,0.0000"/>)",
                                            R"(<node id="2" xyz="-10.0000,10.0000,0.0000"/>)",
                                            R"(<node id="3" xyz="10.0000,10.0000,0.0000"/>)",
                                            "</nodes>"};

// A minimal object: name, counts, vertex lines and face lines as given.
std::string object(std::string_view name, int vertices, int faces,
                   const std::vector<std::string>& faceLines, std::string_view colour = "") {
    std::vector<std::string> numbered;
    for (int i = 0; i < vertices; ++i)
        numbered.push_back(std::to_string(i) + " 1.0 2.0 3.0");
    return sceneObject("\t*NODE_NAME \"" + std::string(name) + "\"", numbered, faceLines,
                       colour.empty() ? "" : "\t*WIREFRAME_COLOR " + std::string(colour), "",
                       std::to_string(faces));
}

// The lines of a document, without their CR LF, for comparing pieces of it.
std::vector<std::string> linesOf(const std::string& document) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = document.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(document.substr(start, end - start));
    EXPECT_EQ(start, document.size()) << "document does not end in CR LF";
    return lines;
}

std::vector<std::string> objectStartLines(const std::string& document) {
    std::vector<std::string> starts;
    for (const std::string& line : linesOf(document))
        if (line.rfind("<object", 0) == 0) starts.push_back(line);
    return starts;
}

// Both window sizes must give the same conversion; returns the large window's.
Conversion convert(std::string_view scene, Mode mode) {
    const Conversion small = convertInMemory(scene, mode, 32);
    const Conversion large = convertInMemory(scene, mode);
    EXPECT_EQ(small.document, large.document);
    EXPECT_EQ(small.console, large.console);
    return large;
}

} // namespace

TEST(Conversion, PlaneInTriMode) {
    const Conversion result = convert(kPlane, Mode::tri);
    std::vector<std::string_view> lines = {kSceneStart, kPlaneStart};
    lines.insert(lines.end(), std::begin(kPlaneNodes), std::end(kPlaneNodes));
    for (std::string_view line :
         {"<polygons>", "<polygon id=\"0\">", "<node id=\"3\"/>", "<node id=\"0\"/>",
          "<node id=\"2\"/>", "</polygon>", "<polygon id=\"1\">", "<node id=\"0\"/>",
          "<node id=\"3\"/>", "<node id=\"1\"/>", "</polygon>", "</polygons>", "</object>",
          "</scene>"})
        lines.push_back(line);
    EXPECT_EQ(result.document, documentLines(lines));
    EXPECT_EQ(result.console, "");
}

TEST(Conversion, PlaneInQuadMode) {
    const Conversion result = convert(kPlane, Mode::quad);
    std::vector<std::string_view> lines = {kSceneStart, kPlaneStart};
    lines.insert(lines.end(), std::begin(kPlaneNodes), std::end(kPlaneNodes));
    for (std::string_view line : {"<polygons>", "<polygon id=\"0\">", "<node id=\"3\"/>",
                                  "<node id=\"1\"/>", "<node id=\"0\"/>", "<node id=\"2\"/>",
                                  "</polygon>", "</polygons>", "</object>", "</scene>"})
        lines.push_back(line);
    EXPECT_EQ(result.document, documentLines(lines));
    EXPECT_EQ(result.console, "");
}

TEST(Conversion, SceneWithoutObjectsIsTwoLinesAndAMessage) {
    for (std::string_view scene : {"", "*3DSMAX_ASCIIEXPORT 200\n*geomobject {\n"}) {
        const Conversion result =
            convertInMemory(scene, Mode::tri, InputReader::kBlockSize, "dir/in.ASE");
        EXPECT_EQ(result.document, emptySceneDocument());
        EXPECT_EQ(result.console, noObjectLine("dir/in.ASE"));
    }
}

TEST(Conversion, ObjectStartLinesFromNamesColoursAndTheCounter) {
    const std::string scene = object("Box01", 0, 0, {}, "1.0 0.5 0.0") +
                              object("Box 02 & <x>", 0, 0, {}) +
                              "*GEOMOBJECT {\n\t*MESH {\n\t}\n}\n";
    const Conversion result = convert(scene, Mode::tri);
    EXPECT_EQ(objectStartLines(result.document),
              (std::vector<std::string>{objectLine("\"Box01\"", "0xff8000"),
                                        objectLine("\"Box 02 & <x>\"", "0xAAAAAA"),
                                        objectLine("\"obj_2\"", "0xAAAAAA")}));
}

TEST(Conversion, ColourLookAheadBorrowsALaterObjectsColourAndComesBack) {
    const std::string scene =
        object("A", 1, 0, {}) + object("B", 1, 0, {}, "0 0 1") + object("C", 1, 0, {});
    const Conversion result = convert(scene, Mode::tri);
    EXPECT_EQ(objectStartLines(result.document),
              (std::vector<std::string>{objectLine("\"A\"", "0xff"), objectLine("\"B\"", "0xff"),
                                        objectLine("\"C\"", "0xAAAAAA")}));
    EXPECT_EQ(result.console, "");
}

TEST(Conversion, ColourComponentsMissingOrUnreadableCountAsZero) {
    const std::string scene = object("A", 0, 0, {}, "1.0") + object("B", 0, 0, {}, "1.0 x 1.0") +
                              object("C", 0, 0, {}, "3.5e38 1.0 1.0") +
                              object("D", 0, 0, {}, "0.0 1e38 0.0");
    EXPECT_EQ(
        objectStartLines(convert(scene, Mode::tri).document),
        (std::vector<std::string>{objectLine("\"A\"", "0xff0000"), objectLine("\"B\"", "0xff0000"),
                                  objectLine("\"C\"", "0x0"), objectLine("\"D\"", "0xffffff00")}));
}

TEST(Conversion, MissingNameTakesTheNextObjectsNameAndMesh) {
    const std::string scene = "*GEOMOBJECT {\n\t*MESH_NUMVERTEX 9\n}\n" + object("Later", 1, 0, {});
    const Conversion result = convert(scene, Mode::tri);
    EXPECT_EQ(result.document,
              documentLines({kSceneStart, objectLine("\"Later\"", "0xAAAAAA"), "<nodes>",
                             R"(<node id="0" xyz="1.0,2.0,3.0"/>)", "</nodes>", "<polygons>",
                             "</polygons>", "</object>", "</scene>"}));
    EXPECT_EQ(result.console, "");
}

TEST(Conversion, MissingVerticesRepeatTheErrorAndLaterSearchesFail) {
    std::string scene = "*GEOMOBJECT {\n*NODE_NAME \"R\"\n*MESH {\n*MESH_NUMVERTEX 8\n"
                        "*MESH_NUMFACES 2\n*MESH_VERTEX_LIST {\n";
    for (int i = 0; i < 3; ++i)
        scene += "*MESH_VERTEX " + std::to_string(i) + " 1 2 3\n";
    const Conversion result = convert(scene, Mode::tri);
    EXPECT_EQ(
        result.document,
        documentLines({kSceneStart, objectLine("\"R\"", "0xAAAAAA"), "<nodes>",
                       R"(<node id="0" xyz="1,2,3"/>)", R"(<node id="1" xyz="1,2,3"/>)",
                       R"(<node id="2" xyz="1,2,3"/>)", "</nodes>", "</object>", "</scene>"}));
    std::string console;
    for (int i = 0; i < 5; ++i)
        console += kMissingVertex;
    console += kMissingFaceList;
    EXPECT_EQ(result.console, console);
}

TEST(Conversion, ObjectWithoutMeshEndsTheRun) {
    const Conversion result = convert("*GEOMOBJECT {\n*NODE_NAME \"Lonely\"\n}\n", Mode::quad);
    EXPECT_EQ(result.document, documentLines({kSceneStart, objectLine("\"Lonely\"", "0xAAAAAA"),
                                              "</object>", "</scene>"}));
    EXPECT_EQ(result.console, kMissingMesh);
}

TEST(Conversion, EveryMissingRecordOfAMeshHasItsErrorLine) {
    const Conversion result = convert("*GEOMOBJECT {\n*NODE_NAME \"M\"\n*MESH {\n}\n", Mode::tri);
    EXPECT_EQ(result.console, "Error : no *MESH_NUMVERTEX found in *MESH !\n"
                              "Error : no *MESH_NUMFACES found in *MESH !\n"
                              "Error : no *MESH_VERTEX_LIST found in *MESH !\n"
                              "Error : no *MESH_FACE_LIST found in *MESH !\n");
}

TEST(Conversion, FaceLabelsLoseOnlyTheirLastColon) {
    const std::string scene =
        object("F", 0, 6,
               {"7: A: 4 B: 5 C: 6", "1:2: A: 0 B: 1 C: 2", ": A: 0 B: 1 C: 2", ":: A: 0 B: 1 C: 2",
                "9 A: 0 B: 1 C: 2", "a:b A: 0 B: 1 C: 2"});
    const std::vector<std::string> lines = linesOf(convert(scene, Mode::tri).document);
    std::vector<std::string> polygonStarts;
    for (const std::string& line : lines)
        if (line.rfind("<polygon ", 0) == 0) polygonStarts.push_back(line);
    EXPECT_EQ(polygonStarts,
              (std::vector<std::string>{"<polygon id=\"7\">", "<polygon id=\"1:2\">",
                                        "<polygon id=\"\">", "<polygon id=\":\">",
                                        "<polygon id=\"9\">", "<polygon id=\"ab\">"}));
    // The face 7: with corners 4, 5 and 6 lists them in reverse.
    const auto first = std::find(lines.begin(), lines.end(), "<polygon id=\"7\">");
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(std::vector<std::string>(first + 1, first + 5),
              (std::vector<std::string>{"<node id=\"6\"/>", "<node id=\"5\"/>", "<node id=\"4\"/>",
                                        "</polygon>"}));
}

TEST(Conversion, FieldsMissingFromALineKeepThePreviousLinesText) {
    const std::string scene =
        "*GEOMOBJECT {\n*NODE_NAME \"K\"\n*MESH {\n*MESH_NUMVERTEX 3\n"
        "*MESH_NUMFACES 2\n*MESH_VERTEX_LIST {\n"
        "*MESH_VERTEX 0 -10.0000 5 6\n*MESH_VERTEX 1 7 8\n*MESH_VERTEX\n}\n"
        "*MESH_FACE_LIST {\n*MESH_FACE 1:2: A: 0 B: 1 C: 2\n*MESH_FACE\n}\n}\n";
    const Conversion result = convert(scene, Mode::tri);
    EXPECT_EQ(
        result.document,
        documentLines({kSceneStart, objectLine("\"K\"", "0xAAAAAA"), "<nodes>",
                       R"(<node id="0" xyz="-10.0000,5,6"/>)", R"(<node id="1" xyz="7,8,6"/>)",
                       R"(<node id="1" xyz="7,8,6"/>)", "</nodes>", "<polygons>",
                       "<polygon id=\"1:2\">", "<node id=\"2\"/>", "<node id=\"1\"/>",
                       "<node id=\"0\"/>", "</polygon>",
                       // the kept label loses its next colon too
                       "<polygon id=\"12\">", "<node id=\"2\"/>", "<node id=\"1\"/>",
                       "<node id=\"0\"/>", "</polygon>", "</polygons>", "</object>", "</scene>"}));
}

TEST(Conversion, CountsCarryOverWhenAnObjectDoesNotSupplyThem) {
    const std::string faces = "\t\t\t*MESH_FACE 0: A: 0 B: 0 C: 0\n";
    const std::string scene = object("A", 1, 2, {"0: A: 0 B: 0 C: 0", "1: A: 0 B: 0 C: 0"}) +
                              "*GEOMOBJECT {\n*NODE_NAME \"B\"\n*MESH {\n*MESH_NUMVERTEX -1\n"
                              "*MESH_NUMFACES x\n*MESH_VERTEX_LIST {\n}\n*MESH_FACE_LIST {\n" +
                              faces + faces + "}\n}\n}\n";
    const std::vector<std::string> lines = linesOf(convert(scene, Mode::tri).document);
    const auto second = std::find(lines.begin(), lines.end(), objectLine("\"B\"", "0xAAAAAA"));
    ASSERT_NE(second, lines.end());
    // vertexCount -1: an empty nodes block; faceCount kept at 2: two polygons.
    EXPECT_EQ(*(second + 1), "<nodes>");
    EXPECT_EQ(*(second + 2), "</nodes>");
    EXPECT_EQ(std::count(second, lines.end(), "</polygon>"), 2);
}

TEST(Conversion, ShortFaceListReadsOnIntoLaterFaceKeywords) {
    const std::string scene =
        "*GEOMOBJECT {\n*NODE_NAME \"S\"\n*MESH {\n*MESH_NUMVERTEX 0\n*MESH_NUMFACES 3\n"
        "*MESH_VERTEX_LIST {\n}\n*MESH_FACE_LIST {\n*MESH_FACE 0: A: 1 B: 2 C: 3 AB: 1 BC: 1 CA: "
        "1\n}\n"
        "*MESH_FACENORMAL 0 0.0 0.0 1.0\n}\n}\n";
    const Conversion tri = convert(scene, Mode::tri);
    EXPECT_EQ(tri.console, kMissingFace);
    // The normal line stands in for the second face: its tokens land in the fields
    // as far as it has them ("0", "0.0", "0.0", "1.0"), and b and c keep their text.
    EXPECT_NE(tri.document.find("<polygon id=\"0\">\r\n<node id=\"3\"/>\r\n<node id=\"2\"/>\r\n"
                                "<node id=\"0.0\"/>\r\n</polygon>\r\n"),
              std::string::npos);
    const Conversion quad = convert(scene, Mode::quad);
    EXPECT_EQ(quad.console, kMissingFace);
    EXPECT_NE(quad.document.find("<polygon id=\"0\">\r\n<node id=\"\"/>\r\n<node id=\"\"/>\r\n"
                                 "<node id=\"2\"/>\r\n<node id=\"1\"/>\r\n</polygon>\r\n"),
              std::string::npos);
}

namespace {

// The corner lines of every polygon of a quad-mode conversion, one string each.
std::vector<std::string> quadPolygons(const std::vector<std::string>& faceLines, int faceCount,
                                      std::string* console = nullptr) {
    const Conversion result = convert(object("Q", 0, faceCount, faceLines), Mode::quad);
    if (console != nullptr) *console = result.console;
    std::vector<std::string> polygons;
    for (const std::string& line : linesOf(result.document)) {
        if (line.rfind("<polygon ", 0) == 0)
            polygons.push_back(line.substr(9));
        else if (line.rfind("<node id=\"", 0) == 0 && !polygons.empty())
            polygons.back().append(" ").append(line, 10, line.size() - 13);
    }
    return polygons;
}

} // namespace

TEST(QuadAssembly, EdgesAreChosenByTheFirstVisibleFlag) {
    EXPECT_EQ(
        quadPolygons({"0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0", "1: A: 2 B: 3 C: 0 AB: 1 BC: 1 CA: 0"},
                     2),
        (std::vector<std::string>{"id=\"0\"> 3 2 1 0"}));
    EXPECT_EQ(
        quadPolygons(
            {"0: A: 5 B: 6 C: 7 AB: 0 BC: 1 CA: 1", "1: A: 8 B: 9 C: 10 AB: 01 BC: 1.0 CA: 1"}, 2),
        (std::vector<std::string>{"id=\"0\"> 8 10 7 6"}));
}

TEST(QuadAssembly, FacesWithoutVisibleEdgesKeepThePreviousPairsCorners) {
    std::string console;
    EXPECT_EQ(
        quadPolygons({"0: A: 0 B: 1 C: 2 AB: 0 BC: 0 CA: 0", "1: A: 2 B: 3 C: 0 AB: 1 BC: 0 CA: 0",
                      "2: A: 4 B: 5 C: 6 AB: 1 BC: 0 CA: 0", "3: A: 6 B: 7 C: 4 AB: 0 BC: 0 CA: 0",
                      "4: A: 8 B: 9 C: 10 AB: 0 BC: 0 CA: 0", "5: A: 10 B: 11 C: 8"},
                     6, &console),
        (std::vector<std::string>{"id=\"0\"> 3 2  ", "id=\"2\"> 3 2 5 4", "id=\"4\"> 3 2 5 4"}));
    EXPECT_EQ(console, "");
}

TEST(QuadAssembly, OddFaceCountWithNothingLeftWritesOneErrorPerPair) {
    std::string console;
    EXPECT_EQ(
        quadPolygons({"0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0", "1: A: 2 B: 3 C: 0 AB: 1 BC: 1 CA: 0",
                      "2: A: 4 B: 5 C: 6 AB: 1 BC: 0 CA: 0"},
                     5, &console),
        (std::vector<std::string>{"id=\"0\"> 3 2 1 0"}));
    EXPECT_EQ(console, std::string(kMissingFace) + std::string(kMissingFace));
}

TEST(QuadAssembly, ZeroOrNegativeFaceCountGivesAnEmptyPolygonsBlock) {
    for (int count : {0, -3}) {
        std::string console;
        EXPECT_TRUE(quadPolygons({"0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0"}, count, &console).empty());
        EXPECT_EQ(console, "");
    }
}
