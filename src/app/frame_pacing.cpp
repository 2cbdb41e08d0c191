#include "frame_pacing.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "tick_schedule.h"

namespace {
constexpr Micros TickPeriod = Micros{TickPeriodMs} * 1000;

auto PictureFields(const GameState& g) {
    return std::tie(g.nextKind, g.activeKind, g.pieceColumn, g.pieceRow, g.pieceRotation, g.board,
                    g.phase, g.grade, g.score, g.level, g.frameCount, g.gravityIndex);
}

Rest RestAfter(Look look, bool stoodStill, bool paced, bool tickDueSoon, bool paused) {
    if (paused) {
        return {PausedWaitMs, 0};
    }
    if (look == Look::StandingStill) {
        return {stoodStill ? StandingStillWaitMs : IdleWaitMs, 0};
    }
    if (paced) {
        return {};
    }
    return tickDueSoon ? Rest{0, TickLookStep} : Rest{IdleWaitMs, 0};
}
} // namespace

bool Paced(const FramePacing& pacing) {
    return pacing.paced && pacing.period > TickPeriod + SlowerThanTicks;
}

Micros NextDeadline(FramePacing& pacing, Micros now) {
    if (!Paced(pacing)) {
        return now;
    }
    // The grid's refresh lies in the past, so the periods since it count from zero.
    const Micros periods = (now + pacing.margin - pacing.refresh) / pacing.period + 1;
    pacing.aim = pacing.refresh + periods * pacing.period;
    return pacing.aim - pacing.margin;
}

void NoteDrawing(FramePacing& pacing, Micros took) {
    // Learnt only while paced: the first pictures of a run, which take the longest, are drawn
    // at once. One slow drawing on a busy machine holds later pictures back only a little.
    if (!Paced(pacing)) {
        return;
    }
    const Micros change = took - pacing.drawing;
    pacing.drawing += std::max(change / 2, change / 16);
    pacing.margin = std::max(pacing.margin, pacing.drawing + LeastSlack);
}

void NoteSwap(FramePacing& pacing, Micros called, Micros returned) {
    // The first swap's interval, counted from the clock's start, is longer than any period.
    const Micros sinceLast = returned - pacing.lastReturn;
    pacing.lastReturn = returned;
    if (!pacing.paced) {
        // Learning: only a display slower than the ticks keeps swaps drawn at once waiting one
        // after another, a refresh apart. The period is the mean of those intervals.
        if (returned - called < WaitedSwap) {
            return;
        }
        if (pacing.period > 0 && std::abs(sinceLast - pacing.period) <= OffGrid) {
            pacing.period += (sinceLast - pacing.period) / (pacing.trust + 2);
            pacing.trust += 1;
            pacing.paced = pacing.trust == TrustedReturns;
            pacing.gridStart = returned;
            pacing.gridPeriods = 0;
        } else if (pacing.trust > 0) {
            pacing.trust = std::max(pacing.trust - OffGridDistrust, 0);
        } else {
            pacing.period = sinceLast <= LongestPeriod ? sinceLast : 0;
        }
        pacing.refresh = returned;
        return;
    }
    // Negative only for a return long before the last refresh, which counts as before it too.
    const Micros periods = (returned - pacing.refresh + pacing.period / 2) / pacing.period;
    const Micros residual = returned - pacing.refresh - periods * pacing.period;
    if (periods < 1 || residual < -EarlyReturn) {
        // Before its refresh: the grid is not the display's, or the swaps do not wait.
        pacing.trust = std::max(pacing.trust - OffGridDistrust, 0);
        pacing.paced = pacing.trust > 0;
        return;
    }
    if (residual > OffGrid) {
        return; // the thread came back late, which tells nothing of the display
    }
    // A swap never returns before its refresh, so an early return moves the grid all the way;
    // a late one may be the thread's own delay and moves it a little. Over many periods the
    // grid's own drift gives the period more closely than the learnt mean.
    pacing.refresh = returned - residual + std::min(residual, residual / 8);
    pacing.gridPeriods += periods;
    if (pacing.gridPeriods >= PeriodBaseline) {
        pacing.period = (pacing.refresh - pacing.gridStart) / pacing.gridPeriods;
    }
    const bool missed = pacing.aim != 0 && returned > pacing.aim + pacing.period / 2;
    const Micros least = pacing.drawing + LeastSlack;
    pacing.margin = missed ? pacing.margin + MissedRefreshStep
                           : pacing.margin - (pacing.margin - least) / MarginFall;
    pacing.margin = std::min(pacing.margin, pacing.period);
    pacing.trust = std::min(pacing.trust + 1, TrustedReturns);
}

bool TickDueSoon(Micros tickSeen, Micros now) {
    if (tickSeen == 0) {
        return false;
    }
    const Micros phase = (now - tickSeen) % TickPeriod;
    return phase >= TickPeriod - TickWatchBefore || phase <= TickWatchAfter;
}

bool SamePicture(const GameState& a, const GameState& b) {
    return PictureFields(a) == PictureFields(b);
}

Look LookFor(bool newTick, bool pictureWanted, const GameState* newest, const GameState& drawn) {
    if (pictureWanted || (newTick && (newest == nullptr || !SamePicture(*newest, drawn)))) {
        return Look::Present;
    }
    return newTick ? Look::StandingStill : Look::Nothing;
}

Rest NextWaitStep(Micros left) {
    if (left > PolledStretch) {
        return {std::max(static_cast<int>((left - PolledStretch) / 1000), 1), 0};
    }
    return {0, std::max<Micros>(std::min(left, PollStep), 0)};
}

Rest AfterLook(LoopMemory& loop, bool newTick, Look look, Micros looked, Micros now, bool paused) {
    loop.tickSeen = newTick ? looked : loop.tickSeen;
    if (look == Look::Present) {
        loop.stoodStill = false;
        loop.deadline = NextDeadline(loop.pacing, now);
        return {};
    }
    const Rest rest = RestAfter(look, loop.stoodStill, Paced(loop.pacing),
                                TickDueSoon(loop.tickSeen, now), paused);
    loop.stoodStill = loop.stoodStill || look == Look::StandingStill;
    if (rest.libraryMs != 0 || rest.polled != 0) {
        loop.pacing.aim = 0;
    } else {
        loop.deadline = NextDeadline(loop.pacing, now);
    }
    return rest;
}
