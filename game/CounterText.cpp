#include "game/CounterText.h"

#include "game/GameState.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

double counterValue(const std::string& caption)
{
    char* end = nullptr;
    const double value = std::strtod(caption.c_str(), &end);
    return end == caption.c_str() ? 0.0 : value;
}

std::string addToCounter(const std::string& caption, double amount)
{
    const double sum = counterValue(caption) + amount;
    char text[64];
    if (sum == std::floor(sum) && std::fabs(sum) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", sum);
    else
        std::snprintf(text, sizeof text, "%.15g", sum);
    return text;
}

std::string stopsLeftCaption(int stopsSoFar)
{
    return "あと" + std::to_string(GameState::kStopsPerGame - stopsSoFar) + "回";
}
