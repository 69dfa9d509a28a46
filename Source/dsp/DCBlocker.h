#pragma once

#include <juce_dsp/juce_dsp.h>

namespace qv
{
/** A 5 Hz first-order high-pass that removes the offset left by bias and asymmetric
    curves. Until prepare its coefficients are zero. */
template <typename SampleType>
class DCBlocker
{
public:
    static constexpr SampleType cornerFrequency = SampleType (5);

    DCBlocker() = default;

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        *filter.state = juce::dsp::IIR::ArrayCoefficients<SampleType>::makeFirstOrderHighPass (spec.sampleRate, cornerFrequency);
        filter.prepare (spec);
        numChannels = spec.numChannels;
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        jassert (context.getOutputBlock().getNumChannels() <= numChannels);

        if (numChannels == 0)
            return;

        if (context.getOutputBlock().getNumChannels() <= numChannels)
        {
            filter.process (context);
            return;
        }

        // The duplicator has no filter for the surplus channels.
        auto input = context.getInputBlock().getSubsetChannelBlock (0, numChannels);
        auto output = context.getOutputBlock().getSubsetChannelBlock (0, numChannels);

        if constexpr (ProcessContext::usesSeparateInputAndOutputBlocks())
            filter.process (juce::dsp::ProcessContextNonReplacing<SampleType> (input, output));
        else
            filter.process (juce::dsp::ProcessContextReplacing<SampleType> (output));
    }

    const juce::dsp::IIR::Coefficients<SampleType>& getCoefficients() const noexcept  { return *filter.state; }

private:
    juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<SampleType>, juce::dsp::IIR::Coefficients<SampleType>> filter;
    size_t numChannels = 0;

    JUCE_DECLARE_NON_COPYABLE (DCBlocker)
};
} // namespace qv
