#include "tools/sounds/AtomicFile.h"

#include "platform/AtomicWrite.h"

#include <stdexcept>
#include <string_view>

void AtomicFile::write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (const auto problem = AtomicWrite::replace(path.string(), content))
        throw std::runtime_error("cannot replace " + path.string() + ": " + *problem);
}
