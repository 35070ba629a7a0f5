#include "results/HistoryRecorder.h"

#include "results/HistoryStore.h"

HistoryRecorder::HistoryRecorder(HistoryStore& store, WallClock now, Reporter report, std::function<void()> recorded)
    : store_(store), now_(std::move(now)), report_(std::move(report)), recorded_(std::move(recorded))
{
}

void HistoryRecorder::recordFinishedGame(const FinishedGame& game)
{
    FinishedGame stamped = game;
    const WallTime moment = now_();
    stamped.finishedAtMs = moment.sinceEpochMs;
    stamped.utcOffsetMinutes = moment.utcOffsetMinutes;
    waiting_.push_back(std::move(stamped));
    if (store_.usable()) {
        if (const std::string fault = writeWaiting(); fault.empty()) {
            faultTold_ = false;
        } else if (!faultTold_) {
            faultTold_ = true;
            report_("このゲームの成績をまだ " + store_.path() + " に保存できません（" + fault
                    + "）。次のゲームの終わりと、終了するときに、もう一度保存します。");
        }
    }
    if (recorded_)
        recorded_();
}

std::optional<std::string> HistoryRecorder::finish()
{
    if (!store_.usable() || waiting_.empty())
        return std::nullopt;
    if (const std::string fault = writeWaiting(); !fault.empty())
        return std::to_string(waiting_.size()) + " 回分のゲームの成績を " + store_.path() + " に保存できませんでした（"
                + fault + "）。これらの成績は残りません。";
    return std::nullopt;
}

std::string HistoryRecorder::writeWaiting()
{
    std::size_t written = 0;
    std::string fault;
    for (; written < waiting_.size(); ++written) {
        if (const auto problem = store_.record(waiting_[written])) {
            fault = *problem;
            break;
        }
    }
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(written));
    return fault;
}
