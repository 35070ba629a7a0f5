#include "record/RecordFormat.h"

#include "game/BestScoreValue.h"
#include "record/CharacterList.h"
#include "record/RecordFieldReader.h"
#include "record/ShiftJisCodec.h"
#include "record/Utf8Characters.h"

#include <algorithm>
#include <vector>

namespace {

std::string lineName(int line) { return std::to_string(line) + "行目"; }

std::string hexBytes(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!hex.empty())
            hex += ' ';
        hex += digits[b >> 4];
        hex += digits[b & 0xF];
    }
    return hex;
}

// Says where in a field CP932 decoding fails and shows the bytes there.
std::string undecodable(const std::string& where, int line, const char* field, std::string_view value,
                        std::size_t offset)
{
    // A lead byte and the byte after it are shown together, as they were meant as one character.
    const auto first = offset < value.size() ? static_cast<unsigned char>(value[offset]) : 0;
    const bool lead = (first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xFC);
    const std::string_view bytes = value.substr(std::min(offset, value.size()), lead ? 2 : 1);
    if (bytes.empty())
        return where + " の" + lineName(line) + "（" + field + "）を Shift_JIS（CP932）として読めません。";
    return where + " の" + lineName(line) + "（" + field + "）に Shift_JIS（CP932）として読めないバイト "
           + hexBytes(bytes) + " があります（" + std::to_string(offset + 1) + " バイト目）。";
}

// `place` names the place of the score: the file and, for a file that was read, its line.
std::string scoreProblem(const std::string& place, const std::string& score, BestScoreProblem problem)
{
    switch (problem) {
    case BestScoreProblem::Empty:
        return place + "のスコアが空です。";
    case BestScoreProblem::OutOfRange:
        return place + "のスコア「" + RecordFormat::excerpt(score) + "」が扱える範囲を超えています。";
    case BestScoreProblem::Negative:
        return place + "のスコア「" + RecordFormat::excerpt(score) + "」が負の数です。";
    case BestScoreProblem::NotANumber:
        break;
    }
    return place + "のスコア「" + RecordFormat::excerpt(score) + "」が数値ではありません。";
}

RecordFormat::Composed refused(std::string problem) { return {{}, std::move(problem)}; }

} // namespace

std::string RecordFormat::excerpt(const std::string& text)
{
    constexpr int maximum = 20;
    Utf8Characters characters(text);
    std::string shortened;
    for (int n = 0; !characters.atEnd(); ++n) {
        if (n == maximum)
            return shortened + "…";
        shortened += characters.next();
    }
    return shortened;
}

ScoreReadResult RecordFormat::parse(std::string_view bytes, const std::string& where)
{
    ScoreReadResult result;
    const auto damaged = [&result](std::string problem) {
        result.status = ScoreReadResult::Status::Damaged;
        result.problem = std::move(problem);
        return result;
    };

    // A text editor's byte-order mark is not CP932; without this check it would be blamed on
    // the name.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return damaged(where + " の1行目の先頭に UTF-8 の BOM（EF BB BF）があります。記録は Shift_JIS（CP932）で書かれている必要があります。");
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return damaged(where + " は UTF-16 で書かれています（先頭に BOM " + hexBytes(bytes.substr(0, 2))
                       + "）。記録は Shift_JIS（CP932）で書かれている必要があります。");

    RecordFieldReader fields(bytes);
    const std::optional<std::string_view> name = fields.next();
    if (!name)
        return damaged(where + " が空です。");
    const int nameLine = fields.valueLine();
    const std::optional<std::string_view> score = fields.next();
    if (!score)
        return damaged(where + " に" + lineName(nameLine + 1) + "（スコア）がありません。");
    const int scoreLine = fields.valueLine();

    if (const auto offset = ShiftJisCodec::firstUndecodable(*name))
        return damaged(undecodable(where, nameLine, "名前", *name, *offset));
    if (const auto offset = ShiftJisCodec::firstUndecodable(*score))
        return damaged(undecodable(where, scoreLine, "スコア", *score, *offset));
    std::optional<std::string> decodedName = ShiftJisCodec::decode(*name);
    std::optional<std::string> decodedScore = ShiftJisCodec::decode(*score);
    if (!decodedName || !decodedScore)
        return damaged(where + " を Shift_JIS（CP932）として読めません。");

    const auto value = parseBestScore(*decodedScore);
    if (const auto* problem = std::get_if<BestScoreProblem>(&value))
        return damaged(scoreProblem(where + " の" + lineName(scoreLine), *decodedScore, *problem));

    result.status = ScoreReadResult::Status::Ok;
    result.record = {std::move(*decodedName), std::move(*decodedScore)};
    return result;
}

RecordFormat::Composed RecordFormat::compose(const ScoreRecord& record, const std::string& where)
{
    const std::string badInName = unstorableCharacters(record.name);
    if (!badInName.empty())
        return refused(where + " に保存できない文字が名前にあります: " + characterList(badInName));
    const std::string badInScore = unstorableCharacters(record.score);
    if (!badInScore.empty())
        return refused(where + " に保存できない文字がスコアにあります: " + characterList(badInScore));
    const auto value = parseBestScore(record.score);
    if (const auto* problem = std::get_if<BestScoreProblem>(&value))
        return refused(scoreProblem(where + " ", record.score, *problem) + "保存できません。");

    std::string bytes = "\"" + *ShiftJisCodec::encode(record.name) + "\"\r\n\"" + *ShiftJisCodec::encode(record.score)
                        + "\"\r\n";
    // Written, it could never be read again, and every later game would overwrite it.
    if (bytes.size() > maximumBytes)
        return refused(where + " に保存できません。名前が長すぎます（記録が " + std::to_string(bytes.size())
                       + " バイトになり、上限の " + std::to_string(maximumBytes) + " バイトを超えます）。");
    return {std::move(bytes), {}};
}

std::string RecordFormat::unstorableCharacters(const std::string& text)
{
    std::string unstorable;
    std::vector<std::string_view> listed;
    Utf8Characters characters(text);
    while (!characters.atEnd()) {
        const std::string_view c = characters.next();
        if (std::find(listed.begin(), listed.end(), c) != listed.end())
            continue;
        bool storable = c != "\"" && c != "\r" && c != "\n";
        if (storable) {
            // glibc maps some characters onto one another (〜 U+301C is stored as ～ U+FF5E);
            // only a character that decodes back to itself is kept as typed.
            const std::optional<std::string> encoded = ShiftJisCodec::encode(c);
            const std::optional<std::string> decoded = encoded ? ShiftJisCodec::decode(*encoded) : std::nullopt;
            storable = decoded && *decoded == c;
        }
        if (!storable) {
            unstorable += c;
            listed.push_back(c);
        }
    }
    return unstorable;
}
