// One run of the real program as a player meets it: a private X server, the program started
// from a folder, its window found and given the keyboard, and the screen read on demand.
#pragma once

#include "child_process.h"
#include "screen_reader.h"
#include "x_server.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

using namespace std::chrono_literals;

// The folder the build puts the program and its four shader files in.
std::string ProgramFolder();

class GameSession {
  public:
    // Starts the program in the folder and waits until its window is on the screen.
    explicit GameSession(const std::string& folder = ProgramFolder());
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    XServer& x() { return x_; }
    WindowId window() const { return window_; }
    WindowSize windowSize() const { return x_.sizeOf(window_); }
    ChildProcess& process() { return *process_; }
    std::string standardOutput() const { return ReadWholeFile(outputs_.file("stdout")); }
    std::string standardError() const { return ReadWholeFile(outputs_.file("stderr")); }

    Picture picture() { return x_.takePicture(window_); }
    ScreenReading read() { return ReadScreen(picture()); }

    // Reads the screen until the condition holds, for at most the time; the reading that met
    // it, or nothing. lastReading() keeps the last one seen either way, for messages.
    std::optional<ScreenReading> waitFor(const std::function<bool(const ScreenReading&)>& condition,
                                         std::chrono::milliseconds limit);
    const ScreenReading& lastReading() const { return last_; }

    // Waits for the first piece to be steerable (phase ACTIVE).
    std::optional<ScreenReading> waitForActive(std::chrono::milliseconds limit = 8s);

    // Down, held for the time, up. Two ticks are 32 ms, so a key held 40 ms or more is always
    // seen by at least one tick.
    void tap(const std::string& key, std::chrono::milliseconds hold = 64ms) const;
    void press(const std::string& key) const { x_.pressKey(key); }
    void release(const std::string& key) const { x_.releaseKey(key); }

  private:
    XServer x_;
    TemporaryFolder outputs_;
    std::unique_ptr<ChildProcess> process_;
    WindowId window_ = NoWindow;
    ScreenReading last_;
};

// A reading with no cell, preview or character that the reader could not recognise: a picture
// caught while the program was replacing it, or a broken one.
bool Recognised(const ScreenReading& reading);
