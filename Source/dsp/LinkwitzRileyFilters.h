#pragma once

#include "IIRSection.h"
#include "LogSmoothedValue.h"

#include <cmath>
#include <vector>

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

    The first cutoff, and the cutoff in use at prepare, apply at once. A later change
    glides over 8 ms, with the cutoff moving by an equal ratio per sample and the
    coefficients recomputed every 4 samples, ending on the target's own coefficients:
    swapping them at once would leave state built for the old cutoff ringing through
    the new sections, and low plus high would then be far from flat. The getters
    report the target throughout.

    Both sections of a pair of channels run in one loop; the results are those of two
    framework IIR filters per channel in series.
*/
template <typename SampleType, typename Design>
class LinkwitzRileyBranch
{
public:
    using Coefficients = juce::dsp::IIR::Coefficients<SampleType>;
    using Section = detail::IIRSection<SampleType>;

    LinkwitzRileyBranch() = default;

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        sampleRate = static_cast<SampleType> (spec.sampleRate);

        if (cutoff > SampleType (0))
            designTarget (cutoff);

        settle();

        for (size_t index = 0; index < numSections; ++index)
        {
            auto& sections = channelSections[index];
            sections.clear();
            sections.reserve (spec.numChannels);

            while (sections.size() < spec.numChannels)
                sections.emplace_back (coefficients[index]);
        }
    }

    void setCutoff (SampleType newCutoff) noexcept
    {
        if (! (std::abs (newCutoff - cutoff) > static_cast<SampleType> (1.1920929e-7)))
            return;

        const auto glides = cutoff > SampleType (0) && sampleRate > SampleType (0);
        designTarget (newCutoff);
        cutoff = newCutoff;
        glidingCutoff.setTargetValue (newCutoff);

        if (! glides || ! glidingCutoff.isSmoothing())
            settle();
    }

    /** Clears the sections' history and keeps the coefficients and any glide under way;
        allocates nothing. */
    void reset() noexcept
    {
        for (auto& sections : channelSections)
            for (auto& section : sections)
                section.reset();
    }

    SampleType getCutoff() const noexcept  { return cutoff; }
    bool isGliding() const noexcept        { return glidingCutoff.isSmoothing(); }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        const auto& input = context.getInputBlock();
        const auto& output = context.getOutputBlock();
        const auto numSamples = juce::jmin (input.getNumSamples(), output.getNumSamples());
        size_t start = 0;

        while (start < numSamples && glidingCutoff.isSmoothing())
        {
            const auto length = juce::jmin (samplesPerUpdate, numSamples - start);
            applyCoefficients (Design::make ((double) sampleRate, glidingCutoff.getNextValue()));

            for (size_t step = 1; step < length; ++step)
                glidingCutoff.getNextValue();

            processRange (input.getSubBlock (start, length), output.getSubBlock (start, length), context.isBypassed);
            start += length;

            if (! glidingCutoff.isSmoothing())
                applyCoefficients (targetDesign);
        }

        if (start == 0)
            processRange (input, output, context.isBypassed);
        else if (start < numSamples)
            processRange (input.getSubBlock (start, numSamples - start), output.getSubBlock (start, numSamples - start), context.isBypassed);
    }

    /** The coefficients for the cutoff last set, also while the sections glide towards them. */
    const Coefficients& getSectionCoefficients (size_t index) const noexcept
    {
        jassert (index < numSections);
        juce::ignoreUnused (index);
        return *target;
    }

    /** The coefficients the sections run with at the moment. */
    const Coefficients& getActiveSectionCoefficients (size_t index) const noexcept
    {
        jassert (index < numSections);
        return *coefficients[index == 0 ? 0 : 1];
    }

private:
    static constexpr size_t numSections = 2;
    static constexpr size_t samplesPerUpdate = 4;
    static constexpr float glideTimeMs = 8.0f;

    using DesignedCoefficients = std::array<SampleType, 6>;

    void processRange (const juce::dsp::AudioBlock<const SampleType>& input,
                       const juce::dsp::AudioBlock<SampleType>& output,
                       bool isBypassed) noexcept
    {
        const auto numPrepared = channelSections[0].size();

        jassert (input.getNumChannels() <= numPrepared && output.getNumChannels() <= numPrepared);

        const auto numInputChannels = juce::jmin (input.getNumChannels(), output.getNumChannels(), numPrepared);
        const auto numOutputChannels = juce::jmin (output.getNumChannels(), numPrepared);

        auto bothSections = [this] (size_t channel, size_t index) -> Section& { return channelSections[index][channel]; };
        const auto in = input.getSubsetChannelBlock (0, numInputChannels);
        const auto out = output.getSubsetChannelBlock (0, numInputChannels);

        if (isBypassed)
            detail::processSections<SampleType, numSections, true> (bothSections, in, out);
        else
            detail::processSections<SampleType, numSections, false> (bothSections, in, out);

        // Output channels without an input are left to the second section alone, as a
        // series of two framework filters would.
        if (numOutputChannels > numInputChannels)
        {
            const auto rest = output.getSubsetChannelBlock (numInputChannels, numOutputChannels - numInputChannels);
            auto secondOnly = [this, numInputChannels] (size_t channel, size_t) -> Section&
            {
                return channelSections[1][numInputChannels + channel];
            };

            detail::processSections<SampleType, 1, false> (secondOnly, rest, rest);
        }
    }

    void designTarget (SampleType frequency) noexcept
    {
        targetDesign = Design::make ((double) sampleRate, frequency);
        *target = targetDesign;
    }

    void applyCoefficients (const DesignedCoefficients& designed) noexcept
    {
        *coefficients[0] = designed;
        *coefficients[1] = designed;
    }

    /** Ends any glide on the target; before the first cutoff the zero coefficients stay. */
    void settle() noexcept
    {
        if (sampleRate > SampleType (0))
            glidingCutoff.reset ((double) sampleRate);

        if (cutoff > SampleType (0))
            applyCoefficients (targetDesign);
    }

    SampleType sampleRate = 0;
    SampleType cutoff = 0;
    LogSmoothedValue<SampleType> glidingCutoff { glideTimeMs, SampleType (0) };
    DesignedCoefficients targetDesign {};
    typename Coefficients::Ptr target { new Coefficients() };
    std::array<typename Coefficients::Ptr, numSections> coefficients { new Coefficients(), new Coefficients() };
    std::array<std::vector<Section>, numSections> channelSections;
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
