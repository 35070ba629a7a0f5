#pragma once

#include <string>
#include <sys/types.h>

// What a file that is not a regular file is, in the words a message shows the player:
// "フォルダー", "FIFO", "デバイス", "ソケット", "シンボリックリンク", else "特殊なファイル".
std::string fileKindName(mode_t mode);
