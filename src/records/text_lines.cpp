#include "text_lines.h"

#include <cctype>

#include "grade_names.h"

namespace {
constexpr std::size_t LongestFileName = 64;
constexpr std::string_view DatePattern = "0000-00-00T00:00:00Z";
} // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::string OnLine(std::size_t index, const std::string& what) {
    return "line " + std::to_string(index + 1) + ": " + what;
}

std::string CheckHeading(const std::vector<std::string_view>& lines, std::string_view kind,
                         std::uint32_t version) {
    const std::vector<std::string_view> words =
        SplitWords(lines.empty() ? std::string_view() : lines[0]);
    std::uint32_t stated = 0;
    if (words.size() != 3 || words[0] != "velmora" || words[1] != kind ||
        !ReadNumber(words[2], 0xFFFFFFFF, stated)) {
        return OnLine(0, "not a Velmora " + std::string(kind));
    }
    if (stated != version) {
        return OnLine(0, std::string(kind) + " version " + std::to_string(stated) +
                             ", which this program cannot read (it reads version " +
                             std::to_string(version) + ")");
    }
    return "";
}

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    for (std::size_t start = 0;;) {
        const std::size_t space = line.find(' ', start);
        words.push_back(line.substr(start, space - start));
        if (space == std::string_view::npos) {
            return words;
        }
        start = space + 1;
    }
}

bool ReadNumber(std::string_view word, std::uint32_t largest, std::uint32_t& number) {
    if (word.empty() || word.size() > 10) {
        return false;
    }
    std::uint64_t value = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > largest) {
        return false;
    }
    number = static_cast<std::uint32_t>(value);
    return true;
}

bool ReadHex(std::string_view word, std::uint32_t& number) {
    if (word.empty() || word.size() > 8) {
        return false;
    }
    std::uint32_t value = 0;
    for (const char c : word) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    number = value;
    return true;
}

bool IsPlainFileName(std::string_view word) {
    if (word.empty() || word.size() > LongestFileName || word.front() == '.') {
        return false;
    }
    for (const char c : word) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

bool IsDate(std::string_view word) {
    if (word.size() != DatePattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(word[i])) != 0;
        if (DatePattern[i] == '0' ? !digit : word[i] != DatePattern[i]) {
            return false;
        }
    }
    return true;
}

std::string GradeWord(std::uint32_t grade) {
    const std::string_view name = grade < GradeNames.size() ? GradeNames[grade] : "??";
    return std::string(name.substr(name.front() == ' ' ? 1 : 0));
}

bool ReadGrade(std::string_view word, std::uint32_t& grade) {
    for (std::uint32_t g = 0; g < GradeNames.size(); ++g) {
        if (GradeWord(g) == word) {
            grade = g;
            return true;
        }
    }
    return false;
}
