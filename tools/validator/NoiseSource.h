#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace brazzle::validator
{
/** Full-scale white noise from a seed, so that a run can be replayed. */
class NoiseSource
{
public:
    explicit NoiseSource (juce::int64 seed) : random (seed) {}

    void fill (juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples)
    {
        jassert (numChannels <= buffer.getNumChannels());
        jassert (startSample >= 0 && startSample + numSamples <= buffer.getNumSamples());

        for (int channel = 0; channel < numChannels; ++channel)
        {
            auto* samples = buffer.getWritePointer (channel, startSample);

            for (int i = 0; i < numSamples; ++i)
                samples[i] = random.nextFloat() * 2.0f - 1.0f;
        }
    }

private:
    juce::Random random;
};
} // namespace brazzle::validator
