// How each attribute status is shown, in one table for every view: the
// picture in the status image list, the bitmap it is made from, the word.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "smart/rating.h"

namespace qm {

struct StatusMark {
    int imageIndex;          // in the status image list: 0 green, 1 yellow, 2 red
    int bitmapResource;      // the status bitmap: 101 green, 102 yellow, 103 red disc
    std::string_view word;   // the status in words (quillmoor-report)
};

// Indexed by AttributeStatus.
inline constexpr std::array<StatusMark, 3> kStatusMarks{{
    {0, 101, "良好"},  // Good
    {1, 102, "注意"},  // Caution
    {2, 103, "危険"},  // Bad
}};

constexpr const StatusMark& MarkOf(AttributeStatus status) {
    return kStatusMarks[static_cast<std::size_t>(status)];
}

// A row that is not rated (it only informs): the question mark.
inline constexpr StatusMark kUnratedMark{3, 104, "不明"};

constexpr const StatusMark& MarkOf(std::optional<AttributeStatus> status) {
    return status ? MarkOf(*status) : kUnratedMark;
}

// The status in the machine-readable outputs of quillmoor-report (JSON,
// Prometheus): a stable English word, indexed by AttributeStatus.
inline constexpr std::array<std::string_view, 3> kStatusKeywords{"good", "caution", "bad"};

constexpr std::string_view StatusKeyword(AttributeStatus status) {
    return kStatusKeywords[static_cast<std::size_t>(status)];
}

static_assert(MarkOf(AttributeStatus::Good).imageIndex == 0 && MarkOf(AttributeStatus::Good).bitmapResource == 101);
static_assert(MarkOf(AttributeStatus::Caution).imageIndex == 1 &&
              MarkOf(AttributeStatus::Caution).bitmapResource == 102);
static_assert(MarkOf(AttributeStatus::Bad).imageIndex == 2 && MarkOf(AttributeStatus::Bad).bitmapResource == 103);
static_assert(MarkOf(AttributeStatus::Good).word == "良好" && MarkOf(AttributeStatus::Caution).word == "注意" &&
              MarkOf(AttributeStatus::Bad).word == "危険");

}  // namespace qm
