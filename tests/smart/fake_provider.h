// A scripted drive provider for the core's unit tests: each slot serves the
// sectors the test puts in, refuses what the test says, and every call is
// logged so tests can check order, registers and that handles get closed.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "drives/device.h"

namespace qm::test {

using Sector = std::array<std::uint8_t, 512>;

struct FakeDrive {
    Sector identify{};
    Sector data{};
    Sector thresholds{};
    bool failOpen = false, failVersion = false, failEnable = false, failIdentify = false;
    bool failData = false, failThresholds = false;
    bool junkOnFailure = false;  // a refused exchange leaves garbage in the buffer
    std::optional<DiskGeometry> geometry;
    // An NVMe drive: its Identify Controller data and health log; what the
    // system tells every user about it.
    bool nvme = false;
    std::vector<std::uint8_t> nvmeIdentify;  // shorter than 4096: the rest reads zero
    std::vector<std::uint8_t> nvmeLog;
    bool failNvmeOpen = false, failNvmeIdentify = false, failNvmeLog = false;
    std::optional<NvmePublicInfo> publicInfo;
};

struct FakeEvent {
    std::string what;  // "open", "version", "send", "receive", "close"; "nvme-open", "nvme", "info"
    DriveSlot slot = -1;
    CommandBlock block{};
    NvmeCommandBlock nvme{};  // "nvme": the command
    std::size_t dataSize = 0;  // "nvme": the caller's buffer
};

class FakeProvider : public DriveProvider {
public:
    std::map<DriveSlot, FakeDrive> drives;
    bool nt = true;
    std::vector<FakeEvent> log;
    int openHandles = 0;

    int familyTests = 0;

    bool IsNtFamily(DriveSlot) override {
        ++familyTests;
        return nt;
    }

    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily) override {
        log.push_back({"open", slot, {}});
        auto it = drives.find(slot);
        if (it == drives.end() || it->second.failOpen) return nullptr;
        ++openHandles;
        return std::make_unique<Handle>(*this, slot);
    }

    DriveKind KindOf(DriveSlot slot) override {
        auto it = drives.find(slot);
        return it != drives.end() && it->second.nvme ? DriveKind::Nvme : DriveKind::Ata;
    }

    std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) override {
        log.push_back({"nvme-open", slot, {}});
        auto it = drives.find(slot);
        if (it == drives.end() || !it->second.nvme || it->second.failNvmeOpen) return nullptr;
        ++openHandles;
        return std::make_unique<NvmeFake>(*this, slot);
    }

    std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) override {
        log.push_back({"info", slot, {}});
        auto it = drives.find(slot);
        return it == drives.end() ? std::nullopt : it->second.publicInfo;
    }

    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override {
        auto it = drives.find(slot);
        if (it == drives.end()) return std::nullopt;
        return it->second.geometry.value_or(DiskGeometry{});
    }

    std::vector<std::string> VolumesOf(DriveSlot) override { return {}; }

    std::vector<std::string> Steps() const {
        std::vector<std::string> s;
        for (const auto& e : log) s.push_back(e.what);
        return s;
    }

private:
    class NvmeFake : public NvmeHandle {
    public:
        NvmeFake(FakeProvider& p, DriveSlot slot) : p_(p), slot_(slot) {}
        ~NvmeFake() override {
            --p_.openHandles;
            p_.log.push_back({"close", slot_, {}});
        }
        bool AdminCommand(const NvmeCommandBlock& command, std::span<std::uint8_t> data) override {
            p_.log.push_back({"nvme", slot_, {}, command, data.size()});
            const FakeDrive& d = p_.drives[slot_];
            const bool identify = command.opcode() == nvme::Identify;
            if (identify ? d.failNvmeIdentify : d.failNvmeLog) {
                if (d.junkOnFailure) std::fill(data.begin(), data.end(), std::uint8_t{0x5A});
                return false;
            }
            const std::vector<std::uint8_t>& answer = identify ? d.nvmeIdentify : d.nvmeLog;
            std::fill(data.begin(), data.end(), std::uint8_t{0});
            std::copy_n(answer.begin(), std::min(answer.size(), data.size()), data.begin());
            return true;
        }

    private:
        FakeProvider& p_;
        DriveSlot slot_;
    };

    class Handle : public DriveHandle {
    public:
        Handle(FakeProvider& p, DriveSlot slot) : p_(p), slot_(slot) {}
        ~Handle() override {
            --p_.openHandles;
            p_.log.push_back({"close", slot_, {}});
        }
        bool SmartGetVersion() override {
            p_.log.push_back({"version", slot_, {}});
            return !p_.drives[slot_].failVersion;
        }
        bool Exchange(ControlCode code, const CommandBlock& in, std::span<std::uint8_t> out) override {
            FakeDrive& d = p_.drives[slot_];
            if (code == ControlCode::SendDriveCommand) {
                p_.log.push_back({"send", slot_, in});
                return out.size() == 16 && !d.failEnable;
            }
            p_.log.push_back({"receive", slot_, in});
            if (out.size() != 528) return false;
            const Sector* sector = nullptr;
            bool fail = false;
            if (in.command() == 0xEC) {
                sector = &d.identify;
                fail = d.failIdentify;
            } else if (in.features() == 0xD0) {
                sector = &d.data;
                fail = d.failData;
            } else if (in.features() == 0xD1) {
                sector = &d.thresholds;
                fail = d.failThresholds;
            }
            if (sector == nullptr || fail) {
                if (d.junkOnFailure) std::fill(out.begin(), out.end(), std::uint8_t{0x5A});
                return false;
            }
            std::copy(sector->begin(), sector->end(), out.begin() + 16);
            return true;
        }

    private:
        FakeProvider& p_;
        DriveSlot slot_;
    };
};

// Builders for sectors.
inline void PutWord(Sector& s, std::size_t word, std::uint16_t v) { StoreLe16(s, 2 * word, v); }

// An identity string field as a drive stores it: padded with blanks, the two
// bytes of each word swapped.
inline void PutIdentityString(Sector& s, std::size_t offset, std::size_t length, const std::string& text) {
    std::string padded = text;
    padded.resize(length, ' ');
    for (std::size_t i = 0; i < length; i += 2) {
        s[offset + i] = static_cast<std::uint8_t>(padded[i + 1]);
        s[offset + i + 1] = static_cast<std::uint8_t>(padded[i]);
    }
}

inline Sector IdentitySector(const std::string& model, const std::string& serial, const std::string& firmware,
                             std::uint16_t cylinders = 16383, std::uint16_t heads = 16, std::uint16_t sectors = 63) {
    Sector s{};
    PutWord(s, 1, cylinders);
    PutWord(s, 3, heads);
    PutWord(s, 6, sectors);
    PutIdentityString(s, 20, 20, serial);
    PutIdentityString(s, 46, 8, firmware);
    PutIdentityString(s, 54, 40, model);
    return s;
}

// Entry i of an attribute-values sector.
inline void PutAttribute(Sector& s, std::size_t i, std::uint8_t id, std::uint8_t current, std::uint8_t worst,
                         std::array<std::uint8_t, 6> raw = {}) {
    const std::size_t e = 2 + 12 * i;
    s[e] = id;
    s[e + 3] = current;
    s[e + 4] = worst;
    for (std::size_t b = 0; b < 6; ++b) s[e + 5 + b] = raw[b];
}

inline void PutThreshold(Sector& s, std::size_t i, std::uint8_t id, std::uint8_t threshold) {
    const std::size_t e = 2 + 12 * i;
    s[e] = id;
    s[e + 1] = threshold;
}

}  // namespace qm::test
