// Where the tiles of the icon view go: left to right, wrapped into rows from the top,
// each square tile with a margin of 2 pixels on every side (neighbours 4 pixels apart).
// Positions are in the view's scrolled area.
#pragma once

namespace pictavo {

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TGridRect&) const = default;
};

class TTileGrid {
public:
    static constexpr int Margin = 2;

    // Tiles of `side` pixels in a view `width` pixels wide; a view narrower than one tile
    // still shows one tile per row.
    TTileGrid(int side, int width);

    int Side() const { return FSide; }
    int Columns() const { return FColumns; }
    // From one row of tiles to the next (a wheel notch).
    int RowStep() const { return FSide + 2 * Margin; }
    // The height the rows of `count` tiles take.
    long long Height(int count) const;
    TGridRect TileRect(int position) const;
    // The tile under the point, or -1 (outside every tile, in a margin or past the last).
    int TileAt(long long x, long long y, int count) const;
    // The first and one past the last tile that show in the rows from `top` to
    // `top + height` (empty when first == end).
    void Visible(long long top, int height, int count, int& first, int& end) const;

private:
    int FSide;
    int FColumns;
};

} // namespace pictavo
