#include "smart/nvme_rows.h"

#include <array>

#include "smart/nvme_health.h"

namespace qm {
namespace {

using namespace nvme_log;

constexpr std::array<NvmeRowText, 17> kFieldRows{{
    {CriticalWarning, "クリティカル警告",
     "生の値にドライブが出している重大な警告をビットの組み合わせ（16進数）で示す。0x00が正常。"
     "ビット0：予備領域の残量が限界値を下回った、ビット1：温度が警告温度を超えた（または下回りすぎた）、"
     "ビット2：メディアエラー等で信頼性が低下した、ビット3：読み取り専用になった、"
     "ビット4：揮発性メモリのバックアップ装置が故障した、ビット5：永続メモリ領域が信頼できなくなった。"
     "ビット1以外が立っている場合、データが失われる恐れがあるため直ちにバックアップを取り、ドライブの交換を推奨する。"},
    {CompositeTemperature, "現在の温度（総合）",
     "生の値にドライブ全体の現在の温度（各センサーから求めた総合値）を摂氏で示す。限界値はドライブ自身が定める警告温度。"
     "警告温度を超えるとドライブは速度を落として発熱を抑えることがあり、危険温度を超えると故障の恐れがある。"
     "高い場合は、風通しの改善やヒートシンクの取り付け等、温度を下げるための処置が必要である。"},
    {AvailableSpare, "予備領域の残量（％）",
     "生の値に不良になったブロックの代わりに使う予備領域の残りを、新品の時を100とする百分率で示す。"
     "限界値はドライブが定める下限で、これを下回ると不良ブロックを代替できなくなる恐れがある。"
     "10％以下になった場合、不具合に備えバックアップを取り、ドライブの交換を検討することを推奨する。"},
    {AvailableSpareThreshold, "予備領域の限界値（％）",
     "生の値に予備領域の残量の下限を百分率で示す。予備領域の残量がこの値を下回ると、ドライブはクリティカル警告を出す。"},
    {PercentageUsed, "寿命の使用率（％）",
     "生の値にメーカーが想定する書き込み寿命のうち、使用した割合を百分率で示す。"
     "100で想定した寿命に達するが、それで直ちに故障するわけではなく、100を超えることもある。"
     "90以上になった場合、こまめにバックアップを取り、ドライブの交換を準備することを推奨する。"},
    {DataUnitsRead, "読み込み量（512KB単位）",
     "生の値にホストがドライブから読み込んだデータの量を示す。1単位は512バイトの1000倍（512,000バイト）。"},
    {DataUnitsWritten, "書き込み量（512KB単位）",
     "生の値にホストがドライブへ書き込んだデータの量を示す。1単位は512バイトの1000倍（512,000バイト）。"
     "書き込んだ量が多いほどフラッシュメモリの寿命は短くなる。"},
    {HostReadCommands, "読み込みコマンド数", "生の値にドライブが処理した読み込みコマンドの総数を示す。"},
    {HostWriteCommands, "書き込みコマンド数", "生の値にドライブが処理した書き込みコマンドの総数を示す。"},
    {ControllerBusyTime, "コントローラ稼働時間（分）",
     "生の値にコントローラが入出力コマンドの処理で稼働していた時間の合計を分単位で示す。"},
    {PowerCycles, "電源ON/OFF回数", "生の値にドライブの電源をON/OFFした回数を示す。"},
    {PowerOnHours, "ドライブ使用時間（時間）", "生の値に工場出荷状態からのドライブの通電時間の合計を時間単位で示す。"},
    {UnsafeShutdowns, "不正な電源断の回数",
     "生の値に、停電や電源ボタンの長押し等で、ドライブが終了処理をする前に電源が切れた回数を示す。"
     "増加傾向にある場合、書き込み中のデータが失われる恐れがあるため、電源の状態やシャットダウンの方法を見直すことを推奨する。"},
    {MediaErrors, "データ整合性エラー数",
     "生の値にドライブが訂正できなかったデータのエラー（読み書きの失敗、データの整合性の不一致）の回数を示す。"
     "0でない場合、データが失われた可能性があるため不具合に備えバックアップを取り、増加傾向にある場合はドライブの交換を推奨する。"},
    {ErrorLogEntries, "エラー情報ログの件数",
     "生の値にエラー情報ログに記録された出来事の累計を示す。多くはホストが送った対応していないコマンド等、"
     "ドライブの故障ではない出来事を数えたもので、値が大きくても心配はいらない。"},
    {WarningTemperatureTime, "警告温度を超えた時間（分）",
     "生の値にドライブの温度が警告温度以上、危険温度未満だった時間の合計を分単位で示す。"
     "増加傾向にある場合、温度を下げるための処置（ケース内の風通しの改善等）が必要である。"},
    {CriticalTemperatureTime, "危険温度を超えた時間（分）",
     "生の値にドライブの温度が危険温度以上だった時間の合計を分単位で示す。"
     "0でない場合、熱でドライブが損傷を受けた恐れがあるため、バックアップを取り、温度を下げるための処置が必要である。"},
}};

constexpr std::array<std::string_view, kNvmeTemperatureSensors> kSensorNames{
    "温度センサー1", "温度センサー2", "温度センサー3", "温度センサー4",
    "温度センサー5", "温度センサー6", "温度センサー7", "温度センサー8",
};

constexpr std::string_view kSensorDescription =
    "生の値にドライブ内部の温度センサーの一つが測った現在の温度を摂氏で示す。"
    "センサーの場所（コントローラ、フラッシュメモリ等）はドライブによって異なる。"
    "ドライブの状態は総合の温度で判定し、この値では判定しない。";

constexpr NvmeRowText kLogUnreadable{
    kNvmeLogUnreadableRow, "健康情報ログ（読み取れません）",
    "NVMeドライブの健康情報ログ（S.M.A.R.T.情報）を読み取れなかった。このログを読むには管理者の権限（CAP_SYS_ADMIN）が必要で、"
    "通常は権限を与えてインストールしたヘルパー quillmoor-smart-helper が読み取る。"
    "ヘルパーを正しくインストールするとここに各項目が表示される。"
    "モデル、シリアルNo、ファームウェアと現在の温度は、権限がなくてもシステムから読めるものを表示している。"};

}  // namespace

std::span<const NvmeRowText> NvmeFieldRows() { return kFieldRows; }

NvmeRowText NvmeSensorRow(int index) {
    const auto i = static_cast<std::size_t>(index) % kNvmeTemperatureSensors;
    return {FirstTemperatureSensor + 2 * static_cast<int>(i), kSensorNames[i], kSensorDescription};
}

NvmeRowText NvmeLogUnreadableRow() { return kLogUnreadable; }

std::string_view NvmeRowDescription(int id) {
    for (const NvmeRowText& row : kFieldRows)
        if (row.offset == id) return row.description;
    if (id >= FirstTemperatureSensor && id < FirstTemperatureSensor + 2 * static_cast<int>(kNvmeTemperatureSensors) &&
        (id - FirstTemperatureSensor) % 2 == 0) {
        return kSensorDescription;
    }
    return id == kNvmeLogUnreadableRow ? kLogUnreadable.description : std::string_view{};
}

}  // namespace qm
