#include "record/RecordFieldReader.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

RecordFieldReader::RecordFieldReader(std::string_view bytes)
    : bytes_(bytes)
{
}

std::optional<std::string_view> RecordFieldReader::next()
{
    if (position_ >= bytes_.size())
        return std::nullopt;

    while (position_ < bytes_.size() && isBlank(bytes_[position_]))
        ++position_;

    if (position_ < bytes_.size() && bytes_[position_] == '"') {
        const std::size_t start = position_ + 1;
        valueOffset_ = start;
        const std::size_t close = bytes_.find('"', start);
        const std::size_t end = close == std::string_view::npos ? bytes_.size() : close;
        position_ = close == std::string_view::npos ? bytes_.size() : close + 1;
        while (position_ < bytes_.size() && bytes_[position_] != ',' && !isLineEnd(bytes_[position_]))
            ++position_;
        skipDelimiter();
        return bytes_.substr(start, end - start);
    }

    const std::size_t start = position_;
    valueOffset_ = start;
    while (position_ < bytes_.size() && bytes_[position_] != ',' && !isLineEnd(bytes_[position_]))
        ++position_;
    const std::string_view field = bytes_.substr(start, position_ - start);
    skipDelimiter();
    return field;
}

void RecordFieldReader::skipDelimiter()
{
    if (position_ >= bytes_.size())
        return;
    // CR LF is one line end; a lone CR or LF counts as one as well.
    if (bytes_[position_] == '\r' && position_ + 1 < bytes_.size() && bytes_[position_ + 1] == '\n')
        ++position_;
    ++position_;
}

int RecordFieldReader::valueLine() const
{
    int line = 1;
    for (std::size_t i = 0; i < valueOffset_ && i < bytes_.size(); ++i) {
        if (bytes_[i] == '\n' || (bytes_[i] == '\r' && (i + 1 >= bytes_.size() || bytes_[i + 1] != '\n')))
            ++line;
    }
    return line;
}
