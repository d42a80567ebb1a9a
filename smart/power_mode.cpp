#include "smart/power_mode.h"

#include "smart/smart_reader.h"

namespace qm {

CommandBlock CheckPowerModeBlock(DriveSlot slot, bool ntFamily) {
    CommandBlock block;
    block.bytes[cb::DriveHead] = DriveHeadRegister(slot, ntFamily);
    block.bytes[cb::Command] = ata::CheckPowerMode;
    block.bytes[cb::DriveNumber] = static_cast<std::uint8_t>(slot);
    return block;
}

bool DriveSleeps(DriveProvider& provider, DriveSlot slot) {
    if (!IsValidSlot(slot)) return false;
    const CommandBlock query = CheckPowerModeBlock(slot, provider.IsNtFamily(slot));
    return provider.QueryPowerMode(slot, query) == PowerMode::Standby;
}

}  // namespace qm
