#pragma once

#include <optional>
#include <string_view>

// Splits the raw bytes of score.dat into fields, one after another. Blanks before a field are
// skipped. A field that starts with a double quote runs to the next double quote, and whatever
// stands between the closing quote and the next comma or line end is passed over. Any other
// field runs to the next comma or line end. The end of the bytes ends a field too; asking for
// a field once the end has been reached gives nullopt.
//
// The bytes are CP932, whose trail bytes never take the values of a quote, comma, blank, CR or
// LF, so splitting before decoding is safe.
class RecordFieldReader {
public:
    explicit RecordFieldReader(std::string_view bytes);

    std::optional<std::string_view> next();

    // The offset in the bytes where the value last returned by next() begins, and the line
    // (from 1) it stands on; CR LF, a lone CR and a lone LF each end a line.
    std::size_t valueOffset() const { return valueOffset_; }
    int valueLine() const;

private:
    void skipDelimiter();

    std::string_view bytes_;
    std::size_t position_ = 0;
    std::size_t valueOffset_ = 0;
};
