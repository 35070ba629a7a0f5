#pragma once

#include <string>

// The C library's English text for an errno value, whatever the locale: under a locale of
// another encoding (ja_JP.eucJP) the translated text would not be UTF-8 and would show garbled.
std::string systemErrorText(int error);
