#include "platform/SystemErrorText.h"

#include <locale.h>
#include <string.h>

std::string systemErrorText(int error)
{
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr))
        return "errno " + std::to_string(error);
    return ::strerror_l(error, cLocale);
}
