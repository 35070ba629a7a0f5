#include "platform/AtomicWrite.h"

#include "platform/AtomicFileWriter.h"

namespace {

std::optional<std::string> writeAndCommit(AtomicFileWriter& writer, std::string_view bytes)
{
    if (auto problem = writer.write(bytes))
        return problem;
    return writer.commit();
}

} // namespace

std::optional<std::string> AtomicWrite::replace(const std::string& path, std::string_view bytes)
{
    AtomicFileWriter writer;
    if (auto problem = writer.open(path))
        return problem;
    return writeAndCommit(writer, bytes);
}

std::optional<std::string> AtomicWrite::createIfAbsent(const std::string& path, std::string_view bytes)
{
    AtomicFileWriter writer;
    if (auto problem = writer.openFirstCopy(path))
        return problem;
    return writeAndCommit(writer, bytes);
}
