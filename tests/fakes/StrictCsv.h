#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads CSV as RFC 4180 says and nothing looser: every row ends in CR LF, a field is either bare
// (no comma, quote, CR or LF in it) or quoted with its quotes doubled. nullopt for anything else.
inline std::optional<std::vector<std::vector<std::string>>> strictCsvRows(std::string_view text)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::size_t i = 0;
    while (i < text.size()) {
        std::string field;
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size())
                    return std::nullopt;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                if (text[i] == '"' || text[i] == '\n')
                    return std::nullopt;
                field += text[i++];
            }
        }
        row.push_back(std::move(field));
        if (i < text.size() && text[i] == ',') {
            ++i;
            continue;
        }
        if (text.substr(i, 2) != "\r\n")
            return std::nullopt;
        i += 2;
        rows.push_back(std::move(row));
        row.clear();
    }
    return rows;
}
