// Little-endian reading and writing for the binary file formats. The reader checks every length
// against the bytes it has, so a short or hostile file can never make it read past its end.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/cp1252.h"

namespace sonavel {

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t Remaining() const { return bytes_.size() - pos_; }
  size_t Position() const { return pos_; }

  std::optional<std::string_view> Take(size_t n) {
    if (n > Remaining()) return std::nullopt;
    const std::string_view out = bytes_.substr(pos_, n);
    pos_ += n;
    return out;
  }
  std::optional<uint8_t> U8() {
    auto b = Take(1);
    if (!b) return std::nullopt;
    return static_cast<uint8_t>((*b)[0]);
  }
  std::optional<uint32_t> U32() {
    auto b = Take(4);
    if (!b) return std::nullopt;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>((*b)[i]);
    return v;
  }
  std::optional<int32_t> I32() {
    auto v = U32();
    if (!v) return std::nullopt;
    return static_cast<int32_t>(*v);
  }
  std::optional<double> F64() {
    auto b = Take(8);
    if (!b) return std::nullopt;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<uint8_t>((*b)[i]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }

  // A length-prefixed text: a signed 32-bit count N of the bytes that follow, of which the first
  // is the text length L and the next L the text; the rest of the N is pad. Refused when N is
  // below 1 or above `maxCount`, or the text runs past N or past the end of the bytes.
  std::optional<std::string_view> CountedText(int32_t maxCount) {
    auto n = I32();
    if (!n || *n < 1 || *n > maxCount) return std::nullopt;
    auto block = Take(static_cast<size_t>(*n));
    if (!block) return std::nullopt;
    const auto length = static_cast<uint8_t>((*block)[0]);
    if (length > block->size() - 1) return std::nullopt;
    return block->substr(1, length);
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

inline void PutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }
inline void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PutI32(std::string& out, int32_t v) { PutU32(out, static_cast<uint32_t>(v)); }
inline void PutF64(std::string& out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}
// N = L + 2, the length byte, the text and one zero pad byte; `text` holds at most 255 bytes.
inline void PutCountedText(std::string& out, std::string_view text) {
  PutI32(out, static_cast<int32_t>(text.size() + 2));
  PutU8(out, static_cast<uint8_t>(text.size()));
  out.append(text);
  PutU8(out, 0);
}

// A text as the files store it: Windows-1252, cut to the 255 bytes a counted text can hold.
constexpr size_t MaxTextBytes = 255;
inline std::string FileText(std::string_view utf8) {
  std::string bytes = Utf8ToCp1252(utf8);
  if (bytes.size() > MaxTextBytes) bytes.resize(MaxTextBytes);
  return bytes;
}

}  // namespace sonavel
