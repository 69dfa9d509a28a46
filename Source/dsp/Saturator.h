#pragma once

#include "LogSmoothedValue.h"
#include "WaveShaperHelpers.h"

namespace qv
{
/** Drive gain, bias, one of the six curves per channel and a compensation gain that
    keeps the pass-through curve level-neutral. A curve change fades the old curve out
    and the new one in, 30 ms each way.
*/
template <typename SampleType>
class Saturator
{
public:
    /** The settings handed over once per block. */
    struct SaturatorState
    {
        SampleType drive = 1;
        SampleType bias = 0;
        int curveType = 0;
    };

    using Shaper = WaveShaperHelpers::SingleChannelWaveShaper<SampleType>;

    Saturator() = default;

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        bias.prepare (spec);
        activeChannels = static_cast<int> (spec.numChannels);

        while ((size_t) shapers.size() < spec.numChannels)
            shapers.add (new Shaper());

        for (auto* shaper : shapers)
            shaper->sampleRate = static_cast<float> (spec.sampleRate);

        drive.reset (spec.sampleRate);
        compensation.reset (spec.sampleRate);

        bias.setRampDurationSeconds (biasRampSeconds);
    }

    /** The curves are memoryless and the gains and curve fades follow the settings,
        not the signal, so there is no history to clear. */
    void reset() noexcept {}

    void setState (const SaturatorState& state) noexcept
    {
        jassert (state.curveType >= 0 && state.curveType < Shaper::numCurves);
        const auto curveType = juce::jlimit (0, Shaper::numCurves - 1, state.curveType);

        drive.setTargetValue (state.drive);
        bias.setBias (state.bias);

        for (auto* shaper : shapers)
            shaper->requestCurve (curveType);

        requestedCurve = curveType;
        compensation.setTargetValue (compensationTarget());
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        auto& block = context.getOutputBlock();

        if constexpr (ProcessContext::usesSeparateInputAndOutputBlocks())
            block.copyFrom (context.getInputBlock());

        drive.applyGain (block);
        addBias (block, context.isBypassed);

        const auto numChannels = juce::jmin (block.getNumChannels(), (size_t) shapers.size());
        jassert (numChannels == block.getNumChannels());

        const auto numSamples = block.getNumSamples();
        size_t passThroughEnd = 0;
        bool leftPassThrough = false;

        for (size_t channel = 0; channel < numChannels; ++channel)
        {
            auto* shaper = shapers.getUnchecked ((int) channel);
            const bool wasPassThrough = shaper->currentType == 0;
            const auto switchedAt = shaper->process (block.getChannelPointer (channel), numSamples);

            if (wasPassThrough && switchedAt < numSamples)
            {
                leftPassThrough = true;
                passThroughEnd = juce::jmax (passThroughEnd, switchedAt);
            }
        }

        if (! leftPassThrough)
        {
            compensation.applyGain (block);
            return;
        }

        // The driven signal passes unshaped until the switch, so its compensation holds
        // until then and only the new curve's fade-in sees the ramp back to unity.
        compensation.applyGain (block.getSubBlock (0, passThroughEnd));
        compensation.setTargetValue (compensationTarget());
        compensation.applyGain (block.getSubBlock (passThroughEnd));
    }

    juce::dsp::Bias<SampleType> bias;
    juce::OwnedArray<Shaper> shapers;
    LogSmoothedValue<SampleType> drive { 20.0f, SampleType (1) };
    LogSmoothedValue<SampleType> compensation { 20.0f, SampleType (1) };

private:
    static constexpr double biasRampSeconds = 0.02;

    int requestedCurve = 0;
    int activeChannels = 0;

    // The pass-through curve is level-neutral only as long as it is compensated by the
    // reciprocal of the drive: the compensation stays there while any channel in use
    // still sounds that curve, also while it fades out towards another one, and
    // follows the drive's ramp step for step. The shaping curves, which bound their
    // output, keep unity.
    SampleType compensationTarget() const noexcept
    {
        bool passThroughSounds = requestedCurve == 0;

        for (int channel = 0; channel < juce::jmin (activeChannels, shapers.size()); ++channel)
            passThroughSounds = passThroughSounds || shapers.getUnchecked (channel)->currentType == 0;

        return passThroughSounds ? SampleType (1) / drive.getTargetValue() : SampleType (1);
    }

    // The framework's bias keeps one value per sample on the stack for multichannel
    // blocks, so it is given blocks of bounded length; the values it adds are the same.
    void addBias (juce::dsp::AudioBlock<SampleType>& block, bool bypassed) noexcept
    {
        const auto numSamples = block.getNumSamples();

        for (size_t offset = 0; offset < numSamples; offset += detail::smoothedGainChunkSize)
        {
            auto piece = block.getSubBlock (offset, juce::jmin (detail::smoothedGainChunkSize, numSamples - offset));
            juce::dsp::ProcessContextReplacing<SampleType> pieceContext (piece);
            pieceContext.isBypassed = bypassed;
            bias.process (pieceContext);
        }
    }

    JUCE_DECLARE_NON_COPYABLE (Saturator)
};
} // namespace qv
