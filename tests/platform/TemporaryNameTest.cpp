#include "platform/TemporaryName.h"

#include <gtest/gtest.h>

namespace {

TEST(TemporaryNameTest, onlyTheWritersOwnNamingGivesAPidAndNoLookalikeThrows)
{
    struct Case {
        std::string entry;
        std::optional<pid_t> writer;
    };
    const Case cases[] = {
        {"score.dat.4321.0.tmp", 4321},
        {"score.dat.4321.17.tmp", 4321},
        {"score.dat.4321.0.new", 4321},  // the first copy of the delivered record
        {"score.dat.999999999.0.tmp", 999999999},
        {"score.dat.12345678901234567890.0.tmp", std::nullopt},  // no pid has 20 digits
        {"score.dat.1234567890.0.tmp", std::nullopt},
        {"score.dat.12a4.0.tmp", std::nullopt},
        {"score.dat.abc.0.tmp", std::nullopt},
        {"score.dat.4321.x.tmp", std::nullopt},
        {"score.dat.4321.tmp", std::nullopt},
        {"score.dat..0.tmp", std::nullopt},
        {"score.dat.4321..tmp", std::nullopt},
        {"score.dat.0.0.tmp", std::nullopt},  // kill(0) would ask the whole process group
        {"score.dat.4321.0.tmp.bak", std::nullopt},
        {"score.dat.4321.0.old", std::nullopt},
        {"score.dat.tmp", std::nullopt},
        {"score.dat", std::nullopt},
        {"score.dat4321.0.tmp", std::nullopt},
        {"other.dat.4321.0.tmp", std::nullopt},
        {"xscore.dat.4321.0.tmp", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TemporaryName::writerOf(c.entry, "score.dat"), c.writer) << c.entry;

    for (const auto kind : {TemporaryName::Kind::Replacement, TemporaryName::Kind::FirstCopy})
        EXPECT_EQ(TemporaryName::writerOf(TemporaryName::beside("score.dat", 4321, 3, kind), "score.dat"), 4321);
}

} // namespace
