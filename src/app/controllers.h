// The game controllers: every pad and arcade stick that is plugged in holds controls of its own,
// as the keyboard does. Controllers that the media library has a layout for are read by it (their
// buttons as the settings bind them, and the left stick); plain joysticks, such as the arcade
// encoders that have no layout, by their hat 0 and their numbered buttons, as the settings bind
// them.
#pragma once

#include <SDL.h>

#include "game_state.h"

// Starts the media library's controller support. SDL_Quit closes the controllers again.
void StartControllers();

// Opens each controller as the media library reports it added (it reports those already plugged
// in at start-up that way too), closes it on removal, and follows what it holds. Every other
// event is left alone. Main thread only, like everything here.
void HandleControllerEvent(const SDL_Event& event);

// The controls that one controller or more hold.
InputBits ControllerControls();

// Whether the device is open as a plain joystick, read without a layout.
bool PlainJoystick(SDL_JoystickID id);

// Every controller lets go of everything it holds, until it is pressed or moved again.
void ReleaseControllers();
