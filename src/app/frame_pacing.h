// When the main loop draws: what the swaps' return times tell of the display, the margin that
// drawing needs before a refresh, and whether a tick shows anything that the picture on screen
// does not. Plain arithmetic on the caller's clock readings; the main loop does the waiting.
#pragma once

#include <cstdint>

#include "game_state.h"
#include "tick_schedule.h"

using Micros = std::int64_t; // microseconds on a steady clock

// A swap that took this long waited for a refresh.
constexpr Micros WaitedSwap = 2000;
// A return further than this from the refresh that the grid predicts does not lie on it: a grid
// of every second or third refresh of a faster display is not taken for the display's own.
constexpr Micros OffGrid = 3000;
// The longest period learnt: a display of 20 refreshes a second.
constexpr Micros LongestPeriod = 50000;
// A display paced must refresh more slowly than the ticks come by this much: a grid learnt from
// swaps that wait for nothing but the ticks has the ticks' own period.
constexpr Micros SlowerThanTicks = 250;
// A swap that returns this much before the refresh it was aimed at did not wait for it: a display
// that makes swaps wait never shows a picture before its refresh.
constexpr Micros EarlyReturn = 500;
// This many swaps in a row that wait a period apart before drawing is paced.
constexpr int TrustedReturns = 16;
// A return before the grid's refresh, or an interval off the period, takes back this much of
// the trust.
constexpr int OffGridDistrust = 4;
// Once paced, the period is measured along the grid when it spans this many periods.
constexpr Micros PeriodBaseline = 64; // periods
// Drawing starts at least this long before the refresh beyond the drawing itself, and a missed
// refresh adds this much.
constexpr Micros LeastSlack = 1000;
constexpr Micros MissedRefreshStep = 1000;
// After each refresh made, the margin falls by this share of what it keeps beyond the drawing and
// the least slack: slowly, since every refresh missed shows a tick twice.
constexpr Micros MarginFall = 128;
constexpr Micros FirstMargin = 5000;

// Around the time of the next tick, as the last one seen foretells, the main loop looks for it
// this often instead of waiting out a whole millisecond: from this long before to this long
// after, which also covers a last tick seen that late.
constexpr Micros TickLookStep = 200;
constexpr Micros TickWatchBefore = 2500;
constexpr Micros TickWatchAfter = 1500;

struct FramePacing {
    Micros period{};      // between two refreshes, as learnt; 0 while none is known
    Micros refresh{};     // the time of a refresh, from the earliest returns on the grid
    Micros lastReturn{};  // of the last swap
    Micros gridStart{};   // the last learning return, where the grid's measure starts
    Micros gridPeriods{}; // periods on the grid since gridStart
    int trust{};          // returns a period apart, then on the grid; up to TrustedReturns
    bool paced{};         // from TrustedReturns such returns until the trust is spent
    Micros drawing{};     // the drawing's time: a longer one counts by half, a shorter slowly
    Micros margin = FirstMargin; // how long before its refresh a picture starts to be drawn
    Micros aim{}; // the refresh that the picture being drawn is meant for; 0 for none
};

// Whether pictures wait for a deadline: the swaps wait for a display whose refreshes come more
// slowly than the ticks. A display that refreshes faster shows each tick drawn at once within
// one refresh; one that never makes a swap wait has nothing to pace.
bool Paced(const FramePacing& pacing);

// When to start drawing the next picture, asked at `now` after a look for a new tick: `now`
// itself when not paced; else `margin` before the first refresh that leaves that long, which
// becomes the aim.
Micros NextDeadline(FramePacing& pacing, Micros now);

// A picture took `took` to draw, up to the finished drawing, before its swap.
void NoteDrawing(FramePacing& pacing, Micros took);

// A swap called at `called` returned, with the picture on screen, at `returned`.
void NoteSwap(FramePacing& pacing, Micros called, Micros returned);

// Whether two ticks give the same picture: every field that the frame and the text display read
// is equal. Through the ready pause and after the game has ended, successive ticks do.
bool SamePicture(const GameState& a, const GameState& b);

// Whether `now` falls near the time of a tick, the last one having been seen at `tickSeen`
// (0 for none yet): ticks come a fixed period apart.
bool TickDueSoon(Micros tickSeen, Micros now);

enum class Look { Nothing, StandingStill, Present };

// What a look of the main loop finds: whether a tick has come since the last look, whether a
// window event asked for a picture, the newest tick (null while none has been published) and
// the one last drawn. A tick whose picture is on screen already stands still.
Look LookFor(bool newTick, bool pictureWanted, const GameState* newest, const GameState& drawn);

// The longest the main loop sleeps with nothing to draw: a tick's redraw waits at most this long
// to be noticed, a sixteenth of a tick.
constexpr int IdleWaitMs = 1;
// While ticks change nothing, the next ones most likely will not either: the first tick that
// does (the first piece entering) is shown up to this long late, and a wake-up of the main thread
// saved per tick halves what standing still costs.
constexpr int StandingStillWaitMs = static_cast<int>(2 * TickPeriodMs);
// A paused game has no tick to wait for: the main loop rests until an event, looking this often
// for a game handed back.
constexpr int PausedWaitMs = 100;
// The media library's wait counts whole milliseconds and runs up to a few of them long, so a
// wait for a deadline ends in short sleeps against the clock over this last stretch.
constexpr Micros PolledStretch = 3000;
constexpr Micros PollStep = 1000;

// A rest of the main loop, which an event ends at once: so many whole milliseconds in the media
// library's wait, or else a look for events and a sleep this long. Neither: no rest.
struct Rest {
    int libraryMs = 0;
    Micros polled = 0;
};

// What the main loop keeps from one look for a new tick to the next.
struct LoopMemory {
    FramePacing pacing;
    Micros deadline{}; // of the next look, while it waits for one
    Micros tickSeen{}; // when a look last found a new tick; 0 for none yet
    bool stoodStill{}; // a look since the last picture found the picture standing still
};

// After the look taken at `looked`, which found a new tick or not and `look`, its picture
// presented by `now` if it was one: the rest before the next look, which then comes at once
// and presents what it finds aimed at no refresh. No rest after a picture, nor for nothing new
// on a paced display: the next look waits for the deadline instead. The rest after standing
// still a first time since the last picture (which may only have met the tick that the drawing
// took up just after the last look, in the middle of play) is shorter than again; near the
// time of a tick, the library's whole-millisecond wait would hold its picture back. Paused,
// whatever the look, the loop rests until an event.
Rest AfterLook(LoopMemory& loop, bool newTick, Look look, Micros looked, Micros now, bool paused);

// The next step of a wait for a moment `left` away.
Rest NextWaitStep(Micros left);
