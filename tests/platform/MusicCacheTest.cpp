#include "platform/CachingMidiRenderer.h"
#include "platform/MusicCache.h"

#include "tests/fakes/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <span>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::int16_t> song(std::size_t samples, std::int16_t seed = 1)
{
    std::vector<std::int16_t> pcm(samples);
    for (std::size_t i = 0; i < samples; ++i)
        pcm[i] = static_cast<std::int16_t>(seed * 37 + static_cast<int>(i % 5000) - 2500);
    return pcm;
}

// The whole entry, read as the caching renderer reads it; nothing on a miss.
std::optional<std::vector<std::int16_t>> load(const MusicCache& cache, const std::string& name, std::uint64_t key)
{
    std::vector<std::int16_t> pcm;
    const bool loaded = cache.loadInto(name, key, [&pcm](std::size_t samples) {
        pcm.resize(samples);
        return std::span<std::int16_t>(pcm);
    });
    if (!loaded)
        return std::nullopt;
    return pcm;
}

void overwriteByte(const std::string& path, std::streamoff at, char value)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(at);
    file.put(value);
}

// Every way an entry can be spoiled, each must read as a miss and be healed by the next store.
TEST(MusicCache, anEntryThatIsNotExactlyWhatWasStoredIsAMissAndTheNextStoreReplacesIt)
{
    constexpr std::uint64_t key = 0x1234;
    const auto pcm = song(1000);
    struct Damage {
        const char* name;
        std::function<void(const std::string& entry)> spoil;
    };
    const std::vector<Damage> damages = {
        {"truncated", [](const std::string& e) { fs::resize_file(e, fs::file_size(e) - 2); }},
        {"cut inside the header", [](const std::string& e) { fs::resize_file(e, 20); }},
        {"longer than announced", [](const std::string& e) { std::ofstream(e, std::ios::app) << "xx"; }},
        {"one sample flipped", [](const std::string& e) { overwriteByte(e, 40 + 100, 0x55); }},
        {"another format version", [](const std::string& e) { overwriteByte(e, 8, 2); }},
        {"another key inside", [](const std::string& e) { overwriteByte(e, 16, 0x35); }},
        {"wrong magic", [](const std::string& e) { overwriteByte(e, 0, 'X'); }},
        {"sample count of the other size", [](const std::string& e) { overwriteByte(e, 24, char(0xE9)); }},
        {"a FIFO", [](const std::string& e) { fs::remove(e); ASSERT_EQ(mkfifo(e.c_str(), 0600), 0); }},
        {"a link to /dev/zero", [](const std::string& e) { fs::remove(e); fs::create_symlink("/dev/zero", e); }},
        {"a directory", [](const std::string& e) { fs::remove(e); fs::create_directory(e); }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        const TemporaryDirectory directory;
        const MusicCache cache(directory.path() + "/zumikko");
        cache.store("bgm.mid", key, pcm);
        ASSERT_EQ(load(cache, "bgm.mid", key), pcm) << "a fresh entry reads back as stored";
        damage.spoil(cache.entryPath("bgm.mid", key));
        EXPECT_FALSE(load(cache, "bgm.mid", key));
        if (fs::is_directory(cache.entryPath("bgm.mid", key)))
            continue;  // rename cannot replace a directory; the cache just goes on missing
        cache.store("bgm.mid", key, pcm);
        EXPECT_EQ(load(cache, "bgm.mid", key), pcm) << "the next store heals it";
    }
}

TEST(MusicCache, eachSongKeepsTheEntryJustStoredAndTheOneUsedBeforeIt)
{
    const TemporaryDirectory directory;
    const MusicCache cache(directory.path());
    for (std::uint64_t key = 1; key <= 4; ++key) {
        cache.store("bgm.mid", key, song(100, static_cast<std::int16_t>(key)));
        cache.store("goal.mid", key, song(100, static_cast<std::int16_t>(key)));
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names.size(), 4u);
    for (const char* songName : {"bgm.mid", "goal.mid"}) {
        EXPECT_TRUE(load(cache, songName, 4));
        EXPECT_TRUE(load(cache, songName, 3));
        EXPECT_FALSE(load(cache, songName, 2));
    }
}

TEST(MusicCache, aFolderThatCannotBeWrittenMeansNoCacheAndNoComplaint)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes everywhere; a file in the way stands in below";
    const TemporaryDirectory directory;
    fs::permissions(directory.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const MusicCache cache(directory.path() + "/zumikko");
    cache.store("bgm.mid", 1, song(100));
    EXPECT_FALSE(load(cache, "bgm.mid", 1));
    fs::permissions(directory.path(), fs::perms::owner_all);
}

TEST(MusicCache, aFileWhereTheFolderShouldBeMeansNoCache)
{
    const TemporaryDirectory directory;
    std::ofstream(directory.path() + "/zumikko") << "not a folder";
    const MusicCache cache(directory.path() + "/zumikko");
    testing::internal::CaptureStderr();
    cache.store("bgm.mid", 1, song(100));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(load(cache, "bgm.mid", 1));
}

// Counts how often it really renders; its "music" depends on the file's bytes.
class CountingRenderer final : public MidiRenderer {
public:
    explicit CountingRenderer(std::string soundFont) : MidiRenderer(std::move(soundFont)) {}
    Streamed stream(const std::string& path, int, std::stop_token, Sink& sink) const override
    {
        ++renders;
        std::ifstream file(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), {});
        if (bytes.empty())
            return {0, "no such song"};
        // Room to spare after the song, as a real rendering reserves for its tail.
        const auto room = sink.reserve(bytes.size() + 6);
        std::copy(bytes.begin(), bytes.end(), room.begin());
        sink.rendered(bytes.size());
        return {bytes.size(), {}};
    }
    std::string settingsKey(int frequency) const override { return settings + std::to_string(frequency); }
    mutable std::atomic<int> renders{0};
    std::string settings = "v1";
};

TEST(CachingMidiRenderer, rendersOncePerSongSoundfontAndSettingsAndReadsTheCacheOtherwise)
{
    const TemporaryDirectory directory;
    const std::string midi = directory.path() + "/bgm.mid";
    const std::string font = directory.path() + "/font.sf2";
    std::ofstream(midi) << "MThd first song";
    std::ofstream(font) << "soundfont";
    auto inner = std::make_shared<CountingRenderer>(font);
    const CachingMidiRenderer renderer(inner, MusicCache(directory.path() + "/cache"));
    const auto render = [&] { return renderer.render(midi, 44100, {}).pcm; };

    const auto first = render();
    EXPECT_EQ(render(), first);
    EXPECT_EQ(inner->renders, 1) << "the second launch should read the cache";

    struct Change {
        const char* name;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"the song's bytes", [&] { std::ofstream(midi) << "MThd other song"; }},
        {"the soundfont's size", [&] { std::ofstream(font, std::ios::app) << "more"; }},
        {"the soundfont's modification time",
         [&] { fs::last_write_time(font, fs::last_write_time(font) - std::chrono::hours(1)); }},
        {"the renderer's settings", [&] { inner->settings = "v2"; }},
        {"a damaged entry", [&] {
             for (const auto& entry : fs::directory_iterator(directory.path() + "/cache"))
                 fs::resize_file(entry.path(), 41);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        const int before = inner->renders;
        change.apply();
        render();
        EXPECT_EQ(inner->renders, before + 1) << "rendered again";
        render();
        EXPECT_EQ(inner->renders, before + 1) << "and cached again";
    }
    EXPECT_EQ(renderer.render(directory.path() + "/missing.mid", 44100, {}).pcm.size(), 0u);
}

} // namespace
