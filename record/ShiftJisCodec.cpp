#include "record/ShiftJisCodec.h"

#include <iconv.h>

namespace {

// On failure, `failedAt` (when given) receives the offset in `input` of the first character or
// byte sequence that could not be converted.
std::optional<std::string> convert(const char* to, const char* from, std::string_view input,
                                   std::size_t* failedAt = nullptr)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (failedAt != nullptr)
            *failedAt = 0;
        return std::nullopt;
    }

    // Either direction at most triples the length (one CP932 byte can become three UTF-8 bytes).
    std::string output(input.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();

    // EILSEQ, EINVAL: a character or a byte sequence without a mapping, or a cut-off one; iconv
    // stops in front of it. A positive result counts characters converted irreversibly: none
    // are acceptable.
    bool ok = iconv(cd, &in, &inLeft, &out, &outLeft) == 0 && inLeft == 0;
    if (ok && iconv(cd, nullptr, nullptr, &out, &outLeft) != 0)
        ok = false;
    iconv_close(cd);
    if (!ok) {
        if (failedAt != nullptr)
            *failedAt = inLeft == 0 ? input.size() : input.size() - inLeft;
        return std::nullopt;
    }
    output.resize(output.size() - outLeft);
    return output;
}

} // namespace

std::optional<std::string> ShiftJisCodec::encode(std::string_view utf8)
{
    return convert("CP932", "UTF-8", utf8);
}

std::optional<std::string> ShiftJisCodec::decode(std::string_view cp932)
{
    return convert("UTF-8", "CP932", cp932);
}

std::optional<std::size_t> ShiftJisCodec::firstUndecodable(std::string_view cp932)
{
    std::size_t failedAt = 0;
    if (convert("UTF-8", "CP932", cp932, &failedAt))
        return std::nullopt;
    return failedAt;
}
