// Which tiles of the icon view are selected after a click, as file managers do it: a
// plain click selects the one tile, Ctrl+click adds or takes away one tile, Shift+click
// selects the tiles from the anchor (the tile of the last plain or Ctrl click) to the
// clicked one, Ctrl+Shift+click adds that range. A right click on a selected tile keeps
// the selection, so the menu acts on all of it.
#pragma once

#include "app/TileList.h"

#include <vector>

namespace pictavo {

enum class TTileClick { Only, Toggle, Range, AddRange, Context };

// The click the held keys make of a left click (or Space, or a Shift+arrow).
TTileClick TileClickOf(bool control, bool shift);

// Applies the click on `position` to the tiles' Selected flags and moves `anchor` as the
// click does; a range without a valid anchor is a plain click.
void ClickTile(TTileList& tiles, int& anchor, int position, TTileClick click);

// The positions of the selected tiles, in view order.
std::vector<int> SelectedTilePositions(const TTileList& tiles);

// What a drag that starts on the tile takes: every selected tile when it is one of
// them, else the tile alone.
std::vector<int> TilesTakenWith(const TTileList& tiles, int position);

} // namespace pictavo
