#pragma once

#include "BiquadFilter.h"

#include <algorithm>

namespace qv
{
/** A tilt and mid equaliser in front of the distortion: a 250 Hz low shelf and a
    2500 Hz high shelf tilted against each other by up to 6 dB, and a 500 Hz peak cut
    by up to 12 dB, all driven by one tone value from 0 to 1.
*/
template <typename SampleType>
class ToneFilter
{
public:
    ToneFilter()
    {
        bands.add (new BiquadFilter<SampleType> (lowShelfType, SampleType (250), butterworthQ, SampleType (1)));
        bands.add (new BiquadFilter<SampleType> (peakType, SampleType (500), butterworthQ, SampleType (1)));
        bands.add (new BiquadFilter<SampleType> (highShelfType, SampleType (2500), butterworthQ, SampleType (1)));
    }

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        for (auto* band : bands)
            band->prepare (spec);
    }

    /** Clears the bands' history and keeps their settings and glides; allocates nothing. */
    void reset() noexcept
    {
        for (auto* band : bands)
            band->reset();
    }

    /** At 0 the lows are lifted and the highs cut by 6 dB with the mids 12 dB down; at
        0.5 the shelves are flat and the mids 6 dB down; at 1 the tilt is reversed and
        the mids are flat. */
    void setTone (SampleType tone) noexcept
    {
        const auto tilt = tiltRange.convertFrom0to1 (tone);
        const auto mid = midRange.convertFrom0to1 (tone);

        setBandGain (0, juce::Decibels::decibelsToGain (-tilt));
        setBandGain (1, juce::Decibels::decibelsToGain (mid));
        setBandGain (2, juce::Decibels::decibelsToGain (tilt));
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        auto& output = context.getOutputBlock();

        if constexpr (ProcessContext::usesSeparateInputAndOutputBlocks())
            output.copyFrom (context.getInputBlock());

        const auto numChannels = output.getNumChannels();

        // Settled bands run together, band by band within each sample, which gives the
        // same results as one band after another.
        jassert (bands.size() == (int) numBands);
        const auto settled = bands.size() == (int) numBands
                          && std::all_of (bands.begin(), bands.end(), [numChannels] (auto* band)
                             {
                                 return band->channels.size() >= (int) numChannels && band->runsWholeBlockSections (numChannels);
                             });

        if (settled)
        {
            detail::processSections<SampleType, numBands, false> ([this] (size_t channel, size_t band) -> auto&
            {
                return bands.getUnchecked ((int) band)->channels.getUnchecked ((int) channel)->iir;
            }, output, output);

            return;
        }

        juce::dsp::ProcessContextReplacing<SampleType> inPlace (output);

        for (auto* band : bands)
            band->process (inPlace);
    }

    juce::NormalisableRange<SampleType> tiltRange { SampleType (-6), SampleType (6) };
    juce::NormalisableRange<SampleType> midRange { SampleType (-12), SampleType (0) };
    juce::OwnedArray<BiquadFilter<SampleType>> bands;

private:
    static constexpr size_t numBands = 3;
    static constexpr int lowShelfType = 5, peakType = 4, highShelfType = 6;
    static constexpr SampleType butterworthQ = static_cast<SampleType> (0.70710677f);

    void setBandGain (int index, SampleType newGain) noexcept
    {
        auto* band = bands.getUnchecked (index);
        band->gain = newGain;
        band->updateInternalParameters();
    }

    JUCE_DECLARE_NON_COPYABLE (ToneFilter)
};
} // namespace qv
