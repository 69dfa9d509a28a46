#pragma once

#include "ProcessorSeries.h"

#include <cmath>

namespace qv
{
namespace LinkwitzRileyHelpers
{
/** One branch of a fourth-order Linkwitz-Riley crossover: two identical second-order
    Butterworth sections (Q = 1/sqrt 2) in series. Design is the recipe that turns a
    rate and a cutoff into the section coefficients.

    The coefficients are written into the sections' existing coefficient objects, so a
    cutoff change never allocates. Until the first cutoff is set the sections hold zero
    coefficients and output silence; a new rate recomputes them for the cutoff in use.
*/
template <typename SampleType, typename Design>
class LinkwitzRileyBranch
{
public:
    using Section = juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<SampleType>,
                                                   juce::dsp::IIR::Coefficients<SampleType>>;

    LinkwitzRileyBranch() = default;

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        sampleRate = static_cast<SampleType> (spec.sampleRate);

        if (cutoff > SampleType (0))
            updateCoefficients (cutoff);

        sections.prepare (spec);
    }

    void setCutoff (SampleType newCutoff) noexcept
    {
        if (std::abs (newCutoff - cutoff) > static_cast<SampleType> (1.1920929e-7))
        {
            updateCoefficients (newCutoff);
            cutoff = newCutoff;
        }
    }

    SampleType getCutoff() const noexcept  { return cutoff; }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        sections.process (context);
    }

    const juce::dsp::IIR::Coefficients<SampleType>& getSectionCoefficients (size_t index) const noexcept
    {
        return index == 0 ? *sections.template get<0>().state : *sections.template get<1>().state;
    }

private:
    void updateCoefficients (SampleType frequency) noexcept
    {
        const auto designed = Design::make ((double) sampleRate, frequency);
        *sections.template get<0>().state = designed;
        *sections.template get<1>().state = designed;
    }

    SampleType sampleRate = 0;
    SampleType cutoff = 0;
    ProcessorSeries<SampleType, Section, Section> sections;
};

template <typename SampleType>
struct LowpassDesign
{
    static auto make (double sampleRate, SampleType frequency) noexcept
    {
        return juce::dsp::IIR::ArrayCoefficients<SampleType>::makeLowPass (sampleRate, frequency);
    }
};

template <typename SampleType>
struct HighpassDesign
{
    static auto make (double sampleRate, SampleType frequency) noexcept
    {
        return juce::dsp::IIR::ArrayCoefficients<SampleType>::makeHighPass (sampleRate, frequency);
    }
};
} // namespace LinkwitzRileyHelpers

/** Low band of the crossover; with LinkwitzRileyHighpass at the same cutoff the two
    outputs sum to an allpass response. */
template <typename SampleType>
class LinkwitzRileyLowpass  : public LinkwitzRileyHelpers::LinkwitzRileyBranch<SampleType, LinkwitzRileyHelpers::LowpassDesign<SampleType>>
{
};

/** High band of the crossover. */
template <typename SampleType>
class LinkwitzRileyHighpass  : public LinkwitzRileyHelpers::LinkwitzRileyBranch<SampleType, LinkwitzRileyHelpers::HighpassDesign<SampleType>>
{
};
} // namespace qv
