#pragma once

#include "SmoothedGain.h"

#include <cmath>

namespace qv
{
/** A one-pole approach to a target that lands exactly on the target after a fixed
    number of steps. The time is the time in which the value comes within 1 % of a jump.
*/
template <typename SampleType>
class PoleSmoothedValue
{
public:
    explicit PoleSmoothedValue (float timeInMilliseconds = 0.0f, SampleType initialValue = {}) noexcept
        : timeMs (timeInMilliseconds), target (initialValue), current (initialValue)
    {
    }

    /** Takes a new rate and snaps to the target, ending any approach under way. */
    void reset (double newSampleRate) noexcept
    {
        jassert (newSampleRate > 0.0);

        sampleRate = newSampleRate;
        alpha = static_cast<SampleType> (1.0 - std::exp (-ln100 / (static_cast<double> (timeMs) * sampleRate * 0.001)));
        current = target;
        countdown = 0;
    }

    /** Starts a new approach from the current value, unless the target barely moves. */
    void setTargetValue (SampleType newTarget) noexcept
    {
        if (std::abs (target - newTarget) > epsilon)
        {
            target = newTarget;
            countdown = juce::jmax (1, static_cast<int> (static_cast<double> (timeMs) * sampleRate * 0.001));
        }
    }

    /** On the last step of an approach this still returns the approached value; the
        target itself is returned from the following call on. */
    SampleType getNextValue() noexcept
    {
        if (countdown < 1)
            return target;

        const auto value = (target - current) * alpha + current;
        current = value;

        if (--countdown == 0)
            current = target;

        return value;
    }

    /** Multiplies the block by the smoothed value, one value per sample for all channels. */
    void applyGain (const juce::dsp::AudioBlock<SampleType>& block) noexcept
    {
        detail::applySmoothedGain (*this, block);
    }

    bool isSmoothing() const noexcept            { return countdown > 0; }
    int getCountdown() const noexcept            { return countdown; }
    SampleType getTargetValue() const noexcept   { return target; }
    SampleType getCurrentValue() const noexcept  { return current; }

private:
    static constexpr double ln100 = 4.605170185988091;
    static constexpr SampleType epsilon = static_cast<SampleType> (1.1920929e-7);

    int countdown = 0;
    double sampleRate = 0.0;
    float timeMs = 0.0f;
    SampleType target {}, current {};
    SampleType alpha = 1;
};
} // namespace qv
