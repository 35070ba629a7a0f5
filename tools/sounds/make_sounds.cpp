// Writes the game's four sound files into the given directory. The output depends on
// nothing but this program, so running it again reproduces the same bytes.
#include "tools/sounds/BackgroundMusic.h"
#include "tools/sounds/GoalFanfare.h"
#include "tools/sounds/ReelWhirr.h"
#include "tools/sounds/StartChime.h"
#include "tools/sounds/WaveWriter.h"

#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_sounds <assets directory>\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    if (!std::filesystem::is_directory(directory)) {
        std::cerr << "make_sounds: " << directory.string() << " is not a directory\n";
        return 1;
    }
    try {
        constexpr int sampleRate = 44100;
        const WaveWriter wave(sampleRate);
        const auto writeWave = [&](const char* name, const std::vector<double>& samples) {
            wave.write(directory / name, samples);
            std::cout << name << ": " << samples.size() << " samples, "
                      << static_cast<double>(samples.size()) / sampleRate << " s\n";
        };
        const auto writeMidi = [&](const char* name, const MidiFileWriter& song) {
            song.write(directory / name);
            std::cout << name << ": " << song.trackCount() << " tracks, " << song.endTick() << " ticks\n";
        };
        writeWave("start.wav", StartChime::render(sampleRate));
        writeWave("kaiten.wav", ReelWhirr::render(sampleRate));
        writeMidi("bgm.mid", BackgroundMusic::compose());
        writeMidi("goal.mid", GoalFanfare::compose());
    } catch (const std::exception& error) {
        std::cerr << "make_sounds: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
