#include "record/Utf8Characters.h"

Utf8Characters::Utf8Characters(std::string_view text)
    : text_(text)
{
}

std::string_view Utf8Characters::next()
{
    const auto lead = static_cast<unsigned char>(text_.front());
    std::size_t length = 1;
    if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else if (lead >= 0xE0)
        length = lead <= 0xEF ? 3 : 1;
    else if (lead >= 0xC2)
        length = 2;
    if (length > text_.size())
        length = 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80)
            length = 1;
    const std::string_view character = text_.substr(0, length);
    text_.remove_prefix(length);
    return character;
}
