#include "tools/report/text_report.h"

#include <string_view>

#include "base/codepage.h"
#include "smart/capacity.h"
#include "smart/drive_info.h"
#include "smart/shown_rows.h"
#include "smart/slot_names.h"
#include "smart/status_marks.h"

namespace qm {

std::string TextReport(const DriveReading& reading) {
    std::string out = "== slot " + std::to_string(reading.slot) + " " +
                      std::string(SlotNames[static_cast<std::size_t>(reading.slot)]) + " ==\n";
    // The live volumes; the temperature row is filled here ("--" without a reading).
    const std::optional<std::string> capacity =
        reading.geometry ? std::optional<std::string>(FormatCapacity(*reading.geometry)) : std::nullopt;
    std::vector<InfoRow> rows = DriveInfoRows(reading.record, capacity, JoinVolumes(reading.volumes));
    const std::optional<int> temperature = DriveTemperature(reading.record);
    rows[kTemperatureRow].value = temperature ? std::to_string(*temperature) : "--";

    for (const InfoRow& row : rows) {
        if (!row.label.empty()) out += row.label + "\t" + DisplayText(row.value.value_or("")) + "\n";
    }
    out += "状態\tID\t属性名\t現在値\t限界値\t最悪値\t生の値\n";
    for (const ShownRow& row : ShownRows(reading.record)) {
        out += MarkOf(row.status).word;
        for (const std::string_view cell : {std::string_view(row.idText), row.name, std::string_view(row.current),
                                            std::string_view(row.threshold), std::string_view(row.worst),
                                            std::string_view(row.raw)}) {
            out += '\t';
            out += cell;
        }
        out += '\n';
    }
    out += "\n";
    return out;
}

}  // namespace qm
