// The game's icon: four pieces stacked into a square of 4 by 4 cells, each cell one of the block
// faces the game draws. The package's icon files and the window's icon are both this picture.
#pragma once

#include <cstdint>
#include <vector>

// The largest size, at which every cell is its 64 by 64 face as it is.
constexpr int IconFullSize = 256;

// The icon `size` pixels square (1 to IconFullSize) as RGB, rows top to bottom. Smaller sizes
// average the pixels of the largest that each pixel covers.
std::vector<std::uint8_t> IconPixels(int size);
