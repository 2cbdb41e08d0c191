// Steering the falling piece from the keyboard: D and A shift it one column, a held D repeats
// from the fourteenth frame until the wall, I and P turn it counter-clockwise and O clockwise,
// and S drops it until it locks and the next piece enters.
#include "play_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

int LeftmostColumn(int kind, int rotation) {
    int narrowest = 3;
    for (const Offset& offset : ShapeOf(kind, rotation)) {
        narrowest = std::min(narrowest, offset.column);
    }
    return -narrowest;
}

int RightmostColumn(int kind, int rotation) {
    int widest = 0;
    for (const Offset& offset : ShapeOf(kind, rotation)) {
        widest = std::max(widest, offset.column);
    }
    return WellColumns - 1 - widest;
}

// Taps D, then A, on the first piece; what went wrong, or nothing.
std::string TapRightThenLeft(GameSession& game) {
    // Not in the piece's first frame, where no shift happens.
    const auto piece = WaitForPiece(game, {}, 2);
    if (!piece) {
        return "no piece\n" + Describe(game.lastReading());
    }
    const int kind = piece->kind;
    const int rotation = piece->at.rotation;
    const int column = piece->at.column;
    const auto stoodAt = [&](int expected) {
        return [&, expected](const ScreenReading& r) {
            return Recognised(r) && ColumnOfPiece(r, {}, kind, rotation) == expected;
        };
    };
    for (const auto& [key, target] : {std::pair{"d", column + 1}, std::pair{"a", column}}) {
        // Let go well before the thirteen quiet frames of the repeat are over.
        const auto moved = game.tapUntil(key, stoodAt(target), 120ms, 2s);
        if (!moved) {
            return std::string(key) + " did not move the piece to column " +
                   std::to_string(target) + "\n" + Describe(game.lastReading());
        }
        // A tap ends long before the repeat would begin, so the piece stays in that column.
        const unsigned frames = *DisplayedNumber(moved->frames);
        const auto later = game.waitFor(
            [&](const ScreenReading& r) {
                return Recognised(r) && DisplayedNumber(r.frames) >= frames + 20;
            },
            3s);
        if (!later || ColumnOfPiece(*later, {}, kind, rotation) != target) {
            return std::string(key) + " moved the piece on from column " + std::to_string(target) +
                   "\n" + Describe(game.lastReading());
        }
    }
    return "";
}

TEST(Steering, ATapOfDMovesThePieceOneColumnRightAndATapOfAOneLeft) {
    // While the machine stands still the program cannot see a key go up, and a tap becomes a
    // hold; a run spoiled that way is played again, twice at most.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        GameSession game;
        const StallWatch watch;
        const std::string trouble = TapRightThenLeft(game);
        if (trouble.empty()) {
            return;
        }
        if (watch.stalls() == 0 || attempt == 3) {
            FAIL() << trouble << "(" << watch.stalls() << " stalls of the machine)";
        }
    }
}

struct Sighting {
    unsigned frame;
    int column;
};

// The column the rules give at frame f when D is first seen in frame p: one column at once,
// then none for twelve frames, then one per frame until the wall.
int ExpectedColumn(unsigned f, unsigned p, int start, int wall) {
    if (f < p) {
        return start;
    }
    if (f < p + 13) {
        return start + 1;
    }
    return std::min(wall, start + 1 + static_cast<int>(f - p - 12));
}

TEST(Steering, AHeldDMovesAgainFromTheFourteenthFrameOnUntilTheWall) {
    GameSession game;
    const auto piece = WaitForPiece(game, {}, 2);
    ASSERT_TRUE(piece);
    const int kind = piece->kind;
    const int rotation = piece->at.rotation;
    const int start = piece->at.column;
    const int wall = RightmostColumn(kind, rotation);
    ASSERT_GE(wall, start + 3) << "the piece enters at column 3";

    std::vector<Sighting> sightings{{*DisplayedNumber(piece->reading.frames), start}};
    game.press("d");
    game.waitFor(
        [&](const ScreenReading& r) {
            const auto frames = DisplayedNumber(r.frames);
            const auto column = ColumnOfPiece(r, {}, kind, rotation);
            if (Recognised(r) && frames && column) {
                sightings.push_back({*frames, *column});
            }
            // Some sightings at the wall show that it stops there.
            return sightings.back().column == wall &&
                   sightings.back().frame >= sightings[0].frame &&
                   std::count_if(sightings.begin(), sightings.end(),
                                 [&](const Sighting& s) { return s.column == wall; }) >= 5;
        },
        5s);
    game.release("d");

    std::ostringstream seen;
    for (const Sighting& s : sightings) {
        seen << s.frame << ":" << s.column << " ";
    }
    ASSERT_EQ(sightings.back().column, wall) << seen.str();
    // Some frame p, the first in which the game saw D, must explain every sighting.
    std::vector<unsigned> explaining;
    for (unsigned p = sightings.front().frame; p <= sightings.back().frame; ++p) {
        if (std::all_of(sightings.begin(), sightings.end(), [&](const Sighting& s) {
                return s.column == ExpectedColumn(s.frame, p, start, wall);
            })) {
            explaining.push_back(p);
        }
    }
    EXPECT_FALSE(explaining.empty()) << "frame:column " << seen.str();
    // And the pause after the first step was seen, not skipped over.
    EXPECT_TRUE(std::any_of(sightings.begin(), sightings.end(),
                            [&](const Sighting& s) {
                                return !explaining.empty() && s.frame > explaining.front() &&
                                       s.frame < explaining.front() + 13 && s.column == start + 1;
                            }))
        << "frame:column " << seen.str();
}

// A piece whose four rotations all look different, so that the direction of a turn shows:
// T, L or J. Others are dropped against a wall, alternately left and right, out of the way.
std::optional<PieceInView> WaitForTurnablePiece(GameSession& game, CellSet& settled) {
    for (int drop = 0; drop < 12; ++drop) {
        const auto piece = WaitForPiece(game, settled);
        if (!piece) {
            return std::nullopt;
        }
        if (piece->kind == KindT || piece->kind == KindL || piece->kind == KindJ) {
            return piece;
        }
        const bool left = drop % 2 == 0;
        const int wall = left ? LeftmostColumn(piece->kind, piece->at.rotation)
                              : RightmostColumn(piece->kind, piece->at.rotation);
        game.press(left ? "a" : "d");
        game.waitFor(
            [&](const ScreenReading& r) {
                return ColumnOfPiece(r, settled, piece->kind, piece->at.rotation) == wall;
            },
            2s);
        game.release(left ? "a" : "d");
        const auto after = SoftDropAndSettle(game);
        if (!after) {
            return std::nullopt;
        }
        settled = *after;
    }
    return std::nullopt;
}

TEST(Steering, IAndPTurnThePieceCounterClockwiseAndOClockwise) {
    GameSession game;
    CellSet settled;
    const auto piece = WaitForTurnablePiece(game, settled);
    ASSERT_TRUE(piece) << Describe(game.lastReading());
    // Once the piece has fallen a row, every rotation of it shows all four cells.
    const auto lowered = game.waitFor(
        [&](const ScreenReading& r) {
            return Recognised(r) &&
                   RowOfPiece(r, settled, piece->kind, piece->at.rotation, piece->at.column) >= 1;
        },
        3s);
    ASSERT_TRUE(lowered) << Describe(game.lastReading());
    int rotation = piece->at.rotation;
    for (const auto& [key, turn] : {std::pair{"i", 1}, std::pair{"p", 1}, std::pair{"o", -1},
                                    std::pair{"o", -1}, std::pair{"o", -1}}) {
        rotation = (rotation + turn + 4) % 4;
        const auto turned = game.tapUntil(
            key,
            [&](const ScreenReading& r) {
                return Recognised(r) &&
                       RowOfPiece(r, settled, piece->kind, rotation, piece->at.column);
            },
            1s, 2s);
        ASSERT_TRUE(turned) << key << " should give rotation " << rotation << " of kind "
                            << piece->kind << "\n"
                            << Describe(game.lastReading());
    }
}

TEST(Steering, SDropsThePieceUntilItLocksThenItStaysAndTheNextPieceEnters) {
    GameSession game;
    const auto piece = WaitForPiece(game, {});
    ASSERT_TRUE(piece);
    const int kind = piece->kind;
    const Placement at = piece->at;
    int lowest = at.row;
    while (PieceCells(kind, at.rotation, at.column, lowest + 1).rbegin()->first <= WellRows) {
        ++lowest;
    }

    std::vector<std::pair<unsigned, int>> fall; // (frame, row) while S is held
    game.press("s");
    const auto locked = game.waitFor(
        [&](const ScreenReading& r) {
            if (!Recognised(r)) {
                return false;
            }
            const auto row = RowOfPiece(r, {}, kind, at.rotation, at.column);
            if (r.phase == "ACTIVE" && row) {
                fall.push_back({*DisplayedNumber(r.frames), *row});
            }
            return r.phase != "ACTIVE";
        },
        3s);
    game.release("s");
    ASSERT_TRUE(locked) << Describe(game.lastReading());
    // Once it moves, one row a frame down to the floor; gravity may add a row of its own.
    std::size_t moving = 0;
    while (moving < fall.size() && fall[moving].second == at.row) {
        ++moving;
    }
    ASSERT_LT(moving + 2, fall.size()) << "too few sightings of the fall";
    for (std::size_t i = moving + 1; i < fall.size(); ++i) {
        const int rows = fall[i].second - fall[i - 1].second;
        const int frames = static_cast<int>(fall[i].first - fall[i - 1].first);
        EXPECT_GE(rows, std::min(frames, lowest - fall[i - 1].second))
            << "frames " << fall[i - 1].first << ".." << fall[i].first;
        EXPECT_LE(rows, frames + 1) << "frames " << fall[i - 1].first << ".." << fall[i].first;
    }

    const auto next = WaitForPiece(game, PieceCells(kind, at.rotation, at.column, lowest));
    ASSERT_TRUE(next) << "the locked piece at row " << lowest << " and a new one\n"
                      << Describe(game.lastReading());
    EXPECT_EQ(next->kind, piece->reading.nextKind);
    EXPECT_EQ(next->at.rotation, 0);
    EXPECT_EQ(next->at.column, 3);
    EXPECT_EQ(next->at.row, 0);
    EXPECT_TRUE(AllOfKind(next->reading, PieceCells(kind, at.rotation, at.column, lowest), kind));
}

} // namespace
