#pragma once

namespace ui {

// A GDI+ colour matrix in row order, applied to the row vector (r, g, b, a, 1).
using ColorMatrixRows = float[5][5];

// The image button's looks: pressed is brighter, hover a little less bright,
// disabled mutes the colours towards grey. Alpha passes unchanged.
extern const ColorMatrixRows kPressedMatrix;
extern const ColorMatrixRows kHoverMatrix;
extern const ColorMatrixRows kDisabledMatrix;

} // namespace ui
