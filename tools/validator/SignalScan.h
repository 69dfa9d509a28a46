#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace brazzle::validator
{
/** Watches output samples for what must never leave the plug-in: NaN, infinity,
    subnormals, and values beyond a bound. */
class SignalScan
{
public:
    /** Full-scale noise in, and at most 24 dB of output gain: the curves saturate near 1
        (the log curve's ceiling is 1.96 · 1.00001), the pass-through curve divides the
        drive out again, so the wet path's steady peak stays below 2 · 15.85 ≈ 32. The
        bound leaves another factor of two for the overshoot of the tone filter, the
        crossover sum, the allpass cascade, the oversampling filters and gain ramps
        crossing during automation. Anything above it is a runaway, not a loud setting. */
    static constexpr float bound = 64.0f;

    void scan (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples);

    bool isClean() const noexcept { return nonFinite == 0 && subnormal == 0 && beyondBound == 0; }
    float getPeak() const noexcept { return peak; }
    juce::int64 getSamplesScanned() const noexcept { return scanned; }

    /** Counts and the first offending sample, for the report. */
    juce::String describe() const;

    void merge (const SignalScan& other);

private:
    juce::int64 scanned = 0, nonFinite = 0, subnormal = 0, beyondBound = 0;
    float peak = 0.0f;
    juce::int64 firstBadSample = -1;
    float firstBadValue = 0.0f;
};
} // namespace brazzle::validator
