// The contents of the drive view: the nine disk-information rows, the
// attribute rows with their health marks, and the explanation of the selected
// attribute. Built from one fresh DriveRecord; the window only copies the texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "smart/drive_info.h"
#include "smart/drive_record.h"
#include "smart/shown_rows.h"

namespace qm {

// Column texts of one attribute-list row: 0 empty (the status picture), 1 id,
// 2 name, 3 current, 4 threshold, 5 worst, 6 raw, as ShownRows gives them.
struct AttributeListRow {
    int status = 0;  // image index: 0 green, 1 yellow, 2 red, 3 not rated
    RowKey id;       // the drive's kind and the row's id
    std::array<std::string, 7> cells;
    friend bool operator==(const AttributeListRow&, const AttributeListRow&) = default;
};

struct DriveViewContent {
    bool present = false;   // IsPresentDrive; otherwise both lists stay empty
    std::string model;      // trimmed model
    std::string serial;     // trimmed serial
    std::string volumes{kLettersNotObtained};  // the stored volumes, or "未取得" (also before any view)
    std::vector<InfoRow> info;                   // nine rows when present
    std::vector<AttributeListRow> attributes;    // table order, unsorted
};

// The view of one read. capacity: DriveCapacityText of the slot (nullopt when
// the disk could not be asked: the cell stays empty). storedVolumes: what the
// settings hold for the drive (nullopt when nothing was ever stored).
DriveViewContent BuildDriveView(const DriveRecord& record, const std::optional<std::string>& capacity,
                                const std::optional<std::string>& storedVolumes);

// AttributeRowIds: the id (with the drive's kind) of each attribute-list row.
// A refill writes the entries of its rows; entries beyond them keep older ids.
using AttributeRowIds = std::array<RowKey, 256>;
void StoreAttributeRowIds(AttributeRowIds& ids, std::span<const AttributeListRow> rows);

// The 1-based row whose explanation the detail box shows: the first selected
// row after row 0, and row 1 when only row 0 or nothing is selected.
int DescriptionRowNumber(std::span<const int> selectedRows);

// The text of the detail box: the explanation of the id in that row
// (RowDescription; empty for ids without one and for rows beyond 254). An empty attribute list gives the
// empty text, so the box never explains an attribute that is not on display.
std::string DescriptionText(std::span<const int> selectedRows, int rowCount, const AttributeRowIds& ids);

// The window's caption outside taskbar mode.
inline constexpr std::string_view kProductCaption = "Quillmoor Ver1.2.0";

// The caption in taskbar mode: model, "(", volumes, ")", no blanks between.
std::string DriveCaption(std::string_view model, std::string_view volumes);

}  // namespace qm
