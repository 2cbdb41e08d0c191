#!/usr/bin/env python3
"""Writes hand-made starting inputs for the rules' fuzz target into tests/fuzz/corpus/: records
near the corners that random bytes rarely hit (the top grade, the level stops, a score at the top
of its range, an all-clear, a game that ends at entry). The byte layout is the one that
startingRecord in rules_fuzz_target.cpp reads; an input that no longer matches it is still a valid
input, it only means something else."""
import pathlib
import struct

READYGO, ACTIVE, LOCKFLASH, LINECLEAR, ARE, GAMEOVER = range(1, 7)
I, Z, S, O, T, L, J = range(7)
RIGHT, DOWN, LEFT, ROTATE_CCW, ROTATE_CW = 0x02, 0x04, 0x08, 0x10, 0x20
TOP_GRADE_300, TOP_GRADE_500, TOP_GRADE_999 = 0x08, 0x10, 0x20


def word(value):
    return struct.pack(">I", value)


def pair(value):
    return struct.pack(">H", value)


def record(phase, *, seed=1, flags=0, timer=0, level=0, score=0, frames=0, soft_drop=0,
           height=0, row_pattern=0, rows_to_fill=1, kind=T, rotation=0, column=0, row=0):
    data = word(seed) + bytes([phase - 1, flags, timer]) + word(0)
    if phase == READYGO:
        return data
    data += pair(level) + bytes([0]) + word(score) + bytes([0]) + word(frames)
    data += bytes([0, kind, 0, 1, 2]) + pair(0) + bytes([0, 0, soft_drop, 0, rows_to_fill])
    data += bytes([height]) + pair(row_pattern) * 21
    # The column and row bytes count from the leftmost and the topmost position that fits.
    return data + bytes([kind, rotation, column, row])


def controls(*holds):
    return b"".join(word(held) + bytes([frames - 1]) for held, frames in holds)


WAIT = controls((0, 32), (0, 32), (0, 32))
# Every row filled but its first cell: no full row, and no room for a piece to enter.
CLOSED_WELL = 0b1111111110

SEEDS = {
    "top_grade_earned": record(LINECLEAR, flags=TOP_GRADE_300 | TOP_GRADE_500 | TOP_GRADE_999,
                               level=999, score=200000, kind=I, row=19) + WAIT,
    "top_grade_300_crossed": record(LINECLEAR, level=297, score=20000, frames=1000, kind=I,
                                    rotation=1, row=17, rows_to_fill=0xF) + WAIT,
    "top_grade_500_crossed": record(LINECLEAR, level=498, score=50000, frames=2000, kind=O,
                                    row=18, rows_to_fill=0x5) + WAIT,
    "top_grade_999_crossed": record(LINECLEAR, flags=TOP_GRADE_300 | TOP_GRADE_500, level=996,
                                    score=130000, frames=4000, kind=I, rotation=1, row=17,
                                    rows_to_fill=0xF) + WAIT,
    "score_at_the_top": record(LINECLEAR, level=990, score=0xFFFFFF00, soft_drop=255, kind=I,
                               rotation=1, row=17, rows_to_fill=0xF) + WAIT,
    "all_clear": record(LINECLEAR, level=96, soft_drop=10, kind=I, row=19) + WAIT,
    "level_stop_at_899": record(ARE, timer=20, level=899) + WAIT,
    "level_stop_at_998": record(ARE, timer=20, level=998) + WAIT,
    "game_ends_at_entry": record(ARE, timer=25, height=21, row_pattern=CLOSED_WELL) + WAIT,
    "turned_at_first_entry": record(READYGO, timer=169) + controls((ROTATE_CW, 8), (RIGHT, 20)),
    "soft_drop_at_full_speed": record(ACTIVE, level=600, soft_drop=3, kind=L)
    + controls((DOWN, 4), (0, 32), (DOWN | LEFT, 32), (DOWN, 32)),
    "soft_drop_at_one_row_a_frame": record(ACTIVE, level=300, kind=J, column=5)
    + controls((DOWN, 32), (ROTATE_CCW, 3), (DOWN, 32), (0, 32)),
}

corpus = pathlib.Path(__file__).resolve().parent / "corpus"
corpus.mkdir(exist_ok=True)
for name, data in SEEDS.items():
    (corpus / f"seed_{name}").write_bytes(data)
