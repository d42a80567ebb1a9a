#include "drives/linux/linux_rights.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qm {

std::optional<std::uint64_t> EffectiveCapabilities() {
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    header.pid = 0;  // this process
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0) return std::nullopt;
    return std::uint64_t{data[0].effective} | std::uint64_t{data[1].effective} << 32;
}

bool MaySendPassThrough(uid_t effectiveUid, std::optional<std::uint64_t> effectiveCapabilities) {
    if (effectiveCapabilities) return (*effectiveCapabilities >> CAP_SYS_RAWIO & 1) != 0;
    return effectiveUid == 0;
}

bool MayServeAsHelper(uid_t effectiveUid, std::optional<std::uint64_t> effectiveCapabilities) {
    if (!MaySendPassThrough(effectiveUid, effectiveCapabilities)) return false;
    if (!effectiveCapabilities) return effectiveUid == 0;
    const std::uint64_t readAny = std::uint64_t{1} << CAP_DAC_READ_SEARCH | std::uint64_t{1} << CAP_DAC_OVERRIDE;
    return (*effectiveCapabilities & readAny) != 0;
}

bool LinuxRightsProbe::IsAdministrator() { return MaySendPassThrough(::geteuid(), EffectiveCapabilities()); }

}  // namespace qm
