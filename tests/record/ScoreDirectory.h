#pragma once

#include <cstdlib>
#include <stdexcept>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A fresh directory for one test, with the place of its score.dat; removed with its contents.
class ScoreDirectory {
public:
    ScoreDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zumikko-record-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary directory");
        directory_ = pattern;
        scoreFile_ = (directory_ / "score.dat").string();
    }
    ~ScoreDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    ScoreDirectory(const ScoreDirectory&) = delete;
    ScoreDirectory& operator=(const ScoreDirectory&) = delete;

    const std::filesystem::path& directory() const { return directory_; }
    const std::string& scoreFile() const { return scoreFile_; }

    void put(const std::string& bytes) const { std::ofstream(scoreFile_, std::ios::binary) << bytes; }

    std::string bytes() const
    {
        std::ifstream in(scoreFile_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(directory_))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path directory_;
    std::string scoreFile_;
};
