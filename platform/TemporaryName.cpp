#include "TemporaryName.h"

#include <random>

namespace mirado {
namespace {

constexpr std::u16string_view kPrefix = u".mirado-";
constexpr std::u16string_view kSuffix = u".tmp";
constexpr std::u16string_view kClaimSuffix = u".claim";
constexpr std::u16string_view kDigits = u"0123456789abcdef";

void AppendHex(std::u16string& text, std::uint64_t value) {
    for (int shift = 60; shift >= 0; shift -= 4) text.push_back(kDigits[(value >> shift) & 0xF]);
}

// One field of 16 lowercase hexadecimal digits, as AppendHex writes it.
std::optional<std::uint64_t> ParseHex(std::u16string_view field) {
    if (field.size() != 16) return std::nullopt;
    std::uint64_t value = 0;
    for (const char16_t c : field) {
        const std::size_t digit = kDigits.find(c);
        if (digit == std::u16string_view::npos) return std::nullopt;
        value = value << 4 | digit;
    }
    return value;
}

// ".mirado-<host>-<process>-<start>-<random>" and the suffix.
std::u16string OwnedName(const TemporaryOwner& owner, std::u16string_view suffix) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::u16string name(kPrefix);
    for (const std::uint64_t field : {owner.host, owner.process, owner.start, std::uint64_t{random()}}) {
        AppendHex(name, field);
        name.push_back(u'-');
    }
    name.pop_back();
    name.append(suffix);
    return name;
}

}  // namespace

std::uint64_t HashOfText(std::string_view bytes) noexcept {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

std::u16string TemporaryCopyName(const TemporaryOwner& owner) { return OwnedName(owner, kSuffix); }

std::u16string TemporaryClaimName(const TemporaryOwner& owner) { return OwnedName(owner, kClaimSuffix); }

bool IsClaimRecord(std::u16string_view name) { return name.ends_with(kClaimSuffix); }

std::optional<TemporaryOwner> OwnerOf(std::u16string_view name) {
    if (!name.starts_with(kPrefix)) return std::nullopt;
    const std::size_t suffix = name.ends_with(kSuffix) ? kSuffix.size() : name.ends_with(kClaimSuffix) ? kClaimSuffix.size() : 0;
    if (suffix == 0) return std::nullopt;
    name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - suffix);
    std::uint64_t fields[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? name.find(u'-') : name.size();
        if (end == std::u16string_view::npos) return std::nullopt;
        const std::optional<std::uint64_t> value = ParseHex(name.substr(0, end));
        if (!value) return std::nullopt;
        fields[i] = *value;
        name.remove_prefix(i < 3 ? end + 1 : end);
    }
    return TemporaryOwner{fields[0], fields[1], fields[2]};
}

std::optional<TemporaryOwner> OwnerToCheck(std::u16string_view name, const TemporaryOwner& self) {
    const std::optional<TemporaryOwner> parsed = OwnerOf(name);
    if (!parsed) return std::nullopt;
    const TemporaryOwner& owner = *parsed;
    // Another computer's processes cannot be asked; nor can one whose start
    // was unknown, or this very process.
    if (owner.host != self.host || owner.start == 0 || self.start == 0 || owner == self) return std::nullopt;
    return owner;
}

}  // namespace mirado
