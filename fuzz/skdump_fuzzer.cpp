// The drive dump reader: the input is the file (skdump --save format).
// Checked: a dump written back and parsed again holds the same sections, and
// writing is stable from then on; the disk size from an identity sector fits
// a signed 64-bit number.
#include <cstdint>
#include <limits>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "drives/sim/drive_set_file.h"
#include "drives/sim/skdump.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using qm::fuzz::Require;
    const qm::SkDump dump = qm::ParseSkDump({data, size});
    Require(dump.badLengthSections >= 0 && dump.unknownSections >= 0, "the parse notes count up");

    const std::vector<std::uint8_t> bytes = qm::SerializeSkDump(dump);
    const qm::SkDump again = qm::ParseSkDump(bytes);
    Require(again.SameSections(dump), "a written dump reads back with the same sections");
    Require(!again.truncated && again.badLengthSections == 0 && again.unknownSections == 0,
            "a written dump is well formed");
    Require(qm::SerializeSkDump(again) == bytes, "writing a dump is stable");

    if (dump.identify) {
        const std::uint64_t diskBytes = qm::IdentityByteCount(*dump.identify);
        Require(diskBytes <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()),
                "the disk size fits a signed 64-bit number");
    }
    return 0;
}
