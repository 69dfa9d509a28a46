#pragma once

#include <juce_dsp/juce_dsp.h>

namespace qv::detail
{
/** Number of per-sample gains that a moving smoothed value computes at a time. The
    gains live on the stack, so a host that hands over a very large block must not be
    able to make this grow with it. */
inline constexpr size_t smoothedGainChunkSize = 256;

/** Multiplies every channel of a block by the successive values of a smoothed value,
    advancing the value once per sample index (not once per channel sample). */
template <typename SmoothedValueType, typename SampleType>
void applySmoothedGain (SmoothedValueType& value, const juce::dsp::AudioBlock<SampleType>& block) noexcept
{
    const auto numChannels = block.getNumChannels();
    const auto numSamples = block.getNumSamples();

    if (! value.isSmoothing())
    {
        block.multiplyBy (value.getTargetValue());
        return;
    }

    if (numChannels == 1)
    {
        auto* samples = block.getChannelPointer (0);

        for (size_t i = 0; i < numSamples; ++i)
            samples[i] *= value.getNextValue();

        return;
    }

    SampleType gains[smoothedGainChunkSize];

    for (size_t offset = 0; offset < numSamples; offset += smoothedGainChunkSize)
    {
        const auto length = juce::jmin (smoothedGainChunkSize, numSamples - offset);

        for (size_t i = 0; i < length; ++i)
            gains[i] = value.getNextValue();

        for (size_t channel = 0; channel < numChannels; ++channel)
            juce::FloatVectorOperations::multiply (block.getChannelPointer (channel) + offset, gains, (int) length);
    }
}
} // namespace qv::detail
