// Sleeping drives: the CHECK POWER MODE block, and the question the minute
// pass asks before it reads a drive.
#pragma once

#include "drives/command_block.h"
#include "drives/device.h"

namespace qm {

// CHECK POWER MODE (E5h, non-data): every register 0 but the command, the
// drive/head register and the drive-number byte, which follow the slot as in
// every other block.
CommandBlock CheckPowerModeBlock(DriveSlot slot, bool ntFamily);

// True when the slot's drive says it sleeps (or the system knows it does),
// asked in a way that does not wake it. False when it is awake, absent or
// cannot tell: then a read decides, as it would without the question.
bool DriveSleeps(DriveProvider& provider, DriveSlot slot);

}  // namespace qm
