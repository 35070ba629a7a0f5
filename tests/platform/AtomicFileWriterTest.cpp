#include "platform/AtomicFileWriter.h"
#include "platform/AtomicWrite.h"

#include "tests/fakes/FileSizeLimit.h"
#include "tests/fakes/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class AtomicFileWriterTest : public ::testing::Test {
protected:
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string contentOf(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static mode_t typeOf(const std::string& path)
    {
        struct stat status {};
        return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & S_IFMT : 0;
    }
    void putOld() const { std::ofstream(target_, std::ios::binary) << "old"; }

    const TemporaryDirectory folder_;
    const std::string target_ = folder_.path() + "/history.csv";
};

// Saving over a FIFO or a device must not swap it for a plain file: whatever is not a regular
// file, at the target or where a link there leads, is refused, named, and left as it was.
TEST_F(AtomicFileWriterTest, refusesToReplaceWhatIsNotARegularFileAndLeavesItAsItWas)
{
    const std::string pipe = folder_.path() + "/pipe";
    struct Case {
        const char* what;
        std::function<bool()> arrange;  // false: this system cannot make it
        std::string refused;
        const char* kind;
        bool afterOpen = false;
    };
    const Case cases[] = {
        {"a FIFO", [&] { return ::mkfifo(target_.c_str(), 0600) == 0; }, target_, "FIFO"},
        // The same device as /dev/null, made here so that a fault could never replace the real one.
        {"a device", [&] { return ::mknod(target_.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; }, target_, "デバイス"},
        {"a folder", [&] { return fs::create_directory(target_) && std::ofstream(target_ + "/inside").good(); },
         target_, "フォルダー"},
        {"a link to a FIFO", [&] { return ::mkfifo(pipe.c_str(), 0600) == 0 && ::symlink("pipe", target_.c_str()) == 0; },
         pipe, "FIFO"},
        {"a FIFO put there while the file was written", [&] { return ::mkfifo(target_.c_str(), 0600) == 0; }, target_,
         "FIFO", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& name : entries())
            fs::remove_all(folder_.path() + "/" + name);
        AtomicFileWriter writer;
        std::optional<std::string> problem;
        if (c.afterOpen) {
            ASSERT_EQ(writer.open(target_), std::nullopt);
            ASSERT_TRUE(c.arrange());
        } else if (!c.arrange()) {
            ASSERT_EQ(errno, EPERM) << "only a device node may be beyond this user";
            continue;
        } else {
            problem = writer.open(target_);
        }
        std::vector<std::string> before = entries();
        std::erase_if(before, [](const std::string& name) { return name.ends_with(".tmp"); });
        const mode_t type = typeOf(c.refused);
        const mode_t linkType = typeOf(target_);
        if (c.afterOpen) {
            ASSERT_EQ(writer.write("new"), std::nullopt);
            problem = writer.commit();
        }

        const std::string refusal = c.refused + " は" + c.kind + "で、普通のファイルではありません";
        EXPECT_EQ(problem, refusal) << (c.afterOpen ? "at the commit" : "at open, before anything is written");
        EXPECT_EQ(writer.commit(), refusal);
        EXPECT_EQ(typeOf(c.refused), type);
        EXPECT_EQ(typeOf(target_), linkType) << "a link stays a link";
        EXPECT_EQ(entries(), before) << "no temporary file is left";
    }
}

// Until the commit the old file stands whole; after it, every chunk is in place of it.
TEST_F(AtomicFileWriterTest, aCommittedWriteHoldsEveryChunkInPlaceOfTheOldFile)
{
    putOld();
    const std::string large(1 << 20, 'x');
    AtomicFileWriter writer;
    ASSERT_EQ(writer.open(target_), std::nullopt);
    for (const std::string& chunk : {std::string("head,"), large, std::string(",tail")})
        ASSERT_EQ(writer.write(chunk), std::nullopt);
    EXPECT_EQ(entries().size(), 2u) << "the temporary file beside the target";
    EXPECT_EQ(contentOf(target_), "old");

    ASSERT_EQ(writer.commit(), std::nullopt);

    EXPECT_EQ(contentOf(target_), "head," + large + ",tail");
    EXPECT_EQ(entries(), std::vector<std::string>{"history.csv"});
}

// A player may keep the file elsewhere and leave a link in its place: the file it leads to gets
// the new bytes and the link stays. A file only the program keeps has its name itself replaced.
TEST_F(AtomicFileWriterTest, aLinkIsFollowedToTheFileItLeadsToUnlessTheNameItselfIsReplaced)
{
    const std::string real = folder_.path() + "/real.csv";
    for (const auto replace : {AtomicFileWriter::Replace::RegularFile, AtomicFileWriter::Replace::Name}) {
        fs::remove(target_);
        std::ofstream(real, std::ios::binary) << "old";
        fs::create_symlink("real.csv", target_);
        AtomicFileWriter writer;
        ASSERT_EQ(writer.open(target_, replace), std::nullopt);
        ASSERT_EQ(writer.write("new"), std::nullopt);
        ASSERT_EQ(writer.commit(), std::nullopt);
        const bool follows = replace == AtomicFileWriter::Replace::RegularFile;
        EXPECT_EQ(fs::is_symlink(target_), follows);
        EXPECT_EQ(contentOf(real), follows ? "new" : "old");
        EXPECT_EQ(contentOf(target_), "new");
        EXPECT_EQ(entries().size(), 2u);
    }
}

TEST_F(AtomicFileWriterTest, aWriterAbandonedOrGoneWithoutACommitLeavesTheOldFileAndNoTemporary)
{
    struct Case {
        const char* what;
        std::function<void(AtomicFileWriter&)> leave;
    };
    const Case cases[] = {
        {"abandoned", [](AtomicFileWriter& writer) { writer.abandon(); }},
        {"destroyed", [](AtomicFileWriter&) {}},
        {"opened again elsewhere", [&](AtomicFileWriter& writer) {
             ASSERT_EQ(writer.open(folder_.path() + "/other.csv"), std::nullopt);
             writer.abandon();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        putOld();
        {
            AtomicFileWriter writer;
            ASSERT_EQ(writer.open(target_), std::nullopt);
            ASSERT_EQ(writer.write("new"), std::nullopt);
            ASSERT_EQ(entries().size(), 2u);
            c.leave(writer);
        }
        EXPECT_EQ(contentOf(target_), "old");
        EXPECT_EQ(entries(), std::vector<std::string>{"history.csv"});
    }
}

TEST_F(AtomicFileWriterTest, aWriteThatFailsSaysWhyAndEveryLaterStepSaysTheSame)
{
    putOld();
    AtomicFileWriter writer;
    ASSERT_EQ(writer.open(target_), std::nullopt);
    std::optional<std::string> written;
    {
        const FileSizeLimit limit(8);
        written = writer.write(std::string(64, 'x'));
    }
    EXPECT_EQ(written, "File too large");
    EXPECT_EQ(writer.write("more"), "File too large");
    EXPECT_EQ(writer.commit(), "File too large");
    EXPECT_EQ(contentOf(target_), "old");
    EXPECT_EQ(entries(), std::vector<std::string>{"history.csv"});

    EXPECT_EQ(AtomicWrite::replace(folder_.path() + "/no such folder/x.csv", "new"), "No such file or directory");
}

// Two programs making the same first copy: the one that comes second keeps what stands there.
TEST_F(AtomicFileWriterTest, aFirstCopyNeverReplacesWhatIsAlreadyThere)
{
    ASSERT_EQ(AtomicWrite::createIfAbsent(target_, "first"), std::nullopt);
    ASSERT_EQ(AtomicWrite::createIfAbsent(target_, "second"), std::nullopt);
    EXPECT_EQ(contentOf(target_), "first");
    EXPECT_EQ(entries(), std::vector<std::string>{"history.csv"});
}

} // namespace
