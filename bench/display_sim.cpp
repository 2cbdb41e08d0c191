// A display for the play benchmarks, preloaded into the unchanged program (LD_PRELOAD): each
// buffer swap waits for the next refresh of a display of VELMORA_DISPLAY_HZ refreshes a second,
// as a driver or a compositor that forces vsync makes it wait, whatever the program's own
// swap-interval request. The refreshes are the whole multiples of the period on
// CLOCK_MONOTONIC, the clock that the benches read too. Without the variable, or at 0, a swap
// goes straight through.
#include <SDL.h>
#include <dlfcn.h>
#include <time.h>

#include <cstdint>
#include <cstdlib>

namespace {
constexpr std::int64_t NanosPerSecond = 1'000'000'000;

std::int64_t PeriodNanos() {
    const char* hz = std::getenv("VELMORA_DISPLAY_HZ");
    const long rate = hz != nullptr ? std::atol(hz) : 0;
    return rate > 0 ? NanosPerSecond / rate : 0;
}
} // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    using Swap = void (*)(SDL_Window*);
    static const auto realSwap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    static const std::int64_t period = PeriodNanos();
    if (period > 0) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::int64_t nanos = now.tv_sec * NanosPerSecond + now.tv_nsec;
        const std::int64_t refresh = (nanos / period + 1) * period;
        const timespec until{static_cast<time_t>(refresh / NanosPerSecond),
                             static_cast<long>(refresh % NanosPerSecond)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
        }
    }
    realSwap(window);
}
