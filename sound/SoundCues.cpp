#include "sound/SoundCues.h"

namespace {

void playFromStart(MediaDevice& device)
{
    device.command(MediaCommand::Stop);
    device.command(MediaCommand::Prev);
    device.command(MediaCommand::Play);
}

} // namespace

SoundCues::SoundCues(MediaDevice& mciStart, MediaDevice& mciKaiten, MediaDevice& mciBGM, MediaDevice& mciGoal)
    : mciStart_(mciStart), mciKaiten_(mciKaiten), mciBGM_(mciBGM), mciGoal_(mciGoal)
{
}

void SoundCues::open(const std::string& dataDirectory)
{
    mciStart_.setFileName(dataDirectory + "/start.wav");
    mciKaiten_.setFileName(dataDirectory + "/kaiten.wav");
    mciBGM_.setFileName(dataDirectory + "/bgm.mid");
    mciGoal_.setFileName(dataDirectory + "/goal.mid");
    for (MediaDevice* device : {&mciStart_, &mciKaiten_, &mciBGM_, &mciGoal_})
        device->command(MediaCommand::Open);
}

void SoundCues::PlaySound(const std::string& cue)
{
    if (cue == "Start") {
        playFromStart(mciStart_);
    } else if (cue == "BGM") {
        mciGoal_.command(MediaCommand::Stop);
        playFromStart(mciBGM_);
    } else if (cue == "Goal") {
        mciBGM_.command(MediaCommand::Stop);
        playFromStart(mciGoal_);
    }
}

void SoundCues::restartRotation()
{
    mciKaiten_.command(MediaCommand::Prev);
    mciKaiten_.command(MediaCommand::Play);
}

void SoundCues::close()
{
    for (MediaDevice* device : {&mciKaiten_, &mciStart_, &mciBGM_, &mciGoal_})
        device->command(MediaCommand::Close);
}
