#pragma once

#include <string>

// The desktop shell: opens an address with the user's default handler. Returns at once; the
// program never learns whether it worked.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const std::string& address) = 0;
};
