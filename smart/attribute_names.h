// The program's vocabulary for S.M.A.R.T. attributes: Japanese display names
// and plain-language explanations.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

// Name given to an attribute id the dictionary does not know.
inline constexpr std::string_view kUnknownAttributeName = "（不明な属性）";

// The keyed name collection. The key is the id in decimal without leading
// zeros ("194"); Build() fills it with the 49 known entries, in table order.
class AttributeNames {
public:
    // Discards the collection and creates it anew with the 49 entries.
    void Build();
    // The name stored under `key`, or nullopt for a missing key.
    std::optional<std::string_view> Lookup(std::string_view key) const;
    std::size_t size() const { return entries_.size(); }
    const std::vector<std::pair<std::string_view, std::string_view>>& entries() const { return entries_; }

private:
    std::vector<std::pair<std::string_view, std::string_view>> entries_;
};

// The display name of an id: the dictionary's entry, or the unknown name.
std::string_view AttributeName(std::uint8_t id);

// The explanation of an attribute id; the empty text for ids without one.
std::string_view AttributeDescription(int id);

}  // namespace qm
