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
        compensation.setTargetValue (SampleType (1));
        bias.setBias (state.bias);

        for (auto* shaper : shapers)
            shaper->requestCurve (curveType);

        if (curveType == 0)
            compensation.setTargetValue (SampleType (1) / drive.getTargetValue());
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

        for (size_t channel = 0; channel < numChannels; ++channel)
            shapers.getUnchecked ((int) channel)->process (block.getChannelPointer (channel), block.getNumSamples());

        compensation.applyGain (block);
    }

    juce::dsp::Bias<SampleType> bias;
    juce::OwnedArray<Shaper> shapers;
    LogSmoothedValue<SampleType> drive { 20.0f, SampleType (1) };
    LogSmoothedValue<SampleType> compensation { 20.0f, SampleType (1) };

private:
    static constexpr double biasRampSeconds = 0.02;

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
