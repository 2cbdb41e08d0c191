// The desktop main loop's clock, rests and waits (desktop_shell.cpp): an event ends each at once.
#pragma once

#include "frame_pacing.h"

// Microseconds on the steady clock.
Micros Now();

// Rests as asked, unless an event comes first; answers whether one came. The event stays queued
// for PumpEvents.
bool EventDuring(Rest rest);

// Waits until the moment or an event, whichever comes first.
void WaitUntil(Micros moment);
