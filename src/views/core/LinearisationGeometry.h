#pragma once
// Geometry of the linearisation editor: the curve of up to 30 points (X in parameters 140..169,
// Y in 170..199, the count in 247) on the 700 x 520 main graph and on the 201 x 201 quadrant
// preview, the axis labels, and picking a point with the mouse.
#include "app/core/Global_var.h"
#include "views/core/PixelPoint.h"

#include <string>
#include <vector>

namespace views {

constexpr int LinMaxPoints = 30;
constexpr int LinGraphWidth = 700;
constexpr int LinGraphHeight = 520;
constexpr int LinPreviewSize = 201;
constexpr int LinPickDistance = 5;

constexpr int LinXParameter(int k) { return 139 + k; }
constexpr int LinYParameter(int k) { return 169 + k; }
constexpr int LinCountParameter = 247;
constexpr int LinModeParameter = 241;
constexpr int LinSourceParameter = 246;

struct LinPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The point count of parameter 247, limited to 0..30: the parameters hold no more points, and a
// larger count would read the Y block as X values.
int LinPointCount(const TParameterValues& parameters);
// Points 1..N in order (index 0 is point 1).
std::vector<LinPoint> LinPoints(const TParameterValues& parameters);

struct LinScale {
    std::int32_t xMin = 0, xMax = 0; // X of the first and of the last point
    std::int32_t yMin = 0, yMax = 0; // smallest and largest Y
};
LinScale LinScaleOf(const std::vector<LinPoint>& points);

// The point's pixel in the main graph: x from 10 (xMin) to 690 (xMax), y from 510 (yMin) up to
// 10 (yMax); 680 or 510 when the span is empty. Far outside points stay far outside, without
// overflowing.
PixelPoint LinGraphPixel(const LinScale& scale, const LinPoint& point);
std::vector<PixelPoint> LinGraphPixels(const LinScale& scale, const std::vector<LinPoint>& points);

// The first point (index, 0-based) within 5 pixels of the mouse both ways, or -1.
int LinPickPoint(const std::vector<PixelPoint>& pixels, PixelPoint mouse);

// The polylines of the quadrant preview for mode 1 or 2 (none for other modes): the upper-right
// curve, then its mirror image; each ends with the flat line to the preview's edge.
std::vector<std::vector<PixelPoint>> LinPreviewCurves(const LinScale& scale, const std::vector<LinPoint>& points,
                                                       int mode);

// An axis label: text whose left end (X strip) or right end (Y strip) is at x, top at y.
struct AxisLabel {
    int x = 0;
    int y = 0;
    std::string text;
};
// The X labels (min, middle, max at x 10, 350, 690) and the Y labels (max, middle, min at y 4,
// 254, 504; x is their right end, 12 pixels before the strip's right edge). None for fewer than
// 2 points.
std::vector<AxisLabel> LinXLabels(const LinScale& scale, int pointCount);
std::vector<AxisLabel> LinYLabels(const LinScale& scale, int pointCount, int stripWidth);

} // namespace views
