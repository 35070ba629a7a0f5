#include "record/ScoreFile.h"

#include "record/BestScoreValue.h"
#include "record/CharacterList.h"
#include "record/RecordFieldReader.h"
#include "record/ShiftJisCodec.h"
#include "record/Utf8Characters.h"

#include <algorithm>
#include <cerrno>
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

std::optional<std::string> readAll(const std::string& path, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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

    // The new file takes over the old one's permissions rather than the defaults.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

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

std::string scoreProblem(const std::string& file, const std::string& score, BestScoreProblem problem)
{
    switch (problem) {
    case BestScoreProblem::Empty:
        return file + " のスコアが空です。";
    case BestScoreProblem::OutOfRange:
        return file + " のスコア「" + excerpt(score) + "」が扱える範囲を超えています。";
    case BestScoreProblem::NotANumber:
        break;
    }
    return file + " のスコア「" + excerpt(score) + "」が数値ではありません。";
}

} // namespace

ScoreFile::ScoreFile(std::string path)
    : path_(std::move(path))
{
}

ScoreReadResult ScoreFile::read() const
{
    ScoreReadResult result;
    const auto damaged = [&result](std::string problem) {
        result.status = ScoreReadResult::Status::Damaged;
        result.problem = std::move(problem);
        return result;
    };

    int error = 0;
    const std::optional<std::string> bytes = readAll(path_, error);
    if (!bytes) {
        if (error == ENOENT)
            return result;
        return damaged(path_ + " を読めません（" + reason(error) + "）。");
    }

    RecordFieldReader fields(*bytes);
    const std::optional<std::string_view> name = fields.next();
    if (!name)
        return damaged(path_ + " が空です。");
    const std::optional<std::string_view> score = fields.next();
    if (!score)
        return damaged(path_ + " にスコアの行がありません。");

    std::optional<std::string> decodedName = ShiftJisCodec::decode(*name);
    if (!decodedName)
        return damaged(path_ + " の名前に Shift_JIS として読めない文字があります。");
    std::optional<std::string> decodedScore = ShiftJisCodec::decode(*score);
    if (!decodedScore)
        return damaged(path_ + " のスコアに Shift_JIS として読めない文字があります。");

    const auto value = parseBestScore(*decodedScore);
    if (const auto* problem = std::get_if<BestScoreProblem>(&value))
        return damaged(scoreProblem(path_, *decodedScore, *problem));

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
        return scoreProblem(path_, record.score, *problem) + "保存できません。";

    const std::string bytes = "\"" + *ShiftJisCodec::encode(record.name) + "\"\r\n\""
                              + *ShiftJisCodec::encode(record.score) + "\"\r\n";
    const int error = replaceAtomically(path_, bytes);
    if (error != 0)
        return path_ + " に保存できませんでした（" + reason(error) + "）。";
    return std::nullopt;
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
