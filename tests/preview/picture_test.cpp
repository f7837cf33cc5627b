// What the picture shows: coverage, depth, clipping and hostile coordinates.
#include "preview_support.h"

#include "preview/shading.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace meshlift::detail::preview;
using namespace meshlift::detail::preview::test;
using meshlift::detail::test::TempDir;

namespace {

std::string scene(const std::string& objects) {
    return std::string(kTestScene) + "\r\n" + objects + "</scene>\r\n";
}

bool allBackground(const Preview& preview) {
    for (int row = 0; row < preview.height; ++row) {
        for (int column = 0; column < preview.width; ++column) {
            if (pixel(preview, column, row) != kBackground) return false;
        }
    }
    return true;
}

TEST(PreviewPicture, TriangleCoversItsPixelsByAreaInItsShadedColour) {
    TempDir dir;
    // Legs along x = -5.5 (through the middle of column 4) and y = -5 (between rows 14
    // and 15); the long side crosses pixels at slants.
    const Preview preview =
        renderText(dir, scene(objectElement(flatObject("T", "0xc08040"),
                                            {"-5.5,-5,0", "5.2,-5,0", "-5.5,5.7,0"}, {"0 1 2"})));
    ASSERT_EQ(preview.outcome, ReadOutcome::complete);
    EXPECT_EQ(preview.report.drawn, 1);
    EXPECT_EQ(pixel(preview, 5, 13), 0x604020u);   // inside: half of the colour, Ka·Ia
    EXPECT_EQ(pixel(preview, 5, 15), kBackground); // just below the lower leg
    EXPECT_EQ(pixel(preview, 0, 0), kBackground);
    for (int row = 6; row <= 14; ++row)
        EXPECT_NEAR(coverage(preview, 4, row, 0x604020), 0.5, 0.01) << "row " << row;
    double covered = 0;
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 20; ++column) {
            const double share = coverage(preview, column, row, 0x604020);
            EXPECT_GE(share, -0.01);
            EXPECT_LE(share, 1.01);
            covered += share;
        }
    }
    EXPECT_NEAR(covered, 10.7 * 10.7 / 2, 0.5);
}

TEST(PreviewPicture, CubeShowsItsNearFaceAndHidesItsFarOnes) {
    TempDir dir;
    // The near face comes first: drawing in document order alone would hide it.
    const char* faces[][2] = {
        {"-3,-3,3 3,-3,3 3,3,3 -3,3,3", "0xff0000"},
        {"3,-3,-3 3,3,-3 3,3,3 3,-3,3", "0x0000ff"},
        {"-3,-3,-3 -3,3,-3 -3,3,3 -3,-3,3", "0x0000ff"},
        {"-3,3,-3 3,3,-3 3,3,3 -3,3,3", "0x0000ff"},
        {"-3,-3,-3 3,-3,-3 3,-3,3 -3,-3,3", "0x0000ff"},
        {"-3,-3,-3 3,-3,-3 3,3,-3 -3,3,-3", "0x00ff00"},
    };
    std::string objects;
    for (const auto& [corners, colour] : faces) {
        std::string_view all(corners);
        std::string_view point[4];
        for (auto& p : point) {
            const std::size_t blank = all.find(' ');
            p = all.substr(0, blank);
            all.remove_prefix(blank == std::string_view::npos ? all.size() : blank + 1);
        }
        objects += objectElement(flatObject("face", colour),
                                 {point[0], point[1], point[2], point[3]}, {"0 1 2 3"});
    }
    const Preview preview = renderText(dir, scene(objects));
    EXPECT_EQ(preview.report.drawn, 6);
    EXPECT_EQ(pixel(preview, 10, 10), 0x800000u);
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 20; ++column) {
            EXPECT_LE(pixel(preview, column, row) & 0xff00u, kBackground & 0xff00u)
                << "the far face shows at column " << column << ", row " << row;
            EXPECT_LE(pixel(preview, column, row) & 0xffu, kBackground & 0xffu)
                << "a side face shows at column " << column << ", row " << row;
        }
    }
}

TEST(PreviewPicture, PolygonsBehindTheCameraOrBeforeTheNearPlaneAreCountedNotDrawn) {
    TempDir dir;
    const Preview preview =
        renderText(dir, scene(objectElement(flatObject("behind", "0xffffff"),
                                            {"-5,-5,12", "5,-5,12", "0,5,12"}, {"0 1 2"}) +
                              objectElement(flatObject("too near", "0xffffff"),
                                            {"-5,-5,9.95", "5,-5,9.95", "0,5,9.95"}, {"0 1 2"})));
    EXPECT_EQ(preview.report.outside, 2);
    EXPECT_EQ(preview.report.drawn, 0);
    EXPECT_FALSE(preview.report.anyCovered);
    EXPECT_TRUE(allBackground(preview));
}

TEST(PreviewPicture, PolygonCrossingTheNearPlaneIsClippedNotLost) {
    TempDir dir;
    // A floor under the camera, reaching from in front of it to behind it.
    const Preview preview =
        renderText(dir, scene(objectElement(flatObject("floor", "0xc08040"),
                                            {"-50,-5,0", "50,-5,0", "0,-5,20"}, {"0 1 2"})));
    EXPECT_EQ(preview.report.drawn, 1);
    EXPECT_EQ(pixel(preview, 10, 19), 0x604020u);
    EXPECT_EQ(pixel(preview, 10, 0), kBackground);
}

TEST(PreviewPicture, UnusableCoordinatesZeroAreasAndRepeatedIdsLeaveTheRestIntact) {
    TempDir dir;
    const Preview expected =
        renderText(dir, scene(objectElement(flatObject("T", "0xc08040"),
                                            {"-5.5,-5,0", "5.2,-5,0", "-5.5,5.7,0"}, {"0 1 2"})));
    std::string hostile =
        objectElement(flatObject("T", "0xc08040"),
                      {"-5.5,-5,0", "5.2,-5,0", "-5.5,5.7,0", "nan,0,0", "inf,1,1", "1,2",
                       "1e300,1e300,1e300", "2e300,1e300,1e300", "1e300,2e300,1e300",
                       "3e300,1e300,-1e300", "3e300,2e300,-1e300", "4e300,1e300,-1e300", "1,1,1"},
                      {"0 1 2", "3 1 2", "4 5 2", "6 7 8", "9 10 11", "12 12 12"});
    // A repeated node id: the later node replaces the earlier one.
    hostile.insert(hostile.find("<node "), "<node id=\"0\" xyz=\"99,99,99\"/>\r\n");
    const Preview preview =
        renderText(dir, scene(hostile + "<object id=\"T\"/>\r\n<object id=\"U\">\r\n</object>\r\n" +
                              objectElement("<object id=\"V\">", {"1,1,1"}, {})));
    ASSERT_EQ(preview.outcome, ReadOutcome::complete);
    EXPECT_EQ(preview.rgba, expected.rgba);
    EXPECT_EQ(preview.report.objects, 4);
    EXPECT_EQ(preview.report.skipped, 2); // "nan", "inf" and "1,2" are no usable nodes
    EXPECT_EQ(preview.report.outside, 2); // behind, and far off to the side
    EXPECT_EQ(preview.report.drawn, 2);   // the triangle, and one without area
    EXPECT_TRUE(std::isfinite(preview.report.low.x));
    EXPECT_EQ(preview.report.high.x, 4e300);
    const Preview fitted = renderText(dir, scene(hostile), true);
    EXPECT_EQ(fitted.outcome, ReadOutcome::complete);
    EXPECT_EQ(fitted.report.drawn + fitted.report.outside, 4);
}

// Lengths are scaled before they are squared: a camera beyond about 1e154 from its
// target, or closer than about 1e-154, was refused as pointing nowhere.
TEST(PreviewPicture, CameraFarAwayOrVeryCloseIsUsable) {
    TempDir dir;
    const std::string triangle =
        objectElement(flatObject("T", "0xff0000"), {"0,-5,-5", "0,5,-5", "0,0,5"}, {"0 1 2"});
    for (const std::string_view camera :
         {R"(camera="1e300,0,0")", R"(camera="-1e-300,0,0" near="1e-310")"}) {
        const std::string document = "<scene " + std::string(camera) +
                                     R"( lookAt="0,0,0" up="0,0,1" width="20" height="20">)" +
                                     "\r\n" + triangle + "</scene>\r\n";
        const Preview preview = renderText(dir, document);
        ASSERT_EQ(preview.outcome, ReadOutcome::complete) << camera << preview.problem;
        EXPECT_EQ(preview.report.drawn, 1) << camera;
    }
}

} // namespace
