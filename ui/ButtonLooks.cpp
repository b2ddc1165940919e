#include "ui/ButtonLooks.h"

namespace ui {

const ColorMatrixRows kPressedMatrix = {
    {1.4f, 0, 0, 0, 0}, {0, 1.4f, 0, 0, 0}, {0, 0, 1.4f, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}};

const ColorMatrixRows kHoverMatrix = {
    {1.3f, 0, 0, 0, 0}, {0, 1.3f, 0, 0, 0}, {0, 0, 1.3f, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}};

const ColorMatrixRows kDisabledMatrix = {{0.6f, 0.1f, 0.1f, 0, 0},
                                         {0.1f, 0.6f, 0.1f, 0, 0},
                                         {0.1f, 0.1f, 0.6f, 0, 0},
                                         {0, 0, 0, 1, 0},
                                         {0, 0, 0, 0, 1}};

} // namespace ui
