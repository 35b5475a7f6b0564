#include "views/core/GraphGeometry.h"

#include "app/core/Functies.h"

#include <algorithm>
#include <array>

namespace views {

namespace {

constexpr std::array<std::int32_t, GraphTimeScaleCount> kTimeScales{200, 500, 1000, 2000, 5000, 10000};
constexpr std::array<const char*, GraphTimeScaleCount> kTimeScaleTexts{"200 ms", "500 ms", "1 sec",
                                                                       "2 sec",  "5 sec",  "10 sec"};
constexpr std::array<std::int32_t, GraphValueScaleCount> kValueScales{
    100,     200,     500,      1000,     2000,     5000,     10000,     20000,     40000,     50000,    100000,
    200000,  500000,  1000000,  2000000,  5000000,  10000000, 20000000,  50000000,  100000000, 200000000};
constexpr std::array<GraphSource, GraphSourceCount> kSources{{{"r0", "(AWE)", -1, false, DecimalsOfPosition},
                                                              {"r1", "(AWE)", -1, false, DecimalsOfPosition},
                                                              {"r8", "(AWE)", -1, false, DecimalsOfLinPosition},
                                                              {"r2", "(V)", 7, true, 4},
                                                              {"r3", "(mA)", 8, true, 4}}};

template <std::size_t N>
std::size_t Index(int index)
{
    return static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(N) - 1));
}

// "10,0000" -> "10", "0,5000" -> "0,5".
std::string WithoutTrailingZeros(std::string text)
{
    if (text.find(',') == std::string::npos)
        return text;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == ',')
        text.pop_back();
    return text;
}

int HeldInt(std::int64_t value)
{
    constexpr std::int64_t kFar = 1000000;
    return static_cast<int>(std::clamp(value, -kFar, kFar));
}

} // namespace

std::int32_t GraphTimeScale(int index)
{
    return kTimeScales[Index<GraphTimeScaleCount>(index)];
}

std::string GraphTimeScaleText(int index)
{
    return kTimeScaleTexts[Index<GraphTimeScaleCount>(index)];
}

std::int32_t GraphValueScale(int index)
{
    return kValueScales[Index<GraphValueScaleCount>(index)];
}

const GraphSource& GraphSourceOf(int index)
{
    return kSources[index >= 0 && index < GraphSourceCount ? static_cast<std::size_t>(index) : 0];
}

int GraphFirstShownSample(int last, std::int32_t timeScaleMs, bool autoscroll, int scrollPosition)
{
    if (autoscroll)
        return std::max(0, last - timeScaleMs / 8);
    return std::clamp(scrollPosition, 0, std::max(0, last));
}

std::vector<TimeTick> GraphTimeTicks(std::int32_t t0, std::int32_t timeScaleMs)
{
    std::vector<TimeTick> ticks;
    if (timeScaleMs <= 0)
        return ticks;
    if (t0 == 0) {
        std::int64_t time = 0;
        for (int x = 0; x < GraphWidth; x += GraphTimeDivPixels, time += timeScaleMs)
            ticks.push_back({x, FormatFixed(1, static_cast<std::int32_t>(time / 100)), x > 0 && x < GraphWidth - 1});
        return ticks;
    }
    const std::int64_t shift = (static_cast<std::int64_t>(t0) * GraphTimeDivPixels / timeScaleMs) % GraphTimeDivPixels;
    std::int64_t time = (static_cast<std::int64_t>(t0) / timeScaleMs + 1) * timeScaleMs;
    for (int x = GraphTimeDivPixels - static_cast<int>(shift); x < GraphWidth; x += GraphTimeDivPixels, time += timeScaleMs)
        ticks.push_back({x, FormatFixed(1, static_cast<std::int32_t>(time / 100)), true});
    return ticks;
}

std::vector<ValueTick> GraphValueTicks(std::int32_t valueScale, int source)
{
    const GraphSource& s = GraphSourceOf(source);
    std::vector<ValueTick> ticks;
    for (int row = 0; row < GraphHeight; row += GraphValueDivPixels) {
        const std::int64_t value = (5 - row / GraphValueDivPixels) * static_cast<std::int64_t>(valueScale);
        // Five divisions of the largest scale still fit 32 bits (1e9).
        const auto v = static_cast<std::int32_t>(value);
        const std::string text = FormatFixed(s.decimals, v);
        std::string label = v == 0 ? "0" : s.tenThousandths ? WithoutTrailingZeros(text) : text;
        ticks.push_back({row, std::move(label)});
    }
    return ticks;
}

PixelPoint GraphSamplePixel(std::int32_t time, std::int32_t value, std::int32_t t0, std::int32_t timeScaleMs,
                            std::int32_t valueScale)
{
    const std::int64_t x = (static_cast<std::int64_t>(time) - t0) * GraphTimeDivPixels / std::max(1, timeScaleMs);
    const std::int64_t y = GraphCentreY + (-GraphValueDivPixels * static_cast<std::int64_t>(value)) / std::max(1, valueScale);
    return {HeldInt(x), HeldInt(y)};
}

std::vector<PixelPoint> GraphCurve(const GraphLog& log, int first, std::int32_t timeScaleMs, std::int32_t valueScale)
{
    std::vector<PixelPoint> curve;
    if (log.Last() < 1 || first < 0 || first > log.Last())
        return curve;
    const std::int32_t t0 = log.Time(first);
    for (int j = first; j <= log.Last(); ++j) {
        curve.push_back(GraphSamplePixel(log.Time(j), log.Value(j), t0, timeScaleMs, valueScale));
        if (curve.back().x > GraphWidth)
            break;
    }
    return curve;
}

} // namespace views
