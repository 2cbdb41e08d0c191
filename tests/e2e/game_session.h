// One run of the real program as a player meets it: a private X server, the program started
// from a folder, its window found and given the keyboard, and the screen read on demand.
#pragma once

#include "child_process.h"
#include "screen_reader.h"
#include "x_server.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

using namespace std::chrono_literals;

// The folder the build puts the program and its four shader files in.
std::string ProgramFolder();

// Between two looks at the screen: the picture changes at most once a tick (16 ms), and looking
// without a break would take the processor from the program being watched.
void PauseBetweenLooks();

class GameSession {
  public:
    // Starts the program in the folder and waits until its window is on the screen.
    explicit GameSession(const std::string& folder = ProgramFolder());
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    XServer& x() { return x_; }
    WindowId window() const { return window_; }
    WindowSize windowSize() const { return x_.sizeOf(window_); }
    // When the window was first seen on the screen; the program starts its clock after that.
    std::chrono::steady_clock::time_point windowShown() const { return windowShown_; }
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
    // Presses the key and lets go when the screen shows the condition or the hold time is up,
    // whichever comes first, then waits for the condition up to the limit, and then for a few
    // frames more, so that a tick has seen the key up before the next press. A busy machine can
    // keep the program from reading its events for a while; holding on until the effect shows
    // makes sure a tick saw the key.
    std::optional<ScreenReading>
    tapUntil(const std::string& key, const std::function<bool(const ScreenReading&)>& condition,
             std::chrono::milliseconds maxHold, std::chrono::milliseconds limit);
    void press(const std::string& key) const { x_.pressKey(key); }
    void release(const std::string& key) const { x_.releaseKey(key); }

  private:
    XServer x_;
    TemporaryFolder outputs_;
    std::unique_ptr<ChildProcess> process_;
    WindowId window_ = NoWindow;
    std::chrono::steady_clock::time_point windowShown_;
    ScreenReading last_;
};

// Watches, from its construction on, for moments when the whole machine stops running this
// process's threads, which a thread of high precedence that wakes every few milliseconds notices
// as a long sleep. While the machine stands still the program cannot keep pace either: ticks
// that come too late are lost to its clock, and key releases wait.
class StallWatch {
  public:
    StallWatch();
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    int stalls() const { return stalls_; }
    double stalledSeconds() const { return static_cast<double>(stalledMicroseconds_) / 1e6; }
    // The frames the stalls may have cost the game: their time, and the tick each interrupted.
    double framesAtRisk() const { return stalledSeconds() * 62.5 + stalls(); }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<int> stalls_{0};
    std::atomic<std::int64_t> stalledMicroseconds_{0};
    std::thread thread_;
};

// On a machine busy with other work the program's threads can be kept waiting, and ticks that
// come too late are lost to the game's clock. Tests that time the game by the wall clock give
// the program the precedence a game in front of its player has on a desktop. Whether it worked.
bool GiveTheGamePrecedence(GameSession& game);

// A reading with no cell, preview or character that the reader could not recognise: a picture
// caught while the program was replacing it, or a broken one.
bool Recognised(const ScreenReading& reading);
// A recognised reading that shows the game: its phase is one of the seven names.
bool ShowsGame(const ScreenReading& reading);
