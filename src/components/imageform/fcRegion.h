// Outlines of pictures: the region of every pixel of a bitmap that does not
// have the transparent colour, built with the platform's region calls, and
// the region data bytes the stored layout keeps of it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Graphics.h"
#include "Handles.h"
#include "core/RegionBands.h"

// The opaque runs of each row of a bitmap, top row first. A 24-bit bitmap is
// compared pixel by pixel with the colour as it is (a system colour or clNone
// matches no pixel); any other depth goes through a one-bit mask of the
// colour (from the colour table when the picture has one), which gives the
// same runs as the 24-bit twin.
using RowRunList = std::vector<std::vector<region::Span>>;
RowRunList BitmapRowRuns(TBitmap& bitmap, TColor transparent);

// The outline of the bitmap for the transparent colour, in the platform's
// banded form; null for an empty or wholly transparent bitmap. The caller
// owns the result.
UniqueRegion CreateRegionFromBitmap(TBitmap& bitmap, TColor transparent);

namespace fcregion {

// Two constructions of the union of one-row rectangles, one per run, giving
// the same region. RunByRun ORs each run into the result as it is found;
// Balanced ORs neighbours pairwise up a balanced tree, so each rectangle
// takes part in about log2(runs) combinations and only that many regions
// are alive at once. A run whose region cannot be made is left out.
UniqueRegion UnionRunByRun(const RowRunList& rows);
UniqueRegion UnionBalanced(const RowRunList& rows);

// The platform's region data of a region (32-byte header and rectangles);
// empty when it cannot be had.
std::string RegionDataOf(HRGN rgn);

// Checks stored region data before the platform reads it: the header must
// fit, name rectangles, and count no more of them than the bytes hold.
// Empty when usable, else what is wrong.
std::string CheckRegionData(const std::string& data);

}  // namespace fcregion
