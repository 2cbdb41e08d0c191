// The labels of the nineteen grades, as the display and the records show them.
#pragma once

#include <array>

inline constexpr std::array<const char*, 19> GradeNames = {
    " 9", " 8", " 7", " 6", " 5", " 4", " 3", " 2", " 1", "S1",
    "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "ZN",
};
