// When the next tick is due.
//
// Ticks keep a fixed grid: the next one is due at this one's due time plus
// k periods, k the smallest whole number of at least 1 that does not put it
// in the past. A tick that overran therefore skips the periods it missed
// instead of causing a burst of catch-up ticks. FLTK's repeat_timeout counts
// from the due time of the running timeout but fires at once when that lies
// in the past, so the tick asks it for k periods.
#pragma once

// Records that a tick has just been armed `delay` seconds from now.
void NoteTickArmed(double delay);

// Called at the end of a tick, right before re-arming: the delay to hand to
// Fl::repeat_timeout (k times `period`). Moves the recorded due time on.
double SecondsToNextTick(double period);
