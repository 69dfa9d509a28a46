#include "SignalScan.h"

#include <cmath>

namespace brazzle::validator
{
void SignalScan::scan (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples)
{
    jassert (numChannels <= buffer.getNumChannels());
    jassert (startSample >= 0 && startSample + numSamples <= buffer.getNumSamples());

    for (int channel = 0; channel < numChannels; ++channel)
    {
        const auto* samples = buffer.getReadPointer (channel, startSample);

        for (int i = 0; i < numSamples; ++i)
        {
            const float x = samples[i];
            const auto kind = std::fpclassify (x);
            bool bad = false;

            if (kind == FP_NAN || kind == FP_INFINITE)
            {
                ++nonFinite;
                bad = true;
            }
            else
            {
                if (kind == FP_SUBNORMAL)
                {
                    ++subnormal;
                    bad = true;
                }

                const float magnitude = std::abs (x);
                peak = juce::jmax (peak, magnitude);

                if (magnitude > bound)
                {
                    ++beyondBound;
                    bad = true;
                }
            }

            if (bad && firstBadSample < 0)
            {
                firstBadSample = scanned + i;
                firstBadValue = x;
            }
        }
    }

    scanned += numSamples;
}

void SignalScan::merge (const SignalScan& other)
{
    if (firstBadSample < 0 && other.firstBadSample >= 0)
    {
        firstBadSample = scanned + other.firstBadSample;
        firstBadValue = other.firstBadValue;
    }

    scanned += other.scanned;
    nonFinite += other.nonFinite;
    subnormal += other.subnormal;
    beyondBound += other.beyondBound;
    peak = juce::jmax (peak, other.peak);
}

juce::String SignalScan::describe() const
{
    juce::String text;
    text << scanned << " samples, peak " << juce::String (peak, 3);

    if (! isClean())
        text << ", " << nonFinite << " NaN/inf, " << subnormal << " subnormal, " << beyondBound
             << " beyond " << juce::String (bound, 0) << ", first at sample " << firstBadSample << " ("
             << juce::String (firstBadValue) << ")";

    return text;
}
} // namespace brazzle::validator
