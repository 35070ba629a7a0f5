#include "platform/MediaCommand.h"

const char* toString(MediaCommand command)
{
    switch (command) {
    case MediaCommand::Open: return "Open";
    case MediaCommand::Close: return "Close";
    case MediaCommand::Play: return "Play";
    case MediaCommand::Stop: return "Stop";
    case MediaCommand::Prev: return "Prev";
    }
    return "?";
}
