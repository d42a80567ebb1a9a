// The start-up's scan of the sixteen drive slots: one tab per identified
// drive, the map from tab to slot, and each slot's identity and letters.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "smart/slot_names.h"
#include "smart/smart_reader.h"

namespace qm {


// One row of TabDriveMap: the tab's trimmed model and its slot as decimal text.
struct TabMapRow {
    std::string model;
    std::string slotText;
    friend bool operator==(const TabMapRow&, const TabMapRow&) = default;
};

// One row of SlotIdentity: trimmed model and serial; empty without a drive.
struct SlotIdentityRow {
    std::string model;
    std::string serial;
    friend bool operator==(const SlotIdentityRow&, const SlotIdentityRow&) = default;
};

struct DriveScan {
    // TabDriveMap: element i describes the tab at index i. It has a row for
    // every tab, however many drives there are.
    std::vector<TabMapRow> tabDriveMap;
    std::array<SlotIdentityRow, kSlotCount> slotIdentity;
    // SlotDriveLetters: the stored letters of each present drive ("ERROR"
    // when none are stored); empty for slots without a drive.
    std::array<std::string, kSlotCount> slotDriveLetters;
};

// Reads the settings value stored under a drive-letter key.
using LetterReader = std::function<std::string(const std::string& key)>;

// Probes slots 0..15 in order. A slot qualifies when its record has
// driveType 1 and a model that is not blank; every qualifying slot gets a row
// in the map, in slot order.
DriveScan ScanDrives(SmartReader& reader, const LetterReader& readLetters);

// The slot of the tab at `tabIndex`; nullopt for an index without a row or a
// row whose slot text is not a slot number.
std::optional<DriveSlot> SlotOfTab(const std::vector<TabMapRow>& map, int tabIndex);

}  // namespace qm
