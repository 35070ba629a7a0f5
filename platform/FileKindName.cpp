#include "platform/FileKindName.h"

#include <sys/stat.h>

std::string fileKindName(mode_t mode)
{
    if (S_ISDIR(mode))
        return "フォルダー";
    if (S_ISFIFO(mode))
        return "FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "デバイス";
    if (S_ISSOCK(mode))
        return "ソケット";
    if (S_ISLNK(mode))
        return "シンボリックリンク";
    return "特殊なファイル";
}
