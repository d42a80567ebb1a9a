// The administrator test on Linux: may this process send ATA pass-through
// commands to the disks?
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

#include "drives/device.h"

namespace qm {

// The effective capability set of this process (bit n = capability n), read
// with the capget system call; nullopt when the kernel does not answer.
std::optional<std::uint64_t> EffectiveCapabilities();

// SG_IO pass-through needs CAP_SYS_RAWIO; root without it is refused as well.
// So when the capability set is known it decides alone (root normally holds
// every capability); only when it is unknown does effective uid 0 count.
bool MaySendPassThrough(uid_t effectiveUid, std::optional<std::uint64_t> effectiveCapabilities);

// What quillmoor-smart-helper needs besides the pass-through: opening every
// disk node read-only whatever its owner and mode, which CAP_DAC_READ_SEARCH
// (or CAP_DAC_OVERRIDE) gives. With the capability set unknown only
// effective uid 0 counts, as above.
bool MayServeAsHelper(uid_t effectiveUid, std::optional<std::uint64_t> effectiveCapabilities);

class LinuxRightsProbe final : public RightsProbe {
public:
    // True when this process holds CAP_SYS_RAWIO (or is root on a kernel whose
    // capabilities cannot be read).
    bool IsAdministrator() override;
};

}  // namespace qm
