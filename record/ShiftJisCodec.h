#pragma once

#include <optional>
#include <string>
#include <string_view>

// Converts between UTF-8 and code page 932 (Shift_JIS with the Windows extensions) through
// glibc's iconv "CP932"; plain "SHIFT_JIS" lacks characters such as ～ ① －.
// Nothing is ever substituted: a character without a CP932 form, invalid UTF-8, or bytes that
// are not CP932 make the whole conversion fail.
class ShiftJisCodec {
public:
    static std::optional<std::string> encode(std::string_view utf8);
    static std::optional<std::string> decode(std::string_view cp932);

    // Where decoding cp932 fails: the offset of the first byte that does not begin a CP932
    // character, or of a character cut off at the end. nullopt when all of it decodes.
    static std::optional<std::size_t> firstUndecodable(std::string_view cp932);
};
