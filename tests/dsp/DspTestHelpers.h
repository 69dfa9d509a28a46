#pragma once

#include <juce_dsp/juce_dsp.h>

#include <cmath>
#include <vector>

namespace brazzle::test
{
inline juce::dsp::ProcessSpec makeSpec (double sampleRate, int maximumBlockSize, int numChannels)
{
    return { sampleRate, (juce::uint32) maximumBlockSize, (juce::uint32) numChannels };
}

inline void fillWithSine (juce::AudioBuffer<float>& buffer, double frequency, double sampleRate, float amplitude = 0.5f)
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int n = 0; n < buffer.getNumSamples(); ++n)
            buffer.setSample (channel, n, amplitude * (float) std::sin (juce::MathConstants<double>::twoPi * frequency * n / sampleRate
                                                                        + 0.3 * channel));
}

inline void fillWithNoise (juce::AudioBuffer<float>& buffer, int seed, float amplitude = 0.5f)
{
    juce::Random random (seed);

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int n = 0; n < buffer.getNumSamples(); ++n)
            buffer.setSample (channel, n, amplitude * (2.0f * random.nextFloat() - 1.0f));
}

/** A modulation source that hands out a block its owner fills directly. */
template <typename Source>
struct FixedModulationSource  : Source
{
    FixedModulationSource (int numChannels, int numSamples) : buffer (numChannels, numSamples)
    {
        buffer.clear();
    }

    juce::dsp::AudioBlock<float> getBlock() override  { return juce::dsp::AudioBlock<float> (buffer); }

    juce::AudioBuffer<float> buffer;
};

inline float rms (const float* samples, int numSamples)
{
    double sum = 0.0;

    for (int i = 0; i < numSamples; ++i)
        sum += (double) samples[i] * samples[i];

    return (float) std::sqrt (sum / numSamples);
}
} // namespace brazzle::test
