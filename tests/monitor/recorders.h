// Test realisations of the monitor's seams: a notification area that records
// every call, and a clock that says what the test sets.
#pragma once

#include <vector>

#include "monitor/clock.h"
#include "monitor/notification_area.h"

namespace qm::test {

class RecordingNotificationArea final : public NotificationArea {
public:
    enum class Operation { Add, Modify, Delete };
    struct Call {
        Operation operation = Operation::Add;
        TrayIconRecord record;  // Delete: only the slot is set
    };

    // Whether adds succeed (a desktop with a notification area).
    bool available = true;
    std::vector<Call> calls;

    bool AddIcon(const TrayIconRecord& record) override {
        calls.push_back({Operation::Add, record});
        if (!available) return false;
        shown[static_cast<std::size_t>(record.slot)] = true;
        return true;
    }
    bool ModifyIcon(const TrayIconRecord& record) override {
        calls.push_back({Operation::Modify, record});
        return shown[static_cast<std::size_t>(record.slot)];
    }
    bool DeleteIcon(DriveSlot slot) override {
        calls.push_back({Operation::Delete, TrayIconRecord{slot, 0, 0, {}}});
        const bool had = shown[static_cast<std::size_t>(slot)];
        shown[static_cast<std::size_t>(slot)] = false;
        return had;
    }

    bool Available() const override { return available; }

    std::vector<Call> Calls(Operation operation) const {
        std::vector<Call> selected;
        for (const Call& call : calls)
            if (call.operation == operation) selected.push_back(call);
        return selected;
    }

    bool shown[kSlotCount] = {};
};

// A rights probe with a fixed answer.
class FixedRights final : public RightsProbe {
public:
    explicit FixedRights(bool administrator = true) : administrator(administrator) {}
    bool IsAdministrator() override { return administrator; }
    bool administrator;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalTime time = {2024, 5, 6, 14, 41, 0}) : time(time) {}
    LocalTime Now() override { return time; }
    LocalTime time;
};

}  // namespace qm::test
