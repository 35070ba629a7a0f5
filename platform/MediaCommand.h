#pragma once

// The five command words a media device understands.
enum class MediaCommand {
    Open,   // open the named file
    Close,  // release it, ending any playing
    Play,   // play from the current position; returns at once
    Stop,   // stop playing, keeping the position
    Prev,   // move the position back to the start
};

const char* toString(MediaCommand command);
