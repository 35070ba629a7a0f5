#pragma once

#include <string_view>

// Splits UTF-8 text into its characters. A byte that does not start a well-formed sequence is
// returned as a piece of its own, so nothing is lost or merged.
class Utf8Characters {
public:
    explicit Utf8Characters(std::string_view text);

    bool atEnd() const { return text_.empty(); }
    std::string_view next();

private:
    std::string_view text_;
};
