// The reference sheet of the drawing layer: fills, lines, edges, focus
// rectangles, the system's faces and weights, DrawText alignments,
// ellipsis and a stretched bitmap. The gallery shows it; so can a window.
#pragma once

#include "platform/base/geometry.h"

class CDC;

// Draws the sheet into area (logical units of dc). About 900 x 700 shows it all.
void DrawReferenceSheet(CDC& dc, CRect area);
