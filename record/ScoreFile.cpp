#include "record/ScoreFile.h"

#include "record/BestScoreValue.h"
#include "record/CharacterList.h"
#include "record/DirectoryLock.h"
#include "record/RecordFieldReader.h"
#include "record/ShiftJisCodec.h"
#include "record/Utf8Characters.h"
#include "record/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

std::string reason(int error) { return std::system_category().message(error); }

// Keeps a quoted piece of a damaged file short enough for a message box.
std::string excerpt(const std::string& text)
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

struct ReadOutcome {
    std::optional<std::string> bytes;  // nullopt: see problem (empty problem: there is no file)
    std::string problem;
};

std::string kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "フォルダー";
    if (S_ISFIFO(mode))
        return "FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "デバイス";
    if (S_ISSOCK(mode))
        return "ソケット";
    return "特殊なファイル";
}

// O_NONBLOCK keeps open() from waiting for a writer on a FIFO; the file is then only read if it
// turns out to be a regular one, so a link to a device or a pipe is never read from. A link to
// a regular file is followed: the player may keep the record elsewhere.
ReadOutcome readAll(const std::string& path)
{
    ReadOutcome outcome;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            outcome.problem = path + " を読めません（" + reason(errno) + "）。";
        return outcome;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        outcome.problem = path + " を読めません（" + reason(errno) + "）。";
        ::close(fd);
        return outcome;
    }
    if (!S_ISREG(status.st_mode)) {
        outcome.problem = path + " は記録のファイルではありません（" + kindOf(status.st_mode) + "）。";
        ::close(fd);
        return outcome;
    }
    const auto tooLarge = [&path](long long size) {
        return path + " は記録のファイルとしては大きすぎます（" + std::to_string(size) + " バイト、上限 "
               + std::to_string(ScoreFile::maximumBytes) + " バイト）。";
    };
    if (status.st_size > static_cast<off_t>(ScoreFile::maximumBytes)) {
        outcome.problem = tooLarge(status.st_size);
        ::close(fd);
        return outcome;
    }

    // The file may grow while it is read: never more than one byte past the limit is taken.
    std::string bytes;
    char buffer[4096];
    while (bytes.size() <= ScoreFile::maximumBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            outcome.problem = path + " を読めません（" + reason(errno) + "）。";
            ::close(fd);
            return outcome;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (bytes.size() > ScoreFile::maximumBytes) {
        outcome.problem = tooLarge(static_cast<long long>(bytes.size()));
        return outcome;
    }
    outcome.bytes = std::move(bytes);
    return outcome;
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A save writes "<name>.<pid>.<n>.tmp" beside the record. This gives the pid of such a name.
std::optional<pid_t> writerOfTemporary(std::string_view entry, std::string_view baseName)
{
    if (entry.size() <= baseName.size() + 1 || entry.substr(0, baseName.size()) != baseName
        || entry[baseName.size()] != '.')
        return std::nullopt;
    entry.remove_prefix(baseName.size() + 1);
    constexpr std::string_view suffix = ".tmp";
    if (entry.size() <= suffix.size() || entry.substr(entry.size() - suffix.size()) != suffix)
        return std::nullopt;
    entry.remove_suffix(suffix.size());
    const std::size_t dot = entry.find('.');
    if (dot == std::string_view::npos || !allDigits(entry.substr(0, dot)) || !allDigits(entry.substr(dot + 1))
        || dot > 9)
        return std::nullopt;
    return static_cast<pid_t>(std::stol(std::string(entry.substr(0, dot))));
}

// A save killed between creating its temporary file and renaming it leaves the file behind.
// Only files of this program's naming whose writer no longer runs are removed; one whose
// writer lives may be a save in progress.
void removeLeftoversOf(const std::string& path)
{
    DIR* directory = ::opendir(directoryOf(path).c_str());
    if (directory == nullptr)
        return;
    const std::string baseName = baseNameOf(path);
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(directory)) {
        const std::optional<pid_t> writer = writerOfTemporary(entry->d_name, baseName);
        if (writer && *writer > 0 && ::kill(*writer, 0) != 0 && errno == ESRCH)
            leftovers.emplace_back(entry->d_name);
    }
    ::closedir(directory);
    for (const std::string& leftover : leftovers)
        ::unlink((directoryOf(path) + "/" + leftover).c_str());
}

// Writes bytes beside path and renames them over it. rename() replaces the name in one step,
// so a crash, a full disk or a killed process leaves the old file or the new one.
// Returns 0 or the errno of the step that failed; the temporary file never survives a failure.
int replaceAtomically(const std::string& path, const std::string& bytes)
{
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = path + "." + std::to_string(::getpid()) + "." + std::to_string(attempt) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            return errno;
    }

    // The new file keeps the old one's permissions for group and others, but its owner must
    // always be able to read and write it: a record saved unreadable would be lost at the next
    // start. Without an old file the umask decides the rest.
    struct stat status {};
    mode_t mode = 0600;
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        mode = status.st_mode & 0777;
    else if (::fstat(fd, &status) == 0)
        mode = status.st_mode & 0777;
    ::fchmod(fd, mode | S_IRUSR | S_IWUSR);

    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }

    // Makes the rename itself durable. The record is already in place, so a failure here
    // is not reported.
    const int directory = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return 0;
}

// Lower is better, and 0 means that no record has been set.
bool beats(std::int32_t stored, std::int32_t candidate)
{
    return stored > 0 && (candidate == 0 || stored < candidate);
}

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
std::string undecodable(const std::string& file, int line, const char* field, std::string_view value,
                        std::size_t offset)
{
    // A lead byte and the byte after it are shown together, as they were meant as one character.
    const auto first = offset < value.size() ? static_cast<unsigned char>(value[offset]) : 0;
    const bool lead = (first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xFC);
    const std::string_view bytes = value.substr(std::min(offset, value.size()), lead ? 2 : 1);
    if (bytes.empty())
        return file + " の" + lineName(line) + "（" + field + "）を Shift_JIS（CP932）として読めません。";
    return file + " の" + lineName(line) + "（" + field + "）に Shift_JIS（CP932）として読めないバイト "
           + hexBytes(bytes) + " があります（" + std::to_string(offset + 1) + " バイト目）。";
}

// `where` names the place of the score: the file and, for a file that was read, its line.
std::string scoreProblem(const std::string& where, const std::string& score, BestScoreProblem problem)
{
    switch (problem) {
    case BestScoreProblem::Empty:
        return where + "のスコアが空です。";
    case BestScoreProblem::OutOfRange:
        return where + "のスコア「" + excerpt(score) + "」が扱える範囲を超えています。";
    case BestScoreProblem::Negative:
        return where + "のスコア「" + excerpt(score) + "」が負の数です。";
    case BestScoreProblem::NotANumber:
        break;
    }
    return where + "のスコア「" + excerpt(score) + "」が数値ではありません。";
}

} // namespace

ScoreFile::ScoreFile(std::string path)
    : path_(std::move(path))
{
}

ScoreReadResult ScoreFile::read() const
{
    ReadOutcome outcome = readAll(path_);
    if (!outcome.bytes) {
        ScoreReadResult result;
        if (!outcome.problem.empty()) {
            result.status = ScoreReadResult::Status::Damaged;
            result.problem = std::move(outcome.problem);
        }
        return result;
    }
    return parse(*outcome.bytes, path_);
}

ScoreReadResult ScoreFile::parse(std::string_view bytes, const std::string& path)
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
        return damaged(path + " の1行目の先頭に UTF-8 の BOM（EF BB BF）があります。記録は Shift_JIS（CP932）で書かれている必要があります。");
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return damaged(path + " は UTF-16 で書かれています（先頭に BOM " + hexBytes(bytes.substr(0, 2))
                       + "）。記録は Shift_JIS（CP932）で書かれている必要があります。");

    RecordFieldReader fields(bytes);
    const std::optional<std::string_view> name = fields.next();
    if (!name)
        return damaged(path + " が空です。");
    const int nameLine = fields.valueLine();
    const std::optional<std::string_view> score = fields.next();
    if (!score)
        return damaged(path + " に" + lineName(nameLine + 1) + "（スコア）がありません。");
    const int scoreLine = fields.valueLine();

    if (const auto offset = ShiftJisCodec::firstUndecodable(*name))
        return damaged(undecodable(path, nameLine, "名前", *name, *offset));
    if (const auto offset = ShiftJisCodec::firstUndecodable(*score))
        return damaged(undecodable(path, scoreLine, "スコア", *score, *offset));
    std::optional<std::string> decodedName = ShiftJisCodec::decode(*name);
    std::optional<std::string> decodedScore = ShiftJisCodec::decode(*score);
    if (!decodedName || !decodedScore)
        return damaged(path + " を Shift_JIS（CP932）として読めません。");

    const auto value = parseBestScore(*decodedScore);
    if (const auto* problem = std::get_if<BestScoreProblem>(&value))
        return damaged(scoreProblem(path + " の" + lineName(scoreLine), *decodedScore, *problem));

    result.status = ScoreReadResult::Status::Ok;
    result.record = {std::move(*decodedName), std::move(*decodedScore)};
    return result;
}

std::optional<std::string> ScoreFile::write(const ScoreRecord& record) const
{
    const std::string badInName = unstorableCharacters(record.name);
    if (!badInName.empty())
        return path_ + " に保存できない文字が名前にあります: " + characterList(badInName);

    // A score that could not be read back would leave a damaged file behind.
    const std::string badInScore = unstorableCharacters(record.score);
    if (!badInScore.empty())
        return path_ + " に保存できない文字がスコアにあります: " + characterList(badInScore);
    const auto value = parseBestScore(record.score);
    if (const auto* problem = std::get_if<BestScoreProblem>(&value))
        return scoreProblem(path_ + " ", record.score, *problem) + "保存できません。";

    // Another copy of the program may be saving into the same folder. Between its reading and
    // its renaming nobody else may write, or the worse of two records could land last.
    // A folder the player may write into but not list cannot be locked; the save then goes on
    // unlocked, as it always could.
    const DirectoryLock lock(directoryOf(path_), std::chrono::seconds(1));
    if (!lock.locked() && lock.error() != EACCES) {
        if (lock.error() == EWOULDBLOCK)
            return path_ + " はほかの Zumikko が保存中のため、保存できませんでした。もう一度 OK を押してください。";
        return path_ + " に保存できませんでした（" + reason(lock.error()) + "）。";
    }
    removeLeftoversOf(path_);

    const ScoreReadResult onFile = read();
    if (onFile.status == ScoreReadResult::Status::Ok) {
        const std::optional<std::int32_t> stored = bestScoreValue(onFile.record.score);
        if (stored && beats(*stored, std::get<std::int32_t>(value)))
            return path_ + " には、この記録より良い記録（" + excerpt(onFile.record.name) + "　"
                   + excerpt(onFile.record.score) + "）が後から保存されています。この記録は保存しません。";
    }

    const std::string bytes = "\"" + *ShiftJisCodec::encode(record.name) + "\"\r\n\""
                              + *ShiftJisCodec::encode(record.score) + "\"\r\n";
    const int error = replaceAtomically(path_, bytes);
    if (error != 0)
        return path_ + " に保存できませんでした（" + reason(error) + "）。";
    return std::nullopt;
}

void ScoreFile::removeLeftoverTemporaries() const
{
    removeLeftoversOf(path_);
}

std::string ScoreFile::unstorableCharacters(const std::string& name)
{
    std::string unstorable;
    std::vector<std::string_view> listed;
    Utf8Characters characters(name);
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
