#include "smart/nvme_health.h"

#include <algorithm>

#include "base/bytes.h"
#include "base/codepage.h"

namespace qm {
namespace {

std::string Text(std::span<const std::uint8_t> data, std::size_t offset, std::size_t length) {
    return FromSystemCodePage(data.subspan(offset, length));
}

UInt128 Counter(std::span<const std::uint8_t> log, int offset) {
    return LoadLe128(log.subspan(static_cast<std::size_t>(offset), 16));
}

}  // namespace

NvmeCommandBlock IdentifyControllerBlock() {
    NvmeCommandBlock block;
    block.bytes[nvme_cb::Opcode] = nvme::Identify;
    block.setCdw(10, nvme::IdentifyController);
    return block;
}

NvmeCommandBlock HealthLogBlock() {
    NvmeCommandBlock block;
    block.bytes[nvme_cb::Opcode] = nvme::GetLogPage;
    StoreLe32(block.bytes, nvme_cb::Nsid, nvme::AllNamespaces);
    constexpr std::uint32_t kDwordsLess1 = nvme::HealthLogSize / 4 - 1;
    block.setCdw(10, kDwordsLess1 << 16 | nvme::HealthLogId);
    return block;
}

std::optional<NvmeIdentity> DecodeNvmeIdentity(std::span<const std::uint8_t> data) {
    if (data.size() < kNvmeIdentityBytesRead) return std::nullopt;
    NvmeIdentity identity;
    identity.serialNumber = Text(data, nvme_id::Serial, nvme_id::SerialLength);
    identity.modelNumber = Text(data, nvme_id::Model, nvme_id::ModelLength);
    identity.firmwareRevision = Text(data, nvme_id::Firmware, nvme_id::FirmwareLength);
    identity.warningTemperatureK = LoadLe16(data, nvme_id::WarningTemperature);
    identity.criticalTemperatureK = LoadLe16(data, nvme_id::CriticalTemperature);
    return identity;
}

std::optional<NvmeHealthLog> DecodeHealthLog(std::span<const std::uint8_t> data) {
    if (data.size() < nvme::HealthLogSize) return std::nullopt;
    const auto log = data.first(nvme::HealthLogSize);
    using namespace nvme_log;
    NvmeHealthLog h;
    h.criticalWarning = log[CriticalWarning];
    h.compositeTemperatureK = LoadLe16(log, CompositeTemperature);
    h.availableSpare = log[AvailableSpare];
    h.availableSpareThreshold = log[AvailableSpareThreshold];
    h.percentageUsed = log[PercentageUsed];
    h.enduranceGroupWarning = log[EnduranceGroupWarning];
    h.dataUnitsRead = Counter(log, DataUnitsRead);
    h.dataUnitsWritten = Counter(log, DataUnitsWritten);
    h.hostReadCommands = Counter(log, HostReadCommands);
    h.hostWriteCommands = Counter(log, HostWriteCommands);
    h.controllerBusyTime = Counter(log, ControllerBusyTime);
    h.powerCycles = Counter(log, PowerCycles);
    h.powerOnHours = Counter(log, PowerOnHours);
    h.unsafeShutdowns = Counter(log, UnsafeShutdowns);
    h.mediaErrors = Counter(log, MediaErrors);
    h.errorLogEntries = Counter(log, ErrorLogEntries);
    h.warningTemperatureTime = LoadLe32(log, WarningTemperatureTime);
    h.criticalTemperatureTime = LoadLe32(log, CriticalTemperatureTime);
    for (std::size_t i = 0; i < kNvmeTemperatureSensors; ++i) {
        h.temperatureSensorsK[i] = LoadLe16(log, FirstTemperatureSensor + 2 * i);
    }
    h.thermalTransitions = {LoadLe32(log, ThermalTransitions1), LoadLe32(log, ThermalTransitions2)};
    h.thermalTime = {LoadLe32(log, ThermalTime1), LoadLe32(log, ThermalTime2)};
    if (h == NvmeHealthLog{}) return std::nullopt;  // nothing but zeros in every field
    return h;
}

}  // namespace qm
