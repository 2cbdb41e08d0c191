// The seven block faces, one per piece kind, each a 64 x 64 RGB image.
#pragma once

#include "image_record.h"

#include <array>

extern const std::array<BlockFaceImage, 7> BlockFaces; // index = piece kind 0..6
