// The desktop main loop's steps (desktop_shell.cpp): its clock; its rests and waits, which an
// event ends at once; and the picture presented.
#pragma once

#include "frame_pacing.h"

// Microseconds on the steady clock.
Micros Now();

// Rests as asked, unless an event comes first; answers whether one came. The event stays queued
// for PumpEvents.
bool EventDuring(Rest rest);

// Waits until the moment or an event, whichever comes first; answers whether the moment came.
bool WaitUntil(Micros moment);

// Draws the newest tick and presents it, timing both for the pacing. No picture is wanted then.
void Present(FramePacing& pacing);
