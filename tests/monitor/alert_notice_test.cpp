// What a notification says: the drive by model and serial, what changed
// (old value → new value), the urgency, and one key per drive and reason.
#include <gtest/gtest.h>

#include "monitor/alert_notice.h"

namespace qm {
namespace {

using S = AttributeStatus;

TEST(AlertNoticeTest, SaysWhatChangedOnWhichDrive) {
    const AlertDrive drive{4, "QM-HD500B", "QMB05"};
    const struct {
        AlertEvent event;
        const char* summary;
        const char* detail;
        bool critical;
    } rows[] = {
        {{AlertReason::Pending, AlertAction::Raise, S::Caution, "", "24", {}, "代替処理待ちセクタ数"},
         "代替処理待ちセクタ数に注意が必要です", "代替処理待ちセクタ数: 24", false},
        {{AlertReason::Reallocated, AlertAction::Worse, S::Bad, "8", "24", {}, "代替処理済の不良セクタ数"},
         "代替処理済の不良セクタ数が増えました", "代替処理済の不良セクタ数: 8 → 24", true},
        {{AlertReason::State, AlertAction::Remind, S::Bad, "危険", "危険", {"読み込みエラー率 12"}, {}},
         "ドライブの状態が危険のままです", "状態: 危険\n読み込みエラー率 12", true},
        {{AlertReason::Temperature, AlertAction::Raise, S::Caution, "54", "56", {}, {}},
         "温度が高くなっています", "温度: 54 °C → 56 °C（注意の範囲）", false},
        {{AlertReason::Unreadable, AlertAction::Raise, S::Caution, "", "5", {}, {}},
         "ドライブを読み取れません", "5 回続けて読み取りに失敗しました（故障とは限りません）", false},
    };
    for (const auto& row : rows) {
        const Notice notice = NoticeOf(row.event, drive);
        EXPECT_EQ(notice.summary, row.summary);
        EXPECT_EQ(notice.body, std::string("QM-HD500B（シリアル番号 QMB05）\n") + row.detail);
        EXPECT_EQ(notice.critical, row.critical) << row.summary;
        EXPECT_EQ(notice.slot, 4);
        EXPECT_EQ(notice.key, NoticeKey(drive, row.event.reason));
    }
    EXPECT_NE(NoticeKey(drive, AlertReason::Pending), NoticeKey(drive, AlertReason::Reallocated));
    EXPECT_NE(NoticeKey(drive, AlertReason::Pending), NoticeKey({4, "QM-HD500B", "QMB06"}, AlertReason::Pending));
}

}  // namespace
}  // namespace qm
