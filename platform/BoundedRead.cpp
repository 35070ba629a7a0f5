#include "platform/BoundedRead.h"

#include "platform/RegularFile.h"

#include <cerrno>

namespace {

BoundedRead failed(BoundedRead::Outcome outcome, int error = 0)
{
    BoundedRead result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

} // namespace

BoundedRead readBounded(const std::string& path, std::size_t maximumBytes)
{
    const RegularFile file = RegularFile::open(path);
    BoundedRead result;
    switch (file.outcome()) {
    case RegularFile::Outcome::Missing:
        return failed(BoundedRead::Outcome::Missing, file.error());
    case RegularFile::Outcome::Failed:
        return failed(BoundedRead::Outcome::Failed, file.error());
    case RegularFile::Outcome::NotRegular:
        result.outcome = BoundedRead::Outcome::NotRegular;
        result.mode = file.mode();
        return result;
    case RegularFile::Outcome::Opened:
        break;
    }
    if (file.size() > static_cast<long long>(maximumBytes)) {
        result.outcome = BoundedRead::Outcome::TooLarge;
        result.size = file.size();
        return result;
    }
    result.outcome = BoundedRead::Outcome::Read;
    char buffer[4096];
    while (result.bytes.size() <= maximumBytes) {
        const long long got = file.read(buffer, sizeof buffer);
        if (got < 0)
            return failed(BoundedRead::Outcome::Failed, errno);
        result.bytes.append(buffer, static_cast<std::size_t>(got));
        if (got < static_cast<long long>(sizeof buffer))
            break;
    }
    if (result.bytes.size() > maximumBytes) {
        result.outcome = BoundedRead::Outcome::TooLarge;
        result.size = static_cast<long long>(result.bytes.size());
        result.bytes.clear();
    }
    return result;
}
