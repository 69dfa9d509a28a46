#pragma once

#include "IIRSection.h"
#include "LogSmoothedValue.h"
#include "PoleSmoothedValue.h"

namespace qv
{
namespace BiquadFilterHelpers
{
// The legacy state-variable filter is the section this filter is defined by; only its
// constructors are marked deprecated.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

/** One channel of a BiquadFilter: a second-order section whose frequency, Q and gain
    glide over 8 ms.

    Types 0 to 2 run the framework's state-variable filter (low-pass, high-pass,
    band-pass); types 3 to 6 run an IIR section with the framework's notch, peak,
    low-shelf and high-shelf recipes. Coefficients are written into the existing
    coefficient objects, so a recalculation never allocates.
*/
template <typename SampleType>
class MonoBiquadFilter
{
public:
    MonoBiquadFilter (int filterType, SampleType initialFrequency, SampleType initialQ, SampleType initialGain)
        : type (filterType),
          frequency (smoothingTimeMs, initialFrequency),
          q (smoothingTimeMs, initialQ),
          gain (smoothingTimeMs, initialGain),
          iir (coefficients)
    {
    }

    void prepare (double newSampleRate)
    {
        sampleRate = newSampleRate;
        frequency.reset (sampleRate);
        q.reset (sampleRate);
        gain.reset (sampleRate);

        updateCoefficients();

        iir.reset();
        svf.reset();
    }

    /** Clears the section's history; the glides and coefficients are left as they are. */
    void reset() noexcept
    {
        iir.reset();
        svf.reset();
    }

    /** Advances frequency, Q and gain by one step and derives the section's settings
        from the new values. */
    void updateCoefficients() noexcept
    {
        using Recipes = juce::dsp::IIR::ArrayCoefficients<SampleType>;

        const auto f = frequency.getNextValue();
        const auto quality = q.getNextValue();
        const auto g = gain.getNextValue();

        switch (type)
        {
            case lowPass:   setStateVariable (SvfType::lowPass, f, quality);   break;
            case highPass:  setStateVariable (SvfType::highPass, f, quality);  break;
            case bandPass:  setStateVariable (SvfType::bandPass, f, quality);  break;
            case notch:     *coefficients = Recipes::makeNotch (sampleRate, f, quality);             break;
            case peak:      *coefficients = Recipes::makePeakFilter (sampleRate, f, quality, g);     break;
            case lowShelf:  *coefficients = Recipes::makeLowShelf (sampleRate, f, quality, g);       break;
            case highShelf: *coefficients = Recipes::makeHighShelf (sampleRate, f, quality, g);      break;
            default:        break;
        }
    }

    /** True when nothing glides and the IIR section runs, so that the whole block can
        go through iir at once, possibly together with other channels and filters. */
    bool runsWholeBlockSection() const noexcept
    {
        return ! (isGliding() || usesStateVariable());
    }

    /** Filters one channel in place. */
    void process (SampleType* samples, size_t numSamples) noexcept
    {
        if (! isGliding())
        {
            SampleType* channels[] = { samples };
            juce::dsp::AudioBlock<SampleType> block (channels, 1, numSamples);

            if (usesStateVariable())
                svf.process (juce::dsp::ProcessContextReplacing<SampleType> (block));
            else
                detail::processSections<SampleType, 1, false> ([this] (size_t, size_t) -> auto& { return iir; }, block, block);

            return;
        }

        updateCoefficients();
        int stepsUntilUpdate = 4;

        for (size_t i = 0; i < numSamples; ++i)
        {
            samples[i] = usesStateVariable() ? svf.processSample (samples[i])
                                             : iir.processSample (samples[i]);

            if (stepsUntilUpdate < 2)
            {
                updateCoefficients();
                stepsUntilUpdate = 4;
            }
            else
            {
                frequency.getNextValue();
                q.getNextValue();
                gain.getNextValue();
                --stepsUntilUpdate;
            }
        }

        iir.snapToZero();
    }

    enum Type { lowPass, highPass, bandPass, notch, peak, lowShelf, highShelf };

    typename juce::dsp::IIR::Coefficients<SampleType>::Ptr coefficients { new juce::dsp::IIR::Coefficients<SampleType>() };
    double sampleRate = 0.0;
    int type;
    LogSmoothedValue<SampleType> frequency;
    PoleSmoothedValue<SampleType> q;
    PoleSmoothedValue<SampleType> gain;
    detail::IIRSection<SampleType> iir;

    juce::dsp::StateVariableFilter::Filter<SampleType> svf;

private:
    using SvfType = juce::dsp::StateVariableFilter::StateVariableFilterType;

    static constexpr float smoothingTimeMs = 8.0f;

    bool usesStateVariable() const noexcept  { return type >= lowPass && type <= bandPass; }
    bool isGliding() const noexcept          { return frequency.isSmoothing() || q.isSmoothing() || gain.isSmoothing(); }

    void setStateVariable (SvfType svfType, SampleType f, SampleType quality) noexcept
    {
        svf.parameters->type = svfType;
        svf.parameters->setCutOffFrequency (sampleRate, f, quality);
    }

    JUCE_DECLARE_NON_COPYABLE (MonoBiquadFilter)
};

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
} // namespace BiquadFilterHelpers

/** A second-order filter of selectable type whose frequency, Q and gain glide smoothly,
    with one MonoBiquadFilter per channel. The owner writes the public settings and then
    calls updateInternalParameters.
*/
template <typename SampleType>
class BiquadFilter
{
public:
    using MonoFilter = BiquadFilterHelpers::MonoBiquadFilter<SampleType>;

    BiquadFilter (int filterType, SampleType initialFrequency, SampleType initialQ, SampleType initialGain) noexcept
        : type (filterType), frequency (initialFrequency), q (initialQ), gain (initialGain)
    {
    }

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        const auto numChannels = (int) spec.numChannels;

        if (channels.size() > numChannels)
            channels.removeRange (numChannels, channels.size() - numChannels);

        while (channels.size() < numChannels)
            channels.add (new MonoFilter (type, frequency, q, gain));

        for (auto* channel : channels)
            channel->prepare (spec.sampleRate);
    }

    /** Clears every channel's history and keeps the settings; allocates nothing. */
    void reset() noexcept
    {
        for (auto* channel : channels)
            channel->reset();
    }

    /** Hands the settings to every channel; a change starts an 8 ms glide. */
    void updateInternalParameters() noexcept
    {
        for (auto* channel : channels)
        {
            channel->type = type;
            channel->updateCoefficients();
            channel->frequency.setTargetValue (frequency);
            channel->q.setTargetValue (q);
            channel->gain.setTargetValue (gain);
        }
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        const auto& output = context.getOutputBlock();

        if constexpr (ProcessContext::usesSeparateInputAndOutputBlocks())
            output.copyFrom (context.getInputBlock());

        jassert (output.getNumChannels() <= (size_t) channels.size());
        const auto numChannels = juce::jmin (output.getNumChannels(), (size_t) channels.size());

        if (runsWholeBlockSections (numChannels))
        {
            const auto block = output.getSubsetChannelBlock (0, numChannels);
            detail::processSections<SampleType, 1, false> ([this] (size_t channel, size_t) -> auto& { return channels.getUnchecked ((int) channel)->iir; },
                                                           block, block);
            return;
        }

        for (size_t channel = 0; channel < numChannels; ++channel)
            channels.getUnchecked ((int) channel)->process (output.getChannelPointer (channel), output.getNumSamples());
    }

    /** True when the first numChannels channels can all take the whole block through
        their IIR sections at once. */
    bool runsWholeBlockSections (size_t numChannels) const noexcept
    {
        jassert (numChannels <= (size_t) channels.size());

        for (size_t channel = 0; channel < numChannels; ++channel)
            if (! channels.getUnchecked ((int) channel)->runsWholeBlockSection())
                return false;

        return true;
    }

    int type;
    SampleType frequency;
    SampleType q;
    SampleType gain;
    juce::OwnedArray<MonoFilter> channels;

private:
    JUCE_DECLARE_NON_COPYABLE (BiquadFilter)
};
} // namespace qv
