#include "app/TileGrid.h"

#include <algorithm>

namespace pictavo {

TTileGrid::TTileGrid(int side, int width)
    : FSide(std::max(1, side)), FColumns(std::max(1, width / (std::max(1, side) + 2 * Margin))) {}

long long TTileGrid::Height(int count) const {
    const long long rows = count <= 0 ? 0 : (count + FColumns - 1) / FColumns;
    return rows * RowStep();
}

TGridRect TTileGrid::TileRect(int position) const {
    const long long row = position / FColumns, column = position % FColumns;
    return {static_cast<int>(column * RowStep() + Margin),
            static_cast<int>(row * RowStep() + Margin), FSide, FSide};
}

int TTileGrid::TileAt(long long x, long long y, int count) const {
    if (x < 0 || y < 0)
        return -1;
    const long long column = x / RowStep(), row = y / RowStep();
    const long long inX = x % RowStep(), inY = y % RowStep();
    if (column >= FColumns || inX < Margin || inX >= Margin + FSide || inY < Margin ||
        inY >= Margin + FSide)
        return -1;
    const long long position = row * FColumns + column;
    return position < count ? static_cast<int>(position) : -1;
}

void TTileGrid::Visible(long long top, int height, int count, int& first, int& end) const {
    const long long firstRow = std::max(0LL, top) / RowStep();
    const long long endRow = (std::max(0LL, top + height) + RowStep() - 1) / RowStep();
    first = static_cast<int>(std::min<long long>(count, firstRow * FColumns));
    end = static_cast<int>(std::min<long long>(count, endRow * FColumns));
}

} // namespace pictavo
