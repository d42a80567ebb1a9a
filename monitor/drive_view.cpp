#include "monitor/drive_view.h"

#include <algorithm>

#include "smart/status_marks.h"

namespace qm {

DriveViewContent BuildDriveView(const DriveRecord& record, const std::optional<std::string>& capacity,
                                const std::optional<std::string>& storedVolumes) {
    DriveViewContent view;
    view.volumes = std::string(kLettersNotObtained);
    if (!IsPresentDrive(record)) return view;

    view.present = true;
    view.model = TrimBlanks(record.modelNumber);
    view.serial = TrimBlanks(record.serialNumber);
    if (storedVolumes) view.volumes = *storedVolumes;
    view.info = DriveInfoRows(record, capacity, storedVolumes);

    for (ShownRow& row : ShownRows(record)) {
        AttributeListRow item;
        item.id = row.key;
        item.status = MarkOf(row.status).imageIndex;
        item.cells = {"",
                      std::move(row.idText),
                      std::string(row.name),
                      std::move(row.current),
                      std::move(row.threshold),
                      std::move(row.worst),
                      std::move(row.raw)};
        view.attributes.push_back(std::move(item));
    }
    return view;
}

void StoreAttributeRowIds(AttributeRowIds& ids, std::span<const AttributeListRow> rows) {
    const std::size_t count = std::min(rows.size(), ids.size());
    for (std::size_t k = 0; k < count; ++k) ids[k] = rows[k].id;
}

int DescriptionRowNumber(std::span<const int> selectedRows) {
    int next = -1;  // first selected row after row 0
    for (const int row : selectedRows)
        if (row > 0 && (next < 0 || row < next)) next = row;
    const int number = next + 1;
    return number == 0 ? 1 : number;
}

std::string DescriptionText(std::span<const int> selectedRows, int rowCount, const AttributeRowIds& ids) {
    if (rowCount <= 0) return {};
    const int row = DescriptionRowNumber(selectedRows);
    if (row > 254) return {};
    return std::string(RowDescription(ids[static_cast<std::size_t>(row - 1)]));
}

std::string DriveCaption(std::string_view model, std::string_view volumes) {
    std::string caption(model);
    caption += "(";
    caption += volumes;
    caption += ")";
    return caption;
}

}  // namespace qm
