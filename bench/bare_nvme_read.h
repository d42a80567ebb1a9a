// A read of an NVMe drive as bare system calls: open the controller node
// read-only, Identify Controller (4096 bytes) and Get Log Page 02h (the
// 512-byte health log of all namespaces) with NVME_IOCTL_ADMIN_CMD, close.
// The yardstick the NVMe read path is measured against; nothing of the
// program's own layers is used.
#pragma once

namespace qm::bench {

// Runs the whole sequence on the controller node at `path`. True when both
// commands completed (the ioctl returned 0).
bool BareNvmeRead(const char* path);

}  // namespace qm::bench
