#include "record/CharacterList.h"

#include "record/Utf8Characters.h"

std::string characterList(std::string_view utf8Characters)
{
    std::string list;
    Utf8Characters characters(utf8Characters);
    while (!characters.atEnd()) {
        const std::string_view c = characters.next();
        if (!list.empty())
            list += "、";
        if (c == "\r")
            list += "改行 (CR)";
        else if (c == "\n")
            list += "改行 (LF)";
        else
            list.append("「").append(c).append("」");
    }
    return list;
}
