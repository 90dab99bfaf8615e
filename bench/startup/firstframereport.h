#pragma once

// Appends "first-frame NANOSECONDS" (CLOCK_MONOTONIC) to the file named by
// TOLVAN_REPORT_FIRST_FRAME, the line the desktop app writes, so that the
// benchmark reads every subject the same way. Nothing without the variable.
void reportFirstFrameNow();
