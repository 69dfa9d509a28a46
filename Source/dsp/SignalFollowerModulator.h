#pragma once

#include "ModulationSubscription.h"
#include "PoleSmoothedValue.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qv
{
/** A modulation source that follows its input: a one-pole low-pass of each channel's
    samples (no rectification), then a per-channel fractional delay whose length the
    owner sets, for a stereo spread of the modulation.
*/
template <typename SampleType>
class SignalFollowerModulator  : public ModulationSource<SampleType>
{
public:
    /** A delay of up to 100 ms with linear interpolation between samples. Longer delay
        times than the buffer holds are limited to what it holds. */
    class FractionalDelayLine
    {
    public:
        explicit FractionalDelayLine (SampleType initialDelayMs) noexcept
            : delayTimeMs (50.0f, initialDelayMs)
        {
        }

        void prepare (double newSampleRate)
        {
            sampleRate = newSampleRate;
            delayTimeMs.reset (sampleRate);

            const auto required = (int) std::ceil (sampleRate * 0.001 * 100.0);
            const auto length = smallestPowerOfTwoNotBelow (required);

            buffer.setSize (1, length);
            buffer.clear();
            mask = length - 1;
            writeIndex = 0;
        }

        /** Clears the history and keeps the delay and its glide; allocates nothing. */
        void reset() noexcept
        {
            buffer.clear();
            writeIndex = 0;
        }

        /** The delay in milliseconds; a change glides over 50 ms. */
        void setTargetValue (SampleType newDelayMs) noexcept
        {
            delayTimeMs.setTargetValue (newDelayMs);
        }

        void process (SampleType* samples, size_t numSamples) noexcept
        {
            const auto length = buffer.getNumSamples();

            if (length < 2)
                return;

            auto* history = buffer.getWritePointer (0);
            const auto longestDelay = static_cast<SampleType> (length - 2);

            for (size_t n = 0; n < numSamples; ++n)
            {
                const auto ms = delayTimeMs.getNextValue();
                const auto delay = juce::jlimit (SampleType (0), longestDelay,
                                                 static_cast<SampleType> (static_cast<double> (ms) * 0.001 * sampleRate));
                const auto whole = (int) delay;
                const auto fraction = delay - static_cast<SampleType> (whole);

                history[writeIndex] = samples[n];

                auto older = writeIndex - whole - 1;

                if (older < 0)
                    older += length;

                samples[n] = static_cast<SampleType> ((1.0 - static_cast<double> (fraction)) * static_cast<double> (history[(older + 1) & mask])
                                                      + static_cast<double> (fraction * history[older]));

                writeIndex = (writeIndex + 1) & mask;
            }
        }

        double sampleRate = 0.0;
        int writeIndex = 0;
        int mask = 0;
        PoleSmoothedValue<SampleType> delayTimeMs;
        juce::AudioBuffer<SampleType> buffer;

    private:
        static int smallestPowerOfTwoNotBelow (int value) noexcept
        {
            auto v = (unsigned int) juce::jmax (1, value) - 1u;
            v |= v >> 1;
            v |= v >> 2;
            v |= v >> 4;
            v |= v >> 8;
            v |= v >> 16;
            return (int) (v + 1u);
        }

        JUCE_DECLARE_NON_COPYABLE (FractionalDelayLine)
    };

    SignalFollowerModulator() = default;

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        const auto numChannels = (int) spec.numChannels;

        smoothingCoefficient = static_cast<SampleType> (std::exp (-ln100 / (static_cast<double> (smoothingTimeMs) * spec.sampleRate * 0.001)));

        if (envelopes.size() != (size_t) numChannels)
            envelopes.assign ((size_t) numChannels, SampleType (0));

        while (delayLines.size() < numChannels)
            delayLines.add (new FractionalDelayLine (initialDelayMs));

        for (auto* line : delayLines)
            line->prepare (spec.sampleRate);

        outputBuffer.setSize (numChannels, (int) spec.maximumBlockSize);
        outputBuffer.clear();
        outputBlock = {};
    }

    /** Clears the envelopes, the delay lines and the last output block and keeps the
        settings; allocates nothing. */
    void reset() noexcept
    {
        std::fill (envelopes.begin(), envelopes.end(), SampleType (0));

        for (auto* line : delayLines)
            line->reset();

        outputBuffer.clear();
    }

    /** Follows the block (which is only read) and hands the result to every subscriber.
        Only as many channels and samples as were prepared are followed. */
    void process (const juce::dsp::AudioBlock<const SampleType>& block) noexcept
    {
        jassert (block.getNumChannels() <= envelopes.size());
        jassert (block.getNumSamples() <= (size_t) outputBuffer.getNumSamples());

        const auto numChannels = juce::jmin (block.getNumChannels(), envelopes.size());
        const auto numSamples = juce::jmin (block.getNumSamples(), (size_t) outputBuffer.getNumSamples());

        for (size_t channel = 0; channel < numChannels; ++channel)
        {
            const auto* input = block.getChannelPointer (channel);
            auto* output = outputBuffer.getWritePointer ((int) channel);
            auto envelope = envelopes[channel];

            for (size_t n = 0; n < numSamples; ++n)
            {
                envelope = (envelope - input[n]) * smoothingCoefficient + input[n];
                output[n] = envelope;
            }

            envelopes[channel] = envelope;
            delayLines.getUnchecked ((int) channel)->process (output, numSamples);
        }

        outputBlock = numChannels == 0 ? juce::dsp::AudioBlock<SampleType>()
                                       : juce::dsp::AudioBlock<SampleType> (outputBuffer).getSubsetChannelBlock (0, numChannels)
                                                                                         .getSubBlock (0, numSamples);

        for (auto* subscription : this->subscriptions)
            subscription->block = subscription->source->getBlock();
    }

    juce::dsp::AudioBlock<SampleType> getBlock() override  { return outputBlock; }

    float smoothingTimeMs = 10.0f;
    SampleType smoothingCoefficient = 0;
    std::vector<SampleType> envelopes;
    SampleType initialDelayMs = 0;
    juce::OwnedArray<FractionalDelayLine> delayLines;
    juce::AudioBuffer<SampleType> outputBuffer;
    juce::dsp::AudioBlock<SampleType> outputBlock;

private:
    static constexpr double ln100 = 4.605170185988091;
};
} // namespace qv
