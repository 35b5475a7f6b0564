#pragma once
// Geometry of the live graph: the 639 x 409 plot with its centre line at y = 204, 60 pixels per
// time division and 40 per value division; the scales, the sources, the ticks and labels of both
// axis strips and the pixel of every sample.
#include "views/core/GraphLog.h"
#include "views/core/PixelPoint.h"

#include <cstdint>
#include <string>
#include <vector>

namespace views {

constexpr int GraphWidth = 639;
constexpr int GraphHeight = 409;
constexpr int GraphCentreY = 204;
constexpr int GraphTimeDivPixels = 60;
constexpr int GraphValueDivPixels = 40;
constexpr int GraphTimeScaleCount = 6;
constexpr int GraphValueScaleCount = 21;
constexpr int GraphSourceCount = 5;

// Milliseconds per time division (index 0..5) and its list text ("200 ms" .. "10 sec").
std::int32_t GraphTimeScale(int index);
std::string GraphTimeScaleText(int index);
// Value units per division, index 0..20 (100 .. 200000000).
std::int32_t GraphValueScale(int index);

struct GraphSource {
    const char* command;  // "r0", "r1", "r8", "r2", "r3"
    const char* unitText; // "(AWE)", "(V)", "(mA)"
    int forcedValueScale; // -1: free; otherwise the scale index the source locks
    bool tenThousandths;  // volts, milliamperes: values in units of 0,0001
    int decimals;         // of FormatFixed, as the main window shows the value (selectors 9, 10 or 4)
};
// Index outside 0..4 gives source 0.
const GraphSource& GraphSourceOf(int index);

// The first sample shown: with autoscroll while logging, Xdiv / 8 samples before the newest
// (not before 0); otherwise the scroll bar's position (held within 0..last).
int GraphFirstShownSample(int last, std::int32_t timeScaleMs, bool autoscroll, int scrollPosition);

struct TimeTick {
    int x = 0;         // plot column; the tick is drawn in the strip at x + 20
    std::string label; // seconds with one decimal
    bool gridLine = false;
};
std::vector<TimeTick> GraphTimeTicks(std::int32_t t0, std::int32_t timeScaleMs);

struct ValueTick {
    int row = 0;       // strip row of the label's top is row + 4; the tick is at row + 10
    std::string label;
};
// Labels with the decimals the main window shows the source with (the linearised position's for
// "r8"); volts and milliamperes without trailing zeros, so 0,5 reads as 0,5 at every scale.
std::vector<ValueTick> GraphValueTicks(std::int32_t valueScale, int source);

// Pixel of a sample. Computed in 64 bits: values whose product with 40 leaves the 32-bit range
// still land where they belong (off the plot), and far-off pixels are held at a distance that
// draws as off-plot without overflowing.
PixelPoint GraphSamplePixel(std::int32_t time, std::int32_t value, std::int32_t t0, std::int32_t timeScaleMs,
                            std::int32_t valueScale);

// The curve from sample `first` on, ending after the first sample beyond the plot's right
// edge; empty for fewer than two samples.
std::vector<PixelPoint> GraphCurve(const GraphLog& log, int first, std::int32_t timeScaleMs, std::int32_t valueScale);

} // namespace views
