// The desktop main loop's steps (desktop_shell.cpp): its memory; its clock; its rests and waits,
// which an event ends at once; the GL's finish; and the picture presented.
#pragma once

#include <GL/glew.h>

#include "frame_pacing.h"

// What the main loop keeps between its looks. Main thread only.
extern LoopMemory MainLoop;

// Microseconds on the steady clock.
Micros Now();

// Rests as asked, unless an event comes first; answers whether one came. The event stays queued
// for PumpEvents.
bool EventDuring(Rest rest);

// Waits until the moment or an event, whichever comes first; answers whether the moment came.
bool WaitUntil(Micros moment);

// Waits until the GL has passed the fence, reading events meanwhile as often as the main loop
// looks near a tick: a key pressed while a picture is drawn still reaches the next tick. The
// fence is spent then, and deleted.
void FinishReadingEvents(GLsync fence);

// Draws the newest tick and presents it, timing both for the pacing. No picture is wanted then.
void Present(FramePacing& pacing);
