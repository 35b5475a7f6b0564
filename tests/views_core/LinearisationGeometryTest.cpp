// The linearisation curve's pixels, labels, preview and picking.
#include "views/core/LinearisationGeometry.h"

#include <gtest/gtest.h>

#include <limits>

using namespace views;

namespace {
struct LinearisationGeometryTest : ::testing::Test {
    void SetUp() override { Global_var.Reset(); }
    void TearDown() override { Global_var.Reset(); }
};

TParameterValues Points(std::vector<LinPoint> points, int count = -1)
{
    TParameterValues p{};
    p[LinCountParameter] = count < 0 ? static_cast<int>(points.size()) : count;
    for (std::size_t k = 1; k <= points.size(); ++k) {
        p[static_cast<std::size_t>(LinXParameter(static_cast<int>(k)))] = points[k - 1].x;
        p[static_cast<std::size_t>(LinYParameter(static_cast<int>(k)))] = points[k - 1].y;
    }
    return p;
}
} // namespace

TEST_F(LinearisationGeometryTest, WorkedExample)
{
    const std::vector<LinPoint> points = LinPoints(Points({{0, 0}, {500, 800}, {1000, 1000}}));
    const LinScale scale = LinScaleOf(points);
    EXPECT_EQ(LinGraphPixels(scale, points), (std::vector<PixelPoint>{{10, 510}, {350, 110}, {690, 10}}));
    const auto x = LinXLabels(scale, 3);
    ASSERT_EQ(x.size(), 3u);
    EXPECT_EQ(x[0].text, "0");
    EXPECT_EQ(x[1].text, "500");
    EXPECT_EQ(x[2].text, "1000");
    EXPECT_EQ(x[2].x, 690);
    const auto y = LinYLabels(scale, 3, 80);
    ASSERT_EQ(y.size(), 3u);
    EXPECT_EQ(y[0].text, "1000");
    EXPECT_EQ(y[1].text, "500");
    EXPECT_EQ(y[2].text, "0");
    EXPECT_EQ(y[2].y, 504);
    EXPECT_EQ(y[0].x, 68);
}

TEST_F(LinearisationGeometryTest, DegenerateCurves)
{
    // One point: no labels; equal X: 680; all Y equal: 510.
    const std::vector<LinPoint> one = LinPoints(Points({{5, 5}}));
    EXPECT_TRUE(LinXLabels(LinScaleOf(one), 1).empty());
    EXPECT_TRUE(LinYLabels(LinScaleOf(one), 1, 80).empty());
    const std::vector<LinPoint> flat = LinPoints(Points({{0, 7}, {10, 7}, {20, 7}}));
    for (const PixelPoint& p : LinGraphPixels(LinScaleOf(flat), flat))
        EXPECT_EQ(p.y, 510);
    EXPECT_EQ(LinGraphPixel(LinScaleOf(one), one[0]), (PixelPoint{680, 510}));

    // Counts outside 0..30 are held there.
    EXPECT_EQ(LinPointCount(Points({}, 31)), 30);
    EXPECT_EQ(LinPointCount(Points({}, -4)), 0);
    EXPECT_TRUE(LinPoints(Points({}, -4)).empty());
    EXPECT_TRUE(LinPreviewCurves(LinScaleOf({}), {}, 1).empty());

    // Extreme values and descending X: no overflow, pixels stay finite and descend past the left.
    constexpr auto lo = std::numeric_limits<std::int32_t>::min();
    constexpr auto hi = std::numeric_limits<std::int32_t>::max();
    const std::vector<LinPoint> wide = LinPoints(Points({{lo, hi}, {hi, lo}}));
    EXPECT_EQ(LinGraphPixels(LinScaleOf(wide), wide), (std::vector<PixelPoint>{{10, 10}, {690, 510}}));
    EXPECT_EQ(LinXLabels(LinScaleOf(wide), 2)[1].text, "-1");
    const std::vector<LinPoint> back = LinPoints(Points({{0, 0}, {2000, 5}, {1000, 10}}));
    EXPECT_EQ(LinGraphPixels(LinScaleOf(back), back)[1].x, 1370);
    const std::vector<LinPoint> descending = LinPoints(Points({{1000, 0}, {0, 10}}));
    EXPECT_EQ(LinGraphPixels(LinScaleOf(descending), descending)[0].x, 680);
}

TEST_F(LinearisationGeometryTest, PickingWithinFivePixels)
{
    const std::vector<PixelPoint> pixels{{100, 200}, {103, 200}, {400, 300}};
    EXPECT_EQ(LinPickPoint(pixels, {95, 195}), 0);
    EXPECT_EQ(LinPickPoint(pixels, {101, 200}), 0); // between two close points: the lower number
    EXPECT_EQ(LinPickPoint(pixels, {394, 300}), -1);
    EXPECT_EQ(LinPickPoint(pixels, {400, 306}), -1);
    EXPECT_EQ(LinPickPoint(pixels, {405, 305}), 2);
    EXPECT_EQ(LinPickPoint({}, {0, 0}), -1);
}

TEST_F(LinearisationGeometryTest, QuadrantPreview)
{
    const std::vector<LinPoint> points = LinPoints(Points({{0, 0}, {500, 800}, {1000, 1000}}));
    const LinScale scale = LinScaleOf(points);
    EXPECT_TRUE(LinPreviewCurves(scale, points, 0).empty());
    EXPECT_TRUE(LinPreviewCurves(scale, points, 3).empty());

    const auto mirrored = LinPreviewCurves(scale, points, 1);
    ASSERT_EQ(mirrored.size(), 2u);
    EXPECT_EQ(mirrored[0], (std::vector<PixelPoint>{{101, 100}, {148, 24}, {195, 6}, {201, 6}}));
    EXPECT_EQ(mirrored[1], (std::vector<PixelPoint>{{100, 100}, {53, 24}, {6, 6}, {0, 6}}));

    const auto point = LinPreviewCurves(scale, points, 2);
    ASSERT_EQ(point.size(), 2u);
    EXPECT_EQ(point[1], (std::vector<PixelPoint>{{100, 100}, {53, 175}, {6, 194}, {0, 194}}));
}
