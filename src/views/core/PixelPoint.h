#pragma once
// A pixel position in a drawing, shared by the geometry classes and the code that draws them.
namespace views {

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

} // namespace views
