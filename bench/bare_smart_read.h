// The five read commands of one drive read (SMART ENABLE OPERATIONS, IDENTIFY
// DEVICE, SMART READ DATA, SMART READ THRESHOLDS, each an ATA PASS-THROUGH
// (16) through SG_IO) as bare system calls: open, the SG version query, the
// four commands, close. The yardstick the real read path is measured
// against; nothing of the program's own layers is used.
#pragma once

namespace qm::bench {

// Runs the whole sequence on the block device at `path`. True when every
// call succeeded (SCSI status GOOD or a CHECK CONDITION that reports no
// error is not looked at: only the ioctl results count, as the cost is what
// is measured).
bool BareSmartRead(const char* path);

}  // namespace qm::bench
