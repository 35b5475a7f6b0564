#include "views/core/LinearisationGeometry.h"

#include "app/core/Functies.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace views {

namespace {

// A double pixel coordinate truncated toward zero; values far off the picture are held at a
// distance that still draws off-picture but never overflows an int.
int Truncated(double value)
{
    constexpr double kFar = 1e6;
    return static_cast<int>(std::trunc(std::clamp(value, -kFar, kFar)));
}

// Half the span added to the minimum, in 64 bits: the span of two 32-bit values may not fit.
std::int32_t Middle(std::int32_t min, std::int32_t max)
{
    return static_cast<std::int32_t>(min + (static_cast<std::int64_t>(max) - min) / 2);
}

double Span(std::int32_t min, std::int32_t max)
{
    return static_cast<double>(static_cast<std::int64_t>(max) - min);
}

} // namespace

int LinPointCount(const TParameterValues& parameters)
{
    return std::clamp<int>(parameters[LinCountParameter], 0, LinMaxPoints);
}

std::vector<LinPoint> LinPoints(const TParameterValues& parameters)
{
    std::vector<LinPoint> points;
    const int count = LinPointCount(parameters);
    for (int k = 1; k <= count; ++k)
        points.push_back({parameters[static_cast<std::size_t>(LinXParameter(k))],
                          parameters[static_cast<std::size_t>(LinYParameter(k))]});
    return points;
}

LinScale LinScaleOf(const std::vector<LinPoint>& points)
{
    LinScale scale;
    if (points.empty())
        return scale;
    scale.xMin = points.front().x;
    scale.xMax = points.back().x;
    scale.yMin = 999999999;
    scale.yMax = -999999999;
    for (const LinPoint& point : points) {
        scale.yMin = std::min(scale.yMin, point.y);
        scale.yMax = std::max(scale.yMax, point.y);
    }
    return scale;
}

PixelPoint LinGraphPixel(const LinScale& scale, const LinPoint& point)
{
    const double xSpan = Span(scale.xMin, scale.xMax);
    const double ySpan = Span(scale.yMin, scale.yMax);
    PixelPoint pixel;
    pixel.x = xSpan > 0 ? Truncated(680.0 / xSpan * Span(scale.xMin, point.x) + 10) : 680;
    pixel.y = ySpan > 0 ? Truncated(520 - 500.0 / ySpan * Span(scale.yMin, point.y) - 10) : 510;
    return pixel;
}

std::vector<PixelPoint> LinGraphPixels(const LinScale& scale, const std::vector<LinPoint>& points)
{
    std::vector<PixelPoint> pixels;
    pixels.reserve(points.size());
    for (const LinPoint& point : points)
        pixels.push_back(LinGraphPixel(scale, point));
    return pixels;
}

int LinPickPoint(const std::vector<PixelPoint>& pixels, PixelPoint mouse)
{
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (std::abs(pixels[i].x - mouse.x) <= LinPickDistance && std::abs(pixels[i].y - mouse.y) <= LinPickDistance)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::vector<PixelPoint>> LinPreviewCurves(const LinScale& scale, const std::vector<LinPoint>& points,
                                                       int mode)
{
    std::vector<std::vector<PixelPoint>> curves;
    if ((mode != 1 && mode != 2) || points.empty())
        return curves;
    const double xSpan = Span(scale.xMin, scale.xMax);
    const double ySpan = Span(scale.yMin, scale.yMax);
    auto xUp = [&](const LinPoint& p) { return xSpan > 0 ? Truncated(94.0 / xSpan * Span(scale.xMin, p.x)) : 100; };
    auto xMirrored = [&](const LinPoint& p) {
        return xSpan > 0 ? Truncated(100 - 94.0 / xSpan * Span(scale.xMin, p.x)) : 100;
    };
    auto yUp = [&](const LinPoint& p) {
        return ySpan > 0 ? Truncated(100 - 94.0 / ySpan * Span(scale.yMin, p.y)) : 100;
    };
    auto yDown = [&](const LinPoint& p) { return ySpan > 0 ? Truncated(94.0 / ySpan * Span(scale.yMin, p.y)) : 100; };

    auto curve = [&](auto xOf, auto yOf, int ox, int edgeX) {
        std::vector<PixelPoint> line;
        const int oy = 100 - yOf(points.front());
        for (const LinPoint& point : points)
            line.push_back({xOf(point) + ox, yOf(point) + oy});
        line.push_back({edgeX, yOf(points.back()) + oy});
        return line;
    };
    curves.push_back(curve(xUp, yUp, 101, LinPreviewSize));
    if (mode == 1)
        curves.push_back(curve(xMirrored, yUp, 0, 0));
    else
        curves.push_back(curve(xMirrored, yDown, 0, 0));
    return curves;
}

std::vector<AxisLabel> LinXLabels(const LinScale& scale, int pointCount)
{
    if (pointCount <= 1)
        return {};
    return {{10, 10, FormatFixed(DecimalsOfPosition, scale.xMin)},
            {350, 10, FormatFixed(DecimalsOfPosition, Middle(scale.xMin, scale.xMax))},
            {690, 10, FormatFixed(DecimalsOfPosition, scale.xMax)}};
}

std::vector<AxisLabel> LinYLabels(const LinScale& scale, int pointCount, int stripWidth)
{
    if (pointCount <= 1)
        return {};
    const int right = stripWidth - 12;
    return {{right, 4, FormatFixed(DecimalsOfLinPosition, scale.yMax)},
            {right, 254, FormatFixed(DecimalsOfLinPosition, Middle(scale.yMin, scale.yMax))},
            {right, 504, FormatFixed(DecimalsOfLinPosition, scale.yMin)}};
}

} // namespace views
