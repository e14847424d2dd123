// Text (GBK bytes that never hold a zero byte) and ByteSet (raw bytes), with their operations.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace vellmora {

/// A byte string in GBK (code page 936) that never holds a zero byte. Lengths and positions count
/// bytes; positions are 1-based. The empty Text stands for "no text" as well.
class Text {
public:
    Text() = default;
    /// Takes the bytes up to, not including, the first zero byte, so the invariant holds by
    /// construction whatever the caller hands in.
    explicit Text(std::string bytes);

    [[nodiscard]] std::string_view View() const noexcept { return bytes_; }
    [[nodiscard]] const std::string& Bytes() const noexcept { return bytes_; }
    [[nodiscard]] bool IsEmpty() const noexcept { return bytes_.empty(); }

    friend bool operator==(const Text&, const Text&) = default;

private:
    std::string bytes_;
};

/// A counted byte array that may hold zero bytes (raw page bytes, UTF-16LE code units). Positions
/// are 1-based. The empty ByteSet stands for "no bytes" as well.
class ByteSet {
public:
    ByteSet() = default;
    explicit ByteSet(std::string bytes) : bytes_(std::move(bytes)) {}

    [[nodiscard]] std::string_view View() const noexcept { return bytes_; }
    [[nodiscard]] const std::string& Bytes() const noexcept { return bytes_; }
    [[nodiscard]] bool IsEmpty() const noexcept { return bytes_.empty(); }

    friend bool operator==(const ByteSet&, const ByteSet&) = default;

private:
    std::string bytes_;
};

// --- Text ---------------------------------------------------------------------------------------

/// Number of bytes of t.
[[nodiscard]] int TextLength(const Text& t);

/// The bytes of all arguments one after another.
template <class... More>
[[nodiscard]] Text ConcatText(const Text& first, const More&... more) {
    // A static_assert rather than a constraint: Qt 6.4's moc cannot read constrained templates.
    static_assert((std::is_same_v<More, Text> && ...), "ConcatText joins Text values only");
    std::string bytes;
    bytes.reserve((first.View().size() + ... + more.View().size()));
    bytes += first.View();
    (bytes.append(more.View()), ...);
    return Text(std::move(bytes));
}

/// Bytes start … start + count − 1 (1-based); empty when start < 1, start > length or count ≤ 0.
/// Counts bytes, so it may cut a two-byte character in half.
[[nodiscard]] Text MidText(const Text& t, int start, int count);

/// A one-byte text of the low 8 bits of code; empty when those bits are all zero.
[[nodiscard]] Text CharFromCode(int code);

/// 1-based position of the first occurrence of sub in t at or after start, matching only at
/// character starts (a byte of 0x80 or more begins a two-byte character); −1 when there is none.
/// An empty sub is found at 1 whenever anything remains to be searched.
[[nodiscard]] int FindText(const Text& t, const Text& sub, std::optional<int> start = std::nullopt,
                           bool ignoreCase = false);

/// Copy of t with single-byte a–z made A–Z; two-byte characters are left whole.
[[nodiscard]] Text ToUpper(const Text& t);

/// t with up to count occurrences of find (every one when count is omitted or negative) replaced
/// from start on. Matches begin at character starts, do not overlap, and replaced text is never
/// searched again. An empty find leaves t unchanged.
[[nodiscard]] Text ReplaceText(const Text& t, const Text& find, const Text& replacement = {},
                               std::optional<int> start = std::nullopt,
                               std::optional<int> count = std::nullopt, bool caseSensitive = false);

/// −1, 0 or +1 comparing bytes as unsigned values; a proper prefix is smaller.
[[nodiscard]] int CompareText(const Text& a, const Text& b);

/// printf "%d".
[[nodiscard]] Text IntToText(int v);

/// printf "%.13g", so 11.0 is written "11".
[[nodiscard]] Text RealToText(double v);

// --- Conversions --------------------------------------------------------------------------------

[[nodiscard]] ByteSet TextToBytes(const Text& t);

/// The bytes of b up to, not including, the first zero byte.
[[nodiscard]] Text BytesToText(const ByteSet& b);

// --- ByteSet ------------------------------------------------------------------------------------

[[nodiscard]] int ByteCount(const ByteSet& b);

/// The byte at 1-based position i as 0–255; callers keep i within 1 … ByteCount(b).
[[nodiscard]] int ByteAt(const ByteSet& b, int i);

/// n zero bytes; empty when n ≤ 0.
[[nodiscard]] ByteSet BlankBytes(int n);

// --- Numbers ------------------------------------------------------------------------------------

/// x rounded toward zero. Values beyond the integer range saturate and NaN gives 0, where a plain
/// cast would be undefined.
[[nodiscard]] int TruncateToInteger(double x);

} // namespace vellmora
