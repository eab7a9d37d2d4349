#pragma once
// The one bounded cursor every reader of untrusted bytes reads through, and the checked size
// arithmetic that sizes allocations from what such bytes declare.

#include <cstddef>
#include <cstdint>
#include <span>

namespace ks {

// Each returns false, leaving out untouched, when the result does not fit in 64 bits.
[[nodiscard]] bool CheckedMul(uint64_t a, uint64_t b, uint64_t& out) noexcept;
[[nodiscard]] bool CheckedAdd(uint64_t a, uint64_t b, uint64_t& out) noexcept;

// Reads little- and big-endian values from a span. Every read checks the bytes left; a short
// read calls the owner's handler, which must throw (the default throws EReadError
// "Stream read error"). A chunk or record is read through Sub(), so its handler cannot read
// past the length it declared.
class ByteReader {
public:
    using ShortReadHandler = void (*)();

    explicit ByteReader(std::span<const uint8_t> data, ShortReadHandler onShortRead = nullptr) noexcept
        : FData(data), FOnShortRead(onShortRead) {}

    size_t Position() const noexcept { return FPos; }
    size_t Remaining() const noexcept { return FData.size() - FPos; }
    size_t Size() const noexcept { return FData.size(); }
    bool AtEnd() const noexcept { return FPos == FData.size(); }

    uint8_t U8();
    uint16_t U16LE();
    uint32_t U32LE();
    int32_t I32LE() { return static_cast<int32_t>(U32LE()); }
    uint64_t U64LE();
    uint16_t U16BE();
    uint32_t U32BE();

    // The next n bytes, consumed.
    std::span<const uint8_t> Bytes(size_t n);
    // The next n bytes as a cursor of their own (same short-read handler), consumed here.
    ByteReader Sub(size_t n);
    void Skip(size_t n) { Bytes(n); }
    // Moves to an absolute position within the data; beyond the end is a short read.
    void Seek(size_t pos);

private:
    void Need(size_t n);

    std::span<const uint8_t> FData;
    size_t FPos = 0;
    ShortReadHandler FOnShortRead;
};

} // namespace ks
