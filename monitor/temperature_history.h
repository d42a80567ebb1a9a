// The in-memory temperature history: a ring of 100 samples per drive slot.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "drives/device.h"

namespace qm {

inline constexpr int kHistoryLength = 100;

// One ring position: the time text ("yyyy/mm/dd hh:nn") and the temperature
// as decimal text. A position never written holds two empty texts.
struct HistorySample {
    std::string time;
    std::string temperature;
    friend bool operator==(const HistorySample&, const HistorySample&) = default;
};

// TemperatureHistory and HistoryPosition of the program: per slot, 100
// positions and the position the next sample goes to. Before the first wrap,
// positions 0 .. Position() - 1 hold the samples in order; after it, Position()
// holds the oldest sample and the position before it the newest. Lives in
// memory only; nothing is ever stored.
// Whether a sample moves its slot's position on. The start-up's first pass
// writes its samples without: the history starts after it, and the next
// sample overwrites them.
enum class Advance { Yes, No };

class TemperatureHistory {
public:
    // Writes the sample at the slot's position and advances the position,
    // back to 0 after 99. A slot outside 0..15 is ignored.
    void Append(DriveSlot slot, const std::string& timeText, int temperature, Advance advance = Advance::Yes);

    // Sets every slot's position to 0 (the start-up does this as its last step).
    // The texts stay; later samples overwrite them.
    void ResetPositions();

    // The position the next sample of the slot is written to; 0 for a slot
    // outside 0..15.
    int Position(DriveSlot slot) const;

    // The slot's 100 positions, in ring order (not time order); empty for a
    // slot outside 0..15.
    std::span<const HistorySample> Samples(DriveSlot slot) const;

    // One position; the empty sample for an index outside the ring.
    const HistorySample& At(DriveSlot slot, int position) const;

private:
    std::array<std::array<HistorySample, kHistoryLength>, kSlotCount> samples_;
    std::array<std::int16_t, kSlotCount> positions_{};
};

}  // namespace qm
