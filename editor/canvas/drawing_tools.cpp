// The stroke: what a press, the moves and the release draw with each tool.
#include "canvas/canvas.h"

int StrokeActive;
POINT StrokeAnchor;
POINT StrokePoint;
COLORREF MaskPixelColor;
