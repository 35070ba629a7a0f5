#pragma once

#include <string>

// Where this copy of the program keeps the best-score record. A folder that holds the program
// and a score.dat it may write keeps the record there, so a build or a copied folder plays as it
// always did. An installed program keeps one record per player in the player's own data folder,
// made from the delivered record the first time it is needed.
class RecordLocation {
public:
    // playerDirectory: the player's folder for the record (PlayerFolders::recordDirectory), created when
    // missing; empty when the player has none. deliveredRecord: the score.dat that came with the
    // program. A record the player already has is never replaced, even when a second copy of the
    // program makes it at the same moment. Temporary files that killed saves and first copies
    // left beside the record are removed.
    static RecordLocation choose(const std::string& programDirectory, const std::string& playerDirectory,
                                 const std::string& deliveredRecord);

    const std::string& path() const { return path_; }
    // Why the player's record could not be made from the delivered one; empty when all went well.
    // The game goes on without a record then, and saving reports its own trouble.
    const std::string& problem() const { return problem_; }

private:
    RecordLocation(std::string path, std::string problem);
    static RecordLocation prepare(const std::string& programDirectory, const std::string& playerDirectory,
                                  const std::string& deliveredRecord);

    std::string path_;
    std::string problem_;
};
