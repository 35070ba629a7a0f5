// libFuzzer target for what score.dat's bytes go through: the record format and the CP932 codec.
// Besides the sanitizers' findings it checks the promises the program relies on.
#include "game/BestScoreValue.h"
#include "record/RecordFormat.h"
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

// Whatever compose() accepts, parse() reads back unchanged; whatever it refuses is said in a
// message naming the record, and nothing is composed.
void requireRoundTrip(const ScoreRecord& record)
{
    const RecordFormat::Composed composed = RecordFormat::compose(record, "score.dat");
    if (!composed.problem.empty()) {
        require(composed.bytes.empty());
        require(composed.problem.rfind("score.dat ", 0) == 0);
        return;
    }
    require(composed.bytes.size() <= RecordFormat::maximumBytes);
    const ScoreReadResult again = RecordFormat::parse(composed.bytes, "score.dat");
    require(again.status == ScoreReadResult::Status::Ok);
    require(again.record.name == record.name && again.record.score == record.score);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The reader: a record it accepts has a valid, non-negative best score and stores again as
    // it was read; anything else is Damaged with a message that names the file.
    const ScoreReadResult result = RecordFormat::parse(bytes, "score.dat");
    if (result.status == ScoreReadResult::Status::Ok) {
        const auto best = bestScoreValue(result.record.score);
        require(best.has_value() && *best >= 0);
        if (RecordFormat::unstorableCharacters(result.record.name).empty()
            && RecordFormat::unstorableCharacters(result.record.score).empty())
            require(RecordFormat::compose(result.record, "score.dat").problem.empty());
        requireRoundTrip(result.record);
    } else {
        require(result.status == ScoreReadResult::Status::Damaged);
        require(result.problem.rfind("score.dat ", 0) == 0);
    }

    // The writer on typed text: the bytes taken as UTF-8, split at a tab into a name and a score,
    // as the name box and a score label would hand them over.
    const std::size_t tab = bytes.find('\t');
    requireRoundTrip({std::string(bytes.substr(0, tab)),
                      tab == std::string_view::npos ? "0" : std::string(bytes.substr(tab + 1))});

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
    const std::string unstorable = RecordFormat::unstorableCharacters(std::string(bytes));
    if (unstorable.empty() && ShiftJisCodec::encode(bytes))
        require(ShiftJisCodec::decode(*ShiftJisCodec::encode(bytes)) == std::string(bytes));
    return 0;
}
