// The program as users run it: console report, exit codes, and no half-written picture.
#include "preview_support.h"
#include "shell_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace meshlift::detail::test;

namespace {

RunResult runPreview(const std::vector<std::string>& arguments) {
    return runShellProgram(MESHLIFT_PREVIEW_BINARY, arguments);
}

// The names in a folder, sorted, folders too.
std::vector<std::string> namesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kTriangle =
    std::string(meshlift::detail::preview::test::kTestScene) + "\r\n" +
    meshlift::detail::preview::test::objectElement(
        "<object id=\"T\">", {"-5,-5,0", "5,-5,0", "0,5,0"}, {"0 1 2", "0 1 7"}) +
    "</scene>\r\n";

TEST(PreviewCommand, WritesThePictureAndReportsWhatItDrew) {
    TempDir dir;
    writeFile(dir.file("scene.xml"), kTriangle);
    const RunResult run = runPreview({dir.file("scene.xml"), dir.file("picture.png")});
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, "objects: 1\n"
                           "polygons drawn: 1\n"
                           "polygons skipped, a corner names no node of its object: 1\n"
                           "polygons outside the view or behind the camera: 0\n"
                           "bounding box: (-5, -5, 0) to (5, 5, 0)\n");
    EXPECT_EQ(readFile(dir.file("picture.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"picture.png", "scene.xml"}));
}

TEST(PreviewCommand, DocumentCutShortIsDrawnAsFarAsItGoesWithAWarning) {
    TempDir dir;
    // Cut inside the second polygon: the first is drawn, the unfinished one is not.
    writeFile(dir.file("scene.xml"), kTriangle.substr(0, kTriangle.find("<node id=\"7\"")));
    const RunResult run = runPreview({dir.file("scene.xml"), dir.file("picture.png")});
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.console, "Warning : the document ends before </scene>; what it holds is drawn\n"
                           "objects: 1\n"
                           "polygons drawn: 1\n"
                           "polygons skipped, a corner names no node of its object: 0\n"
                           "polygons outside the view or behind the camera: 0\n"
                           "bounding box: (-5, -5, 0) to (5, 5, 0)\n");
}

TEST(PreviewCommand, EmptyViewSuggestsFitAndFitMovesTheCamera) {
    TempDir dir;
    std::string away = kTriangle;
    away.replace(away.find("camera=\"0,0,10\""), 15, "camera=\"0,0,-10\"");
    away.replace(away.find("lookAt=\"0,0,0\""), 14, "lookAt=\"0,0,-20\"");
    writeFile(dir.file("scene.xml"), away);
    const RunResult empty = runPreview({dir.file("scene.xml"), dir.file("picture.png")});
    EXPECT_EQ(empty.exitCode, kExitSuccess);
    EXPECT_NE(empty.console.find("\nNothing is in view: try --fit to move the camera.\n"),
              std::string::npos);
    const RunResult fitted = runPreview({"--fit", dir.file("scene.xml"), dir.file("picture.png")});
    EXPECT_EQ(fitted.exitCode, kExitSuccess);
    EXPECT_NE(fitted.console.find("polygons drawn: 1\n"), std::string::npos);
    EXPECT_NE(fitted.console.find("\nfitted camera: (0, 0, 10) looking at (0, 0, 0), near 0.1\n"),
              std::string::npos)
        << fitted.console;
    EXPECT_EQ(fitted.console.find("Nothing"), std::string::npos);
}

// A flat scene whose plane passes through the camera shows nothing: --fit turns to face
// it and says so, and --from looks from the direction given.
TEST(PreviewCommand, FitTurnsToAFlatSceneSeenEdgeOnAndFromPicksTheDirection) {
    TempDir dir;
    std::string edgeOn = kTriangle;
    edgeOn.replace(edgeOn.find("camera=\"0,0,10\""), 15, "camera=\"10,0,0\"");
    writeFile(dir.file("scene.xml"), edgeOn);
    const RunResult plain = runPreview({dir.file("scene.xml"), dir.file("picture.png")});
    EXPECT_NE(
        plain.console.find("\nNothing shows: the polygons in view are seen edge-on: try --fit.\n"),
        std::string::npos)
        << plain.console;
    const RunResult fitted = runPreview({dir.file("scene.xml"), dir.file("picture.png"), "--fit"});
    EXPECT_EQ(fitted.exitCode, kExitSuccess);
    EXPECT_NE(fitted.console.find("\nfitted camera: (0, 0, 10) looking at (0, 0, 0), near 0.1\n"
                                  "turned to face the scene's plane, which the document's "
                                  "direction sees edge-on; up (0, 1, 0)\n"),
              std::string::npos)
        << fitted.console;
    EXPECT_EQ(fitted.console.find("Nothing"), std::string::npos) << fitted.console;
    const RunResult from =
        runPreview({dir.file("scene.xml"), dir.file("picture.png"), "--from", "1,1,1"});
    EXPECT_NE(from.console.find("\nfitted camera: (5.7735, 5.7735, 5.7735) looking at (0, 0, 0)"),
              std::string::npos)
        << from.console;
    EXPECT_EQ(from.console.find("turned"), std::string::npos) << from.console;
    EXPECT_EQ(from.console.find("Nothing"), std::string::npos) << from.console;
}

TEST(PreviewCommand, FailuresExitWithOneAndLeaveNoPicture) {
    const std::string kUsage =
        "Usage : meshlift-preview scene.xml picture.png [--fit] [--from X,Y,Z]\n";
    TempDir dir;
    writeFile(dir.file("scene.ASE"), "*3DSMAX_ASCIIEXPORT 200\n*GEOMOBJECT {\n}\n");
    writeFile(dir.file("scene.xml"), kTriangle);
    writeFile(dir.file("wide.xml"),
              std::string(kTriangle).replace(kTriangle.find("width=\"20\""), 10, "width=\"0\""));
    std::filesystem::create_directory(dir.file("folder"));
    struct Case {
        std::vector<std::string> arguments;
        std::string console;
    } cases[] = {
        {{dir.file("scene.ASE"), dir.file("p.png")},
         "Error : " + dir.file("scene.ASE") + " is not a scene document !\n"},
        {{dir.file("missing.xml"), dir.file("p.png")}, openingError(dir.file("missing.xml"))},
        {{dir.file("missing.xml"), dir.file("p.png"), "--fit"},
         openingError(dir.file("missing.xml"))},
        {{dir.file("folder"), dir.file("p.png"), "--fit"}, openingError(dir.file("folder"))},
        {{dir.file("wide.xml"), dir.file("p.png")},
         "Error : unusable scene attribute width=\"0\" in " + dir.file("wide.xml") + " !\n"},
        {{dir.file("scene.xml"), dir.file("folder")}, writingError(dir.file("folder"))},
        {{dir.file("scene.xml"), dir.file("no/such/folder.png")},
         writingError(dir.file("no/such/folder.png"))},
        {{dir.file("scene.xml"), dir.file("scene.xml")}, creatingError(dir.file("scene.xml"))},
        {{dir.file("scene.xml")}, kUsage},
        {{dir.file("scene.xml"), dir.file("p.png"), "--from", "0,0,0"}, kUsage},
        {{dir.file("scene.xml"), dir.file("p.png"), "--from", "1,1"}, kUsage},
    };
    for (const Case& c : cases) {
        const RunResult run = runPreview(c.arguments);
        EXPECT_EQ(run.exitCode, kExitFailure) << c.console;
        EXPECT_EQ(run.console, c.console);
    }
    EXPECT_EQ(namesIn(dir),
              (std::vector<std::string>{"folder", "scene.ASE", "scene.xml", "wide.xml"}));
    EXPECT_EQ(readFile(dir.file("scene.xml")), kTriangle);
}

// Only a regular file is replaced through a renamed temporary file: a pipe (like a
// device, which a test cannot risk) is written in place and stays a pipe. The temporary
// name fits in the folder whenever the picture's name does.
TEST(PreviewCommand, PictureThatIsAPipeIsWrittenInPlaceAndALongNameFits) {
    TempDir dir;
    writeFile(dir.file("scene.xml"), kTriangle);
    const std::string fifo = dir.file("picture.fifo");
    // The reader is stopped when the pipe was replaced, and so never opened for writing.
    const RunResult piped =
        runShell("mkfifo " + shellQuote(fifo) + " && { cat " + shellQuote(fifo) + " > " +
                 shellQuote(dir.file("got.png")) + " & " + shellQuote(MESHLIFT_PREVIEW_BINARY) +
                 " " + shellQuote(dir.file("scene.xml")) + " " + shellQuote(fifo) +
                 " >/dev/null; status=$?; [ -p " + shellQuote(fifo) +
                 " ] || kill $!; wait; exit $status; }");
    EXPECT_EQ(piped.exitCode, kExitSuccess);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(readFile(dir.file("got.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");

    const std::string longName = dir.file(std::string(246, 'p') + ".png");
    EXPECT_EQ(runPreview({dir.file("scene.xml"), longName}).exitCode, kExitSuccess);
    EXPECT_EQ(readFile(longName).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(namesIn(dir).size(), 4u); // no temporary file left beside them
}

// Ids four apart once took a 32-byte slot for every number up to the last id, doubled
// on growth: ten times the document. The table now costs less than the node elements.
TEST(PreviewCommand, NodeTableMemoryStaysBelowTwiceTheNodeElements) {
    TempDir dir;
    const std::string start = std::string(meshlift::detail::preview::test::kTestScene) +
                              "\r\n<object id=\"A\">\r\n<nodes>\r\n";
    const std::string end = "</nodes>\r\n</object>\r\n</scene>\r\n";
    std::string nodes;
    for (int id = 0; id < 1000000; id += 4)
        nodes += "<node id=\"" + std::to_string(id) + "\"/>\r\n";
    writeFile(dir.file("tiny.xml"), start + end);
    writeFile(dir.file("nodes.xml"), start + nodes + end);
    const long baselineKb =
        peakMemoryKb(MESHLIFT_PREVIEW_BINARY, {dir.file("tiny.xml"), dir.file("tiny.png")});
    const long peakKb =
        peakMemoryKb(MESHLIFT_PREVIEW_BINARY, {dir.file("nodes.xml"), dir.file("nodes.png")});
    ASSERT_GT(baselineKb, 0);
    ASSERT_GT(peakKb, 0);
    EXPECT_LT((peakKb - baselineKb) * 1024, 2 * static_cast<long>(nodes.size()))
        << peakKb << " kB against " << baselineKb << " kB";
}

} // namespace
