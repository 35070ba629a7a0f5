// libFuzzer target for what score.dat's bytes go through: the record reader and the CP932 codec.
// Besides the sanitizers' findings it checks the promises the program relies on.
#include "record/BestScoreValue.h"
#include "record/ScoreFile.h"
#include "record/ShiftJisCodec.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The reader: a record it accepts has a valid, non-negative best score; anything else is
    // Damaged with a message that names the file.
    const ScoreReadResult result = ScoreFile::parse(bytes, "score.dat");
    if (result.status == ScoreReadResult::Status::Ok) {
        const auto best = bestScoreValue(result.record.score);
        require(best.has_value() && *best >= 0);
        // What the program would store of it reads back the same, when it can be stored.
        if (ScoreFile::unstorableCharacters(result.record.name).empty()
            && ScoreFile::unstorableCharacters(result.record.score).empty()) {
            const std::string stored = "\"" + *ShiftJisCodec::encode(result.record.name) + "\"\r\n\""
                                       + *ShiftJisCodec::encode(result.record.score) + "\"\r\n";
            const ScoreReadResult again = ScoreFile::parse(stored, "score.dat");
            require(again.status == ScoreReadResult::Status::Ok);
            require(again.record.name == result.record.name && again.record.score == result.record.score);
        }
    } else {
        require(result.status == ScoreReadResult::Status::Damaged);
        require(result.problem.rfind("score.dat ", 0) == 0);
    }

    // The codec: decoding fails exactly where firstUndecodable says; decoded text re-encodes,
    // and decoding that gives the same text (CP932 has duplicate codes, so bytes may differ).
    const auto decoded = ShiftJisCodec::decode(bytes);
    const auto failure = ShiftJisCodec::firstUndecodable(bytes);
    require(decoded.has_value() != failure.has_value());
    if (failure) {
        require(*failure <= size);
        require(ShiftJisCodec::decode(bytes.substr(0, *failure)).has_value());
    } else {
        const auto encoded = ShiftJisCodec::encode(*decoded);
        require(encoded.has_value());
        require(ShiftJisCodec::decode(*encoded) == decoded);
    }

    // The same bytes taken as UTF-8, as a typed name would arrive.
    const std::string unstorable = ScoreFile::unstorableCharacters(std::string(bytes));
    if (unstorable.empty() && ShiftJisCodec::encode(bytes))
        require(ShiftJisCodec::decode(*ShiftJisCodec::encode(bytes)) == std::string(bytes));
    return 0;
}
