#pragma once

// A second-order filter section (the audio-EQ-cookbook forms), run one sample at a time.
class Biquad {
public:
    static Biquad lowPass(double sampleRate, double frequency, double q);
    static Biquad bandPass(double sampleRate, double frequency, double q);

    double process(double input);

private:
    Biquad(double b0, double b1, double b2, double a0, double a1, double a2);

    double b0_, b1_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};
