#include "game_session.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

void PauseBetweenLooks() {
    std::this_thread::sleep_for(4ms);
}

std::string ProgramFolder() {
    return VELMORA_PROGRAM_FOLDER;
}

GameSession::GameSession(const std::string& folder) {
    ChildOptions options;
    options.workingDirectory = folder;
    options.environment = {"DISPLAY=" + x_.name()};
    options.stdoutPath = outputs_.file("stdout");
    options.stderrPath = outputs_.file("stderr");
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{std::string(VELMORA_PROGRAM_FOLDER) + "/velmora"}, options);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (window_ == NoWindow || !x_.isMapped(window_)) {
        if (std::chrono::steady_clock::now() > deadline || !process_->running()) {
            throw std::runtime_error("the program shows no window named Velmora");
        }
        window_ = x_.findWindow("Velmora");
        if (window_ == NoWindow) {
            std::this_thread::sleep_for(2ms);
        }
    }
    windowShown_ = std::chrono::steady_clock::now();
    x_.focus(window_);
}

void GameSession::tap(const std::string& key, std::chrono::milliseconds hold) const {
    x_.pressKey(key);
    std::this_thread::sleep_for(hold);
    x_.releaseKey(key);
}

std::optional<ScreenReading>
GameSession::waitFor(const std::function<bool(const ScreenReading&)>& condition,
                     std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        const Picture shot = picture();
        if (!shot.empty()) {
            last_ = ReadScreen(shot);
            if (condition(last_)) {
                return last_;
            }
        }
        PauseBetweenLooks();
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::optional<ScreenReading>
GameSession::tapUntil(const std::string& key,
                      const std::function<bool(const ScreenReading&)>& condition,
                      std::chrono::milliseconds maxHold, std::chrono::milliseconds limit) {
    const auto start = std::chrono::steady_clock::now();
    x_.pressKey(key);
    auto seen = waitFor(condition, maxHold);
    x_.releaseKey(key);
    if (!seen) {
        const auto left = limit - (std::chrono::steady_clock::now() - start);
        seen = waitFor(condition, std::chrono::duration_cast<std::chrono::milliseconds>(left));
    }
    const auto counted = DisplayedNumber(read().frames);
    if (seen && counted) {
        const ScreenReading kept = *seen;
        waitFor([&](const ScreenReading& r) { return DisplayedNumber(r.frames) >= *counted + 4; },
                1s);
        last_ = kept;
    }
    return seen;
}

std::optional<ScreenReading> GameSession::waitForActive(std::chrono::milliseconds limit) {
    return waitFor([](const ScreenReading& r) { return Recognised(r) && r.phase == "ACTIVE"; },
                   limit);
}

StallWatch::StallWatch()
    : thread_([this] {
          setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -10);
          constexpr auto nap = 4ms;
          auto last = std::chrono::steady_clock::now();
          while (!stop_) {
              std::this_thread::sleep_for(nap);
              const auto now = std::chrono::steady_clock::now();
              if (now - last > 50ms) {
                  stalls_ += 1;
                  stalledMicroseconds_ +=
                      std::chrono::duration_cast<std::chrono::microseconds>(now - last - nap)
                          .count();
              }
              last = now;
          }
      }) {}

StallWatch::~StallWatch() {
    stop_ = true;
    thread_.join();
}

bool GiveTheGamePrecedence(GameSession& game) {
    return SetProcessNiceness(game.process().pid(), -10);
}

bool Recognised(const ScreenReading& reading) {
    for (const auto& row : reading.board) {
        if (std::find(row.begin(), row.end(), UnknownCell) != row.end()) {
            return false;
        }
    }
    for (const auto& row : reading.nextCells) {
        if (std::find(row.begin(), row.end(), UnknownCell) != row.end()) {
            return false;
        }
    }
    for (const std::string* text : {&reading.grade, &reading.points, &reading.level,
                                    &reading.frames, &reading.phase, &reading.index}) {
        if (text->find('?') != std::string::npos) {
            return false;
        }
    }
    return reading.nextKind != UnknownCell;
}

bool ShowsGame(const ScreenReading& reading) {
    static const std::string phases[] = {"NONE",      "READYGO", "ACTIVE",  "LOCKFLASH",
                                         "LINECLEAR", "ARE",     "GAMEOVER"};
    return Recognised(reading) &&
           std::find(std::begin(phases), std::end(phases), reading.phase) != std::end(phases);
}
