#pragma once

#include <vector>

// The start and right-key sound: two bell-like notes a fourth apart, rising, 0.36 s.
// It sounds from the first sample and fades to exactly zero at the end.
class StartChime {
public:
    static std::vector<double> render(int sampleRate);
};
