#include "monitor/alert_notice.h"

#include "base/codepage.h"
#include "smart/status_marks.h"
#include "settings/settings.h"

namespace qm {
namespace {

constexpr std::string_view kArrow = " → ";

std::string Word(AttributeStatus status) { return std::string(MarkOf(status).word); }

std::string Change(const AlertEvent& event, std::string_view unit = {}) {
    const std::string after = event.after + std::string(unit);
    if (event.before.empty() || event.before == event.after) return after;  // nothing changed to show
    return event.before + std::string(unit) + std::string(kArrow) + after;
}

// The first line: what happened.
std::string Summary(const AlertEvent& event) {
    const bool red = event.level == AttributeStatus::Bad;
    switch (event.reason) {
        case AlertReason::State:
            return red && event.action == AlertAction::Remind ? "ドライブの状態が危険のままです"
                                                              : "ドライブの状態が悪くなりました";
        case AlertReason::Reallocated:
        case AlertReason::ReallocationEvents:
        case AlertReason::Pending:
        case AlertReason::Uncorrectable:
        case AlertReason::MediaErrors:
            if (event.before.empty()) return std::string(event.subject) + (red ? "が危険です" : "に注意が必要です");
            return std::string(event.subject) + (event.before != event.after ? "が増えました" : "が危険です");
        case AlertReason::Temperature:
            return red ? "温度が危険な高さです" : "温度が高くなっています";
        case AlertReason::CriticalWarning:
            return "ドライブが重大な警告を出しています";
        case AlertReason::Unreadable:
            return "ドライブを読み取れません";
    }
    return {};
}

// The line after the drive: the value before and now.
std::string Detail(const AlertEvent& event) {
    switch (event.reason) {
        case AlertReason::State: {
            std::string text = "状態: " + Change(event);
            for (const std::string& row : event.rows) text += "\n" + row;
            return text;
        }
        case AlertReason::Temperature: {
            return "温度: " + Change(event, " °C") + "（" + Word(event.level) + "の範囲）";
        }
        case AlertReason::CriticalWarning:
            return "重大な警告: " + Change(event);
        case AlertReason::Unreadable:
            return event.after + " 回続けて読み取りに失敗しました（故障とは限りません）";
        default:
            return std::string(event.subject) + ": " + Change(event);
    }
}

}  // namespace

std::string NoticeKey(const AlertDrive& drive, AlertReason reason) {
    return DriveLetterKey(drive.model, drive.serial) + "/" + AlertReasonKey(reason);
}

Notice NoticeOf(const AlertEvent& event, const AlertDrive& drive) {
    Notice notice;
    notice.key = NoticeKey(drive, event.reason);
    notice.slot = drive.slot;
    notice.critical = event.level == AttributeStatus::Bad;
    notice.summary = Summary(event);
    notice.body = DisplayText(drive.model) + "（シリアル番号 " + DisplayText(drive.serial) + "）\n" + Detail(event);
    return notice;
}

}  // namespace qm
