#pragma once

#include <string>

// Writes every byte to the open descriptor, going on after short writes and interruptions.
// False on the first real error, with errno telling which.
bool writeAll(int fd, const std::string& bytes);
