#pragma once

#include <string>

// The score and the miss count live as decimal text in labels: adding reads the caption as a
// number, adds in double precision and writes plain digits back.
std::string addToCounter(const std::string& caption, double amount);
double counterValue(const std::string& caption);

// lblKaisu's caption before the first game and after each.
inline constexpr const char* kIdleKaisuCaption = "Let's Start";

// lblKaisu's caption after `stopsSoFar` of a game's stops: "あと10回" at the start.
std::string stopsLeftCaption(int stopsSoFar);
