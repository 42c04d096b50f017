// Board selection from a filter guide: a board whose window holds a marker
// pixel (pure cyan) is generated with every board within filterRadius of it.
#pragma once

#include <cstdint>

#include "core/terrain_job.h"

namespace kem {

// Reads the filter guide's window of board (col, row) and, if it holds a
// marker pixel, marks the clipped square of boards around it in job.boardMap.
void FilterBoard(int col, int row, TerrainJob& job);

// Number of marked boards in job.boardMap.
std::int32_t CountMarkedBoards(const TerrainJob& job);

}  // namespace kem
