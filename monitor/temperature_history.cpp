#include "monitor/temperature_history.h"

namespace qm {

namespace {
const HistorySample kEmptySample{};
}  // namespace

void TemperatureHistory::Append(DriveSlot slot, const std::string& timeText, int temperature, Advance advance) {
    if (!IsValidSlot(slot)) return;
    const auto s = static_cast<std::size_t>(slot);
    auto& position = positions_[s];
    auto& sample = samples_[s][static_cast<std::size_t>(position)];
    sample.time = timeText;
    sample.temperature = std::to_string(temperature);
    if (advance == Advance::Yes)
        position = static_cast<std::int16_t>(position + 1 == kHistoryLength ? 0 : position + 1);
}

void TemperatureHistory::ResetPositions() { positions_.fill(0); }

int TemperatureHistory::Position(DriveSlot slot) const {
    return IsValidSlot(slot) ? positions_[static_cast<std::size_t>(slot)] : 0;
}

std::span<const HistorySample> TemperatureHistory::Samples(DriveSlot slot) const {
    if (!IsValidSlot(slot)) return {};
    return samples_[static_cast<std::size_t>(slot)];
}

const HistorySample& TemperatureHistory::At(DriveSlot slot, int position) const {
    if (!IsValidSlot(slot) || position < 0 || position >= kHistoryLength) return kEmptySample;
    return samples_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(position)];
}

}  // namespace qm
