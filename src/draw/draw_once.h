// One draw of a run: a new ticket in the draw row, the period, every ticked
// group judged and charged, and the draw line in the log.
#pragma once

void drawOnce();
