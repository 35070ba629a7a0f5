#include "platform/RegularFile.h"

#include "tests/fakes/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Only a regular file is ever opened for reading, and nothing makes the open wait: a FIFO
// without a writer would block an ordinary open() for good.
TEST(RegularFileTest, opensOnlyARegularFileAndNeverWaits)
{
    using Outcome = RegularFile::Outcome;
    using Links = RegularFile::Links;
    const TemporaryDirectory folder;
    const std::string path = folder.path() + "/entry";
    const std::string file = folder.path() + "/file";
    struct Case {
        const char* what;
        std::function<void()> arrange;
        Links links;
        Outcome outcome;
        mode_t type;  // what mode() tells
    };
    const Case cases[] = {
        {"a regular file", [&] { std::ofstream(path) << "abc"; }, Links::Refuse, Outcome::Opened, S_IFREG},
        {"nothing", [] {}, Links::Follow, Outcome::Missing, 0},
        {"a FIFO no one writes", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, Links::Follow, Outcome::NotRegular,
         S_IFIFO},
        {"a folder", [&] { fs::create_directory(path); }, Links::Follow, Outcome::NotRegular, S_IFDIR},
        {"a link to /dev/null", [&] { fs::create_symlink("/dev/null", path); }, Links::Follow, Outcome::NotRegular,
         S_IFCHR},
        {"a link to a FIFO",
         [&] {
             ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
             fs::create_symlink("file", path);
         },
         Links::Follow, Outcome::NotRegular, S_IFIFO},
        {"a followed link to a file",
         [&] {
             std::ofstream(file) << "abc";
             fs::create_symlink("file", path);
         },
         Links::Follow, Outcome::Opened, S_IFREG},
        {"a refused link to a file",
         [&] {
             std::ofstream(file) << "abc";
             fs::create_symlink("file", path);
         },
         Links::Refuse, Outcome::NotRegular, S_IFLNK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        fs::remove_all(file);
        c.arrange();

        const RegularFile opened = RegularFile::open(path, c.links);

        EXPECT_EQ(opened.outcome(), c.outcome);
        if (c.outcome == Outcome::NotRegular || c.outcome == Outcome::Opened) {
            EXPECT_EQ(opened.mode() & S_IFMT, c.type);
        }
        if (c.outcome == Outcome::Opened) {
            EXPECT_EQ(opened.size(), 3);
            char bytes[8] = {};
            EXPECT_EQ(opened.read(bytes, sizeof bytes), 3) << "a short file ends the read";
            EXPECT_EQ(std::string(bytes), "abc");
        } else {
            EXPECT_EQ(opened.fd(), -1);
        }
    }

    std::ofstream(file) << "abc";
    const RegularFile underAFile = RegularFile::open(file + "/entry");
    EXPECT_EQ(underAFile.outcome(), Outcome::Failed);
    EXPECT_EQ(underAFile.error(), ENOTDIR);
}

} // namespace
