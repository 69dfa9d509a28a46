#pragma once

#include "IIRSection.h"

#include <vector>

namespace qv
{
/** A 5 Hz first-order high-pass that removes the offset left by bias and asymmetric
    curves, with the results of one framework IIR filter per channel. Until prepare its
    coefficients are zero. */
template <typename SampleType>
class DCBlocker
{
public:
    static constexpr SampleType cornerFrequency = SampleType (5);

    DCBlocker() = default;

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        *coefficients = juce::dsp::IIR::ArrayCoefficients<SampleType>::makeFirstOrderHighPass (spec.sampleRate, cornerFrequency);

        sections.clear();
        sections.reserve (spec.numChannels);

        while (sections.size() < spec.numChannels)
            sections.emplace_back (coefficients);
    }

    /** Clears the filters' history and keeps the coefficients; allocates nothing. */
    void reset() noexcept
    {
        for (auto& section : sections)
            section.reset();
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        const auto& input = context.getInputBlock();
        const auto& output = context.getOutputBlock();

        jassert (output.getNumChannels() <= sections.size());

        // Surplus channels have no section and stay as they are, and such a call does
        // not pass the bypass on.
        const auto surplus = output.getNumChannels() > sections.size();
        const auto numChannels = juce::jmin (input.getNumChannels(), output.getNumChannels(), sections.size());

        if (numChannels == 0)
            return;

        auto sectionFor = [this] (size_t channel, size_t) -> detail::IIRSection<SampleType>& { return sections[channel]; };
        const auto in = input.getSubsetChannelBlock (0, numChannels);
        const auto out = output.getSubsetChannelBlock (0, numChannels);

        if (context.isBypassed && ! surplus)
            detail::processSections<SampleType, 1, true> (sectionFor, in, out);
        else
            detail::processSections<SampleType, 1, false> (sectionFor, in, out);
    }

    const juce::dsp::IIR::Coefficients<SampleType>& getCoefficients() const noexcept  { return *coefficients; }

private:
    typename juce::dsp::IIR::Coefficients<SampleType>::Ptr coefficients { new juce::dsp::IIR::Coefficients<SampleType>() };
    std::vector<detail::IIRSection<SampleType>> sections;

    JUCE_DECLARE_NON_COPYABLE (DCBlocker)
};
} // namespace qv
