#pragma once

#include "game/ScoreReadResult.h"
#include "game/ScoreRecord.h"

#include <cstddef>
#include <string>
#include <string_view>

// The record's bytes, without any file: two lines, each a field between double quotes ended by
// CR LF, in CP932. Bytes in, a record or a fault located by line and byte out, and back again.
// `where` names the record in messages (its path).
class RecordFormat {
public:
    // Far beyond any record the program writes; larger bytes are no record, and the program
    // never writes them.
    static constexpr std::size_t maximumBytes = 64 * 1024;

    static ScoreReadResult parse(std::string_view bytes, const std::string& where);

    struct Composed {
        std::string bytes;    // the file's content; empty when problem is not
        std::string problem;  // why this record cannot be stored so that parse() reads it back
    };
    // Refuses anything parse() would not read back as it was given: characters of either field
    // that do not survive the trip, a score that is no valid best score, and a record larger
    // than maximumBytes.
    static Composed compose(const ScoreRecord& record, const std::string& where);

    // The characters of text (each once, in order) that would not read back as written:
    // a double quote or line break would end the field early, and anything CP932 lacks, or
    // maps onto a different character, would change. Empty when the text can be stored.
    static std::string unstorableCharacters(const std::string& text);

    // Keeps a quoted piece of a record short enough for a message box.
    static std::string excerpt(const std::string& text);
};
