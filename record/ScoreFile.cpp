#include "record/ScoreFile.h"

#include "game/BestScoreValue.h"
#include "platform/AtomicWrite.h"
#include "platform/BoundedRead.h"
#include "platform/FileKindName.h"
#include "platform/FilePath.h"
#include "platform/FinalTarget.h"
#include "platform/LeftoverTemporaries.h"
#include "platform/SystemErrorText.h"
#include "record/RecordFormat.h"

#include <cerrno>

namespace {

ScoreReadResult damaged(std::string problem)
{
    ScoreReadResult result;
    result.status = ScoreReadResult::Status::Damaged;
    result.problem = std::move(problem);
    return result;
}

// Lower is better, and 0 means that no record has been set.
bool beats(std::int32_t stored, std::int32_t candidate)
{
    return stored > 0 && (candidate == 0 || stored < candidate);
}

// Where a save through path lands, or why it cannot be made.
std::string resolveForSaving(const std::string& path, std::string& target)
{
    const FinalTarget final = FinalTarget::of(path);
    switch (final.outcome) {
    case FinalTarget::Outcome::Resolved:
        target = final.path;
        return {};
    case FinalTarget::Outcome::Dangling:
        return path + " は存在しないファイル " + final.path + " へのシンボリックリンクのため、保存できません。";
    case FinalTarget::Outcome::Loop:
        return path + " はシンボリックリンクが循環しているため、保存できません。";
    case FinalTarget::Outcome::Failed:
        break;
    }
    return path + " に保存できませんでした（" + systemErrorText(final.error) + "）。";
}

} // namespace

ScoreFile::ScoreFile(std::string path, DirectoryLock::Pause pauseWhileLocked)
    : path_(std::move(path)), pauseWhileLocked_(std::move(pauseWhileLocked))
{
}

ScoreReadResult ScoreFile::read() const
{
    const BoundedRead file = readBounded(path_, RecordFormat::maximumBytes);
    switch (file.outcome) {
    case BoundedRead::Outcome::Read:
        return RecordFormat::parse(file.bytes, path_);
    case BoundedRead::Outcome::Missing:
        return {};
    case BoundedRead::Outcome::NotRegular:
        return damaged(path_ + " は記録のファイルではありません（" + fileKindName(file.mode) + "）。");
    case BoundedRead::Outcome::TooLarge:
        return damaged(path_ + " は記録のファイルとしては大きすぎます（" + std::to_string(file.size)
                       + " バイト、上限 " + std::to_string(RecordFormat::maximumBytes) + " バイト）。");
    case BoundedRead::Outcome::Failed:
        break;
    }
    // A folder in the path that is a file: the record cannot be there. Whoever chose the place
    // has said so once already.
    if (file.error == ENOTDIR)
        return {};
    return damaged(path_ + " を読めません（" + systemErrorText(file.error) + "）。");
}

std::optional<std::string> ScoreFile::write(const ScoreRecord& record) const
{
    const RecordFormat::Composed composed = RecordFormat::compose(record, path_);
    if (!composed.problem.empty())
        return composed.problem;

    std::string target;
    if (std::string problem = resolveForSaving(path_, target); !problem.empty())
        return problem;
    const std::string folder = FilePath::directoryOf(target);

    // Another copy of the program may be saving into the same folder. Between its reading and
    // its renaming nobody else may write, or the worse of two records could land last.
    // A folder the player may write into but not list cannot be locked; the save then goes on
    // unlocked, as it always could.
    const DirectoryLock lock(folder, kLockPatience, pauseWhileLocked_);
    if (!lock.locked() && lock.error() != EACCES) {
        if (lock.error() == EWOULDBLOCK)
            return path_ + " はほかの Zumikko が保存中のため、保存できませんでした。もう一度 OK を押してください。";
        return path_ + " に保存できませんでした（" + systemErrorText(lock.error()) + "）。";
    }
    LeftoverTemporaries::removeBeside(target);

    const ScoreReadResult onFile = ScoreFile(target).read();
    if (onFile.status == ScoreReadResult::Status::Ok) {
        const std::optional<std::int32_t> stored = bestScoreValue(onFile.record.score);
        const std::optional<std::int32_t> candidate = bestScoreValue(record.score);
        if (stored && candidate && beats(*stored, *candidate))
            return path_ + " には、この記録より良い記録（" + RecordFormat::excerpt(onFile.record.name) + "　"
                   + RecordFormat::excerpt(onFile.record.score) + "）が後から保存されています。この記録は保存しません。";
    }

    if (const auto problem = AtomicWrite::replace(target, composed.bytes))
        return path_ + " に保存できませんでした（" + *problem + "）。";
    return std::nullopt;
}
