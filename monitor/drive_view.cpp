#include "monitor/drive_view.h"

#include <algorithm>

#include "platform/inifile.h"
#include "smart/attribute_names.h"
#include "smart/rating.h"

namespace qm {

std::vector<InfoRow> PlaceholderInfoRows() {
    return {
        {"モデル", "Error"},         {"シリアルNo", "Error"},     {"ファームウェア", "Error"},
        {"シリンダ数", "Error"},     {"ヘッド/トラック", "Error"}, {"ディスク容量", "Error"},
        {"ドライブレター", "Error"}, {"", ""},                    {"現在の温度", std::nullopt},
    };
}

DriveViewContent BuildDriveView(const DriveRecord& record, const std::optional<std::string>& capacity,
                                const std::string& storedLetters) {
    DriveViewContent view;
    view.letters = std::string(kLettersNotObtained);
    if (record.driveType != 1) return view;

    view.present = true;
    view.model = TrimBlanks(record.modelNumber);
    view.serial = TrimBlanks(record.serialNumber);
    const bool lettersKnown = storedLetters != "ERROR";  // the settings file's "nothing stored"
    if (lettersKnown) view.letters = storedLetters;

    view.info = {
        {"モデル", view.model},
        {"シリアルNo", view.serial},
        {"ファームウェア", TrimBlanks(record.firmwareRevision)},
        {"シリンダ数", std::to_string(record.cylinders)},
        {"ヘッド/トラック", std::to_string(record.heads) + "/" + std::to_string(record.sectorsPerTrack)},
        {"ディスク容量", capacity.value_or("")},
        {"ドライブレター", lettersKnown ? storedLetters : std::string(kLettersNotObtained)},
        {"", ""},
        {"現在の温度", std::nullopt},
    };

    for (const AttributeRow& row : AttributeRows(record)) {
        AttributeListRow item;
        item.id = row.id;
        item.status = static_cast<int>(RateAttribute(row.id, row.current, row.threshold, row.raw));
        item.cells = {"",
                      std::to_string(row.id),
                      row.name,
                      std::to_string(row.current),
                      std::to_string(row.threshold),
                      std::to_string(row.worst),
                      std::to_string(row.raw)};
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
    return std::string(AttributeDescription(ids[static_cast<std::size_t>(row - 1)]));
}

std::string DriveCaption(std::string_view model, std::string_view letters) {
    std::string caption(model);
    caption += "(";
    caption += letters;
    caption += ")";
    return caption;
}

}  // namespace qm
