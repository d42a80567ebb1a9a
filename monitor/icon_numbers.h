// The program's icons by resource number, and which number stands for which
// temperature. One table for every place that picks or draws an icon:
//   1, 100     32x32 program picture (100: the window's icon)
//   101..178   16x16 notification icons of the temperatures 0..77
//   179        16x16 question mark (78 degrees and above)
//   201..287   32x32 window icons of the temperatures 1..87 (taskbar mode)
#pragma once

#include <optional>

namespace qm {

inline constexpr int kProgramFileIcon = 1;
inline constexpr int kProgramIcon = 100;

inline constexpr int kTrayNumberBase = 101;      // 101 + t
inline constexpr int kTrayHighestNumber = 77;
inline constexpr int kTrayQuestionMark = 179;

inline constexpr int kTaskbarNumberBase = 200;   // 200 + t
inline constexpr int kTaskbarLowestNumber = 1;
inline constexpr int kTaskbarHighestNumber = 87;

// The notification icon of a temperature: its number for 0..77, the question
// mark for everything else.
constexpr int TrayIconResource(int temperature) {
    return temperature >= 0 && temperature <= kTrayHighestNumber ? kTrayNumberBase + temperature : kTrayQuestionMark;
}

// The window icon of a temperature in taskbar mode; nullopt where no number
// picture exists.
constexpr std::optional<int> TaskbarIconResource(int temperature) {
    if (temperature < kTaskbarLowestNumber || temperature > kTaskbarHighestNumber) return std::nullopt;
    return kTaskbarNumberBase + temperature;
}

// The temperature a number icon shows; nullopt for the program pictures, the
// question mark and numbers without a picture.
constexpr std::optional<int> TrayIconTemperature(int resource) {
    if (resource < kTrayNumberBase || resource > kTrayNumberBase + kTrayHighestNumber) return std::nullopt;
    return resource - kTrayNumberBase;
}
constexpr std::optional<int> TaskbarIconTemperature(int resource) {
    if (resource < kTaskbarNumberBase + kTaskbarLowestNumber || resource > kTaskbarNumberBase + kTaskbarHighestNumber)
        return std::nullopt;
    return resource - kTaskbarNumberBase;
}

static_assert(TrayIconResource(0) == 101 && TrayIconResource(41) == 142 && TrayIconResource(77) == 178);
static_assert(TrayIconResource(78) == kTrayQuestionMark && TrayIconResource(-1) == kTrayQuestionMark);
static_assert(kTrayNumberBase + kTrayHighestNumber + 1 == kTrayQuestionMark);
static_assert(TaskbarIconResource(45) == 245 && TaskbarIconResource(87) == 287 && !TaskbarIconResource(88));
static_assert(kTrayQuestionMark < kTaskbarNumberBase + kTaskbarLowestNumber);  // the ranges never overlap
static_assert(TrayIconTemperature(142) == 41 && !TrayIconTemperature(179) && TaskbarIconTemperature(287) == 87);

}  // namespace qm
