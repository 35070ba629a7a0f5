#pragma once

#include <string_view>

// Writes every byte to the open descriptor, going on after short writes and interruptions.
// False on the first real error, with errno telling which.
bool writeAll(int fd, std::string_view bytes);
