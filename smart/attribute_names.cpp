#include "smart/attribute_names.h"

#include <array>

namespace qm {
namespace {

struct NameEntry {
    std::string_view key;
    std::string_view name;
};

// The 49 known attributes, in the order the dictionary is built.
constexpr std::array<NameEntry, 49> kNames{{
    {"0", "ATTR_INVALID"},
    {"1", "読み込みエラー率"},
    {"2", "ハードディスクの処理能力"},
    {"3", "スピンアップタイム"},
    {"4", "スタート/ストップカウント"},
    {"5", "代替処理済の不良セクタ数"},
    {"6", "リードチャネルマージン"},
    {"7", "磁気ヘッドシークエラー率"},
    {"8", "磁気ヘッドシーク作業時間"},
    {"9", "ハードディスク使用時間"},
    {"10", "スピンアップ再試行回数"},
    {"11", "キャリブレーション再試行回数"},
    {"12", "電源ON/OFF回数"},
    {"13", "ソフト読み込みエラー率"},
    {"184", "エンドツーエンドエラー"},
    {"191", "G_SENSE_ERROR_RATE"},
    {"192", "磁気ヘッド緊急回避回数"},
    {"193", "ロード/アンロード回数"},
    {"194", "現在の温度"},
    {"195", "ECC検知エラー回数"},
    {"196", "セクタ代替処理発生回数"},
    {"197", "代替処理待ちセクタ数"},
    {"198", "回復不可能なセクタ数"},
    {"199", "UltraDMA CRCエラー数"},
    {"200", "データ書き込みエラー数"},
    {"201", "プログラムデータ読み込みエラー率"},
    {"202", "DAMエラー頻度"},
    {"203", "ECCエラー頻度"},
    {"204", "訂正されたエラー総数"},
    {"205", "サーマル・アスペリティ現象エラー総数"},
    {"206", "磁気ヘッドの浮上高"},
    {"207", "ドライブスピンアップ電流"},
    {"208", "バズルーチン使用数"},
    {"209", "オフライン時シーク性能"},
    {"210", "書き込み中の振動"},
    {"211", "読み込み中の振動"},
    {"212", "書き込み中の衝撃"},
    {"220", "ディスクプラッタズレ量"},
    {"221", "衝撃によるエラー割合"},
    {"222", "磁気ヘッドアクチュエータ負荷値"},
    {"223", "ロード/アンロード再試行回数"},
    {"224", "パーツ摩擦による負荷値"},
    {"225", "LOAD_UNLOAD_CYCLE_COUNTII"},
    {"226", "磁気ヘッド負荷時間"},
    {"227", "トルク増幅力値"},
    {"228", "磁気ヘッド緊急退避回数"},
    {"230", "磁気ヘッド震えの振幅"},
    {"231", "TEMPERATUREII"},
    {"250", "読み込みエラー頻度"},
}};

// The value of a dictionary key, when it is an id written the way the
// lookups write ids (decimal, no leading zeros, 0..255); -1 otherwise.
constexpr int CanonicalId(std::string_view key) {
    if (key.empty() || key.size() > 3 || (key.size() > 1 && key[0] == '0')) return -1;
    int value = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? value : -1;
}

// The place in kNames of each attribute id's entry (the first, should a key
// repeat); -1 for ids the dictionary lacks. Looking a name up by its id is
// the same as looking up its decimal key, without forming the key.
constexpr std::array<std::int8_t, 256> kNameIndex = [] {
    std::array<std::int8_t, 256> index{};
    index.fill(-1);
    for (std::size_t i = kNames.size(); i-- > 0;) {
        const int id = CanonicalId(kNames[i].key);
        if (id >= 0) index[static_cast<std::size_t>(id)] = static_cast<std::int8_t>(i);
    }
    return index;
}();
static_assert(kNames.size() <= 127, "kNameIndex holds places as int8_t");
static_assert([] {
    for (const NameEntry& e : kNames)
        if (CanonicalId(e.key) < 0) return false;
    return true;
}(), "every key is an id in decimal without leading zeros");

struct DescriptionEntry {
    int id;
    std::string_view text;
};

// Explanations by attribute id. Ids 4, 13 and 192 are listed with an empty
// text; ids not listed have none either.
constexpr std::array<DescriptionEntry, 44> kDescriptions{{
    {1, "現在値にハードディスクからデータを読み込む時に発生したエラーの割合を示す。現在値が限界値（閾値）より低い場合、ハードディスク内の磁気ディスクまたは磁気ヘッドに異常がある。"},
    {2, "現在値にハードディスクの全体的な(スループット)処理能力を示す。現在値が限界値（閾値）より低い場合、高い確率でハードディスクに異常がある。"},
    {3, "現在値にハードディスクが通電回転を開始してから規定の回転数に達するまでにかかった平均時間の能力を示す。現在値が限界値（閾値）より低い場合、高い確率でハードディスクに異常がある。"},
    {4, ""},
    {5, "生の値に代替処置が施された不良セクタの数を示す。生の値が増加傾向にある場合、トラブルが発生しやすくなるため不具合に備えバックアップの実施を推奨する。"},
    {7, "現在値に磁気ヘッドが目的のデータの在るトラックへ移動しようとして失敗した割合を示す。数値が低い場合､ハードディスクの表面やハードディスクの機械的なシステムに問題がある可能性がある。"},
    {8, "現在値に磁気ヘッドがシーク作業に要した平均時間の能力を示す。"},
    {9, "生の値に工場出荷状態からのハードディスクの通電時間の合計を示す。"},
    {10, "現在値にディスクを規定の速度までスピンアップしようと再試行を試みた回数の能力を示す。"},
    {11, "現在値にハードディスクのキャリブレーション動作を再試行しようとした回数の能力を示す。"},
    {12, "生の値にハードディスクの電源をON/OFFした回数を示す。"},
    {13, ""},
    {192, ""},
    {193, "生の値にロード/アンロード機構によって磁気ヘッドが磁気ディスク表面から退避場所に退避し、その後再び磁気ディスク表面に戻った回数の合計を示す。"},
    {194, "生の値にハードディスクの現在の温度を示す。一般的に動作が保障されている最高温度は55℃のため56℃以上ある場合は、温度を下げるための処置（フィルタ掃除等）が必要である"},
    {195, "現在値にＥＣＣ（誤り訂正符号）によって検知されたエラーの回数の能力を示す"},
    {196, "生の値にセクタの代替処理が発生した回数を示す。仮に処理に失敗しても回数に加算される。生の値が増加傾向にある場合、トラブルが発生しやすくなるため不具合に備えバックアップの実施を推奨する。"},
    {197, "生の値に現在異常がある代替処理を待つセクタの総数を示す。もし後で読み込みに成功したセクタがあれば、この値は減少する。生の値が増加傾向にある場合、トラブルが発生しやすくなるため不具合に備えバックアップの実施を推奨する。"},
    {198, "生の値にオフラインスキャン時に発見された、回復不可能なセクタの総数を示す。生の値が増加傾向にある場合、トラブルが発生しやすくなるため不具合に備えバックアップの実施を推奨する。"},
    {199, "現在値にUltraDMAモードでのデータ転送中に発生したCRCエラー能力を示す"},
    {200, "生の値にデータの書き込み中に発見されたエラーの総数を示す。"},
    {201, "現在値にプログラムが磁気ディスク表面からデータを読み込む際に発生したエラーの割合を示す"},
    {202, "現在値にデータアドレスマークに関するエラーの頻度を表す。"},
    {203, "現在値にＥＣＣ(誤り訂正符号)エラーの頻度を表す。"},
    {204, "生の値にソフトウェアＥＣＣによって訂正されたエラーの総数を示す。"},
    {205, "生の値にサーマル・アスペリティ現象(磁気ヘッドが磁気媒体の突起に衝突して熱を生じ、データ検出を誤る可能性のある現象)によるエラーの総数を示す。"},
    {206, "現在値に磁気ヘッドの浮上高の能力を示す。"},
    {207, "現在値にドライブのスピンアップに使用した高電流の能力を示す。"},
    {208, "生の値にバズルーチン（ヘッドがディスクに接触するのを避けるために、ヘッドをディスクに対して垂直方向に跳ね上げる処理。これが連続して発生するとブザーのような音が鳴る）を使用した数を示す。"},
    {209, "現在値にオフラインスキャン時に測定された、シーク機能の能力を示す"},
    {210, "生の値にデータの書き込み中に加わった大きな振動数を示す。"},
    {211, "生の値にデータの読み込み中に加わった大きな振動数を示す。"},
    {212, "生の値にデータの書き込み中に加わった大きな衝撃数を示す。"},
    {220, "生の値にディスク（プラッタ）が衝撃などにより当初の固定位置よりズレた距離を示す。"},
    {221, "現在値にハードディスクに加えられた衝撃によって発生したエラーの割合を示す。衝撃はハードディスクに内蔵された衝撃感知センサーによって感知されている。"},
    {222, "現在値に一般的な作業時間中に引き起こされた磁気ヘッドアクチュエータの負荷の値を表す。"},
    {223, "生の値にロード/アンロード機構によるロードまたはアンロード時に失敗して再試行した回数を示す。"},
    {224, "現在値に機械的なパーツの摩擦による磁気ヘッドアクチュエータの負荷の値を表す。"},
    {226, "生の値に磁気ヘッドアクチュエータがデータの読み込みによる負荷を受けていた時間の総合計を示す。"},
    {227, "生の値にディスク回転時のトルク増幅力の値を示す。"},
    {228, "生の値に電源を抜くなどしてハードディスクが強制的に停止し、磁気ヘッドが緊急退避した回数を示す。"},
    {230, "現在値にＧＭＲ磁気ヘッドの動作中における震えの振幅を示す。"},
    {240, "生の値に磁気ヘッドが位置決めをしている時間を示す。"},
    {250, "現在値にデータを磁気ディスクから読み込む間に現れるエラー能力を示す。"},
}};

}  // namespace

void AttributeNames::Build() {
    entries_.clear();
    entries_.reserve(kNames.size());
    for (const auto& e : kNames) entries_.emplace_back(e.key, e.name);
}

std::optional<std::string_view> AttributeNames::Lookup(std::string_view key) const {
    for (const auto& [k, name] : entries_) {
        if (k == key) return name;
    }
    return std::nullopt;
}

std::string_view AttributeName(std::uint8_t id) {
    const int place = kNameIndex[id];
    return place < 0 ? kUnknownAttributeName : kNames[static_cast<std::size_t>(place)].name;
}

std::string_view AttributeDescription(int id) {
    for (const auto& e : kDescriptions) {
        if (e.id == id) return e.text;
    }
    return {};
}

}  // namespace qm
