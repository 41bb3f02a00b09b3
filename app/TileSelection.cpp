#include "app/TileSelection.h"

#include <algorithm>

namespace pictavo {

TTileClick TileClickOf(bool control, bool shift) {
    if (shift)
        return control ? TTileClick::AddRange : TTileClick::Range;
    return control ? TTileClick::Toggle : TTileClick::Only;
}

namespace {

void SelectOnly(TTileList& tiles, int first, int last) {
    for (int i = 0; i < tiles.Count(); ++i)
        tiles.At(i).Selected = i >= first && i <= last;
}

} // namespace

void ClickTile(TTileList& tiles, int& anchor, int position, TTileClick click) {
    if (position < 0 || position >= tiles.Count())
        return;
    const bool anchored = anchor >= 0 && anchor < tiles.Count();
    if ((click == TTileClick::Range || click == TTileClick::AddRange) && !anchored)
        click = TTileClick::Only;
    switch (click) {
    case TTileClick::Only:
        SelectOnly(tiles, position, position);
        anchor = position;
        break;
    case TTileClick::Toggle:
        tiles.At(position).Selected = !tiles.At(position).Selected;
        anchor = position;
        break;
    case TTileClick::Range:
        SelectOnly(tiles, std::min(anchor, position), std::max(anchor, position));
        break;
    case TTileClick::AddRange:
        for (int i = std::min(anchor, position); i <= std::max(anchor, position); ++i)
            tiles.At(i).Selected = true;
        break;
    case TTileClick::Context:
        if (!tiles.At(position).Selected) {
            SelectOnly(tiles, position, position);
            anchor = position;
        }
        break;
    }
}

std::vector<int> SelectedTilePositions(const TTileList& tiles) {
    std::vector<int> positions;
    for (int i = 0; i < tiles.Count(); ++i)
        if (tiles.At(i).Selected)
            positions.push_back(i);
    return positions;
}

std::vector<int> TilesTakenWith(const TTileList& tiles, int position) {
    if (position < 0 || position >= tiles.Count())
        return {};
    if (!tiles.At(position).Selected)
        return {position};
    return SelectedTilePositions(tiles);
}

} // namespace pictavo
