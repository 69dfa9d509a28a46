#pragma once

#include "SmoothedGain.h"

#include <cmath>

namespace qv
{
/** A ramp with an equal ratio per step (a straight line in the logarithmic domain)
    that returns the target itself on its last step.

    The law only makes sense between positive values. A target or starting value at or
    below zero is replaced by a tiny positive floor for the ramp, which still lands on
    the exact target at its end; non-finite targets are ignored. Neither can make the
    value NaN or infinite.
*/
template <typename SampleType>
class LogSmoothedValue
{
public:
    explicit LogSmoothedValue (float rampLengthMilliseconds = 0.0f, SampleType initialValue = SampleType (1)) noexcept
        : rampMs (rampLengthMilliseconds), target (initialValue), current (initialValue)
    {
    }

    /** Takes a new rate and snaps to the target, ending any ramp under way. */
    void reset (double newSampleRate) noexcept
    {
        jassert (newSampleRate > 0.0);

        sampleRate = newSampleRate;
        current = target;
        countdown = 0;
    }

    /** Starts a new ramp from the current value, unless the target barely moves. */
    void setTargetValue (SampleType newTarget) noexcept
    {
        if (! std::isfinite (newTarget) || ! (std::abs (target - newTarget) > epsilon))
            return;

        target = newTarget;
        countdown = static_cast<int> (static_cast<double> (rampMs) * sampleRate * 0.001);

        if (countdown < 1)
        {
            current = target;
            return;
        }

        current = positiveOrFloor (current);
        multiplier = std::exp ((std::log (positiveOrFloor (target)) - std::log (current)) / static_cast<SampleType> (countdown));

        if (! std::isfinite (multiplier))
        {
            current = target;
            countdown = 0;
        }
    }

    SampleType getNextValue() noexcept
    {
        if (countdown < 1)
            return target;

        current = current * multiplier;

        if (--countdown == 0)
            current = target;

        return current;
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

    /** Stand-in for values at or below zero in the ramp's law: about -140 dB as a gain. */
    static constexpr SampleType floorValue = static_cast<SampleType> (1.0e-7);

private:
    static constexpr SampleType epsilon = static_cast<SampleType> (1.1920929e-7);

    static SampleType positiveOrFloor (SampleType value) noexcept
    {
        return value > SampleType (0) ? value : floorValue;
    }

    int countdown = 0;
    double sampleRate = 0.0;
    float rampMs = 0.0f;
    SampleType target, current;
    SampleType multiplier = 1;
};
} // namespace qv
