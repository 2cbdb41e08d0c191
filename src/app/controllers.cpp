#include "controllers.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "settings_file.h"

namespace {
// The left stick's dead zone, in axis units (32768 a full deflection): a direction is pressed
// past half a deflection and let go below a quarter, so that a stick resting near either line
// does not chatter.
constexpr int StickPressBeyond = 16384;
constexpr int StickReleaseBelow = 8192;

struct Controller {
    SDL_JoystickID id;
    SDL_GameController* layout = nullptr; // exactly one of these two is open
    SDL_Joystick* plain = nullptr;
    InputBits buttons = 0; // held by its buttons and its D-pad or hat
    InputBits stick = 0;   // held by its left stick
};

std::vector<Controller> Controllers;

// The one direction the left stick holds, at (x, y) with y downwards: along its stronger axis
// only, pressed beyond half a deflection and, while held, let go only below a quarter.
InputBits StickDirection(InputBits held, int x, int y) {
    const bool across = std::abs(x) > std::abs(y);
    const int along = across ? x : y;
    const auto reaches = [held](InputBits direction, int reach) {
        return direction == held ? reach >= StickReleaseBelow : reach > StickPressBeyond;
    };
    const InputBits back = across ? Left : Up, forth = across ? Right : Down;
    return reaches(back, -along) ? back : reaches(forth, along) ? forth : 0;
}

Controller* Find(SDL_JoystickID id) {
    for (Controller& controller : Controllers) {
        if (controller.id == id) {
            return &controller;
        }
    }
    return nullptr;
}

// A device with a layout is reported added twice, as a joystick and as a controller: the
// joystick report alone opens it, and a device already open is not opened again.
void Open(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (Find(id) != nullptr) {
        return;
    }
    Controller controller{id};
    if (SDL_IsGameController(deviceIndex)) {
        controller.layout = SDL_GameControllerOpen(deviceIndex);
    } else {
        controller.plain = SDL_JoystickOpen(deviceIndex);
    }
    if (controller.layout != nullptr || controller.plain != nullptr) {
        Controllers.push_back(controller);
    }
}

// What the controller held goes with it.
void Close(SDL_JoystickID id) {
    for (auto controller = Controllers.begin(); controller != Controllers.end(); ++controller) {
        if (controller->id == id) {
            if (controller->layout != nullptr) {
                SDL_GameControllerClose(controller->layout);
            } else {
                SDL_JoystickClose(controller->plain);
            }
            Controllers.erase(controller);
            return;
        }
    }
}

void SetHeld(InputBits& held, InputBits control, bool down) {
    held = down ? held | control : held & ~control;
}
} // namespace

void StartControllers() {
    // The media library's own virtual joysticks make this succeed short of memory.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void HandleControllerEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_JOYDEVICEADDED:
        Open(event.jdevice.which);
        break;
    case SDL_JOYDEVICEREMOVED:
        Close(event.jdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (Controller* pad = Find(event.cbutton.which)) {
            SetHeld(pad->buttons,
                    BoundControl(CurrentSettings.bindings, {Device::Pad, event.cbutton.button}),
                    event.cbutton.state == SDL_PRESSED);
        }
        break;
    case SDL_CONTROLLERAXISMOTION:
        // The left stick's two axes count together, as the pad holds them now.
        if (Controller* pad = Find(event.caxis.which)) {
            pad->stick = StickDirection(
                pad->stick, SDL_GameControllerGetAxis(pad->layout, SDL_CONTROLLER_AXIS_LEFTX),
                SDL_GameControllerGetAxis(pad->layout, SDL_CONTROLLER_AXIS_LEFTY));
        }
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        // A controller with a layout reports its raw buttons too; those are read by the layout.
        if (Controller* stick = Find(event.jbutton.which); stick && stick->plain) {
            SetHeld(
                stick->buttons,
                BoundControl(CurrentSettings.bindings, {Device::Joystick, event.jbutton.button}),
                event.jbutton.state == SDL_PRESSED);
        }
        break;
    case SDL_JOYHATMOTION:
        if (Controller* stick = Find(event.jhat.which);
            stick && stick->plain && event.jhat.hat == 0) {
            for (const Binding& binding : CurrentSettings.bindings) {
                const int direction = binding.input.code & ~HatCode;
                if (binding.input.device == Device::Joystick && (binding.input.code & HatCode)) {
                    SetHeld(stick->buttons, binding.control, (event.jhat.value & direction) != 0);
                }
            }
        }
        break;
    default:
        break;
    }
}

InputBits ControllerControls() {
    InputBits held = 0;
    for (const Controller& controller : Controllers) {
        held |= controller.buttons | controller.stick;
    }
    return held;
}

void ReleaseControllers() {
    for (Controller& controller : Controllers) {
        controller.buttons = 0;
        controller.stick = 0;
    }
}

bool PlainJoystick(SDL_JoystickID id) {
    return std::any_of(Controllers.begin(), Controllers.end(), [id](const Controller& controller) {
        return controller.id == id && controller.plain != nullptr;
    });
}
