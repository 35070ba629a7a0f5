#pragma once

#include <string>
#include <string_view>

// Writes characters for a message to the player: each one in 「」 brackets, separated by 、,
// with the invisible line-end characters named instead of shown.
std::string characterList(std::string_view utf8Characters);
