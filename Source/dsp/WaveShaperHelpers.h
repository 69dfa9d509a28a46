#pragma once

#include "CpuDispatch.h"

#include <juce_dsp/juce_dsp.h>

#include <array>
#include <cmath>

namespace qv::WaveShaperHelpers
{
/** A curve's block loop, see QV_WITH_AVX2_CLONE. */
template <typename SampleType, SampleType (*curve) (SampleType) noexcept>
QV_WITH_AVX2_CLONE
static void shapeSamples (SampleType* samples, size_t numSamples) noexcept
{
    for (size_t i = 0; i < numSamples; ++i)
        samples[i] = curve (samples[i]);
}

/** The saturator's six transfer curves, and one channel's curve with a click-free
    switch between curves: the old curve fades out over 30 ms, the switch happens at
    silence, and the new curve fades back in over 30 ms.

    The curves are pure functions, usable as plain function pointers from any thread.
    Except for the tube curve they evaluate the fast tanh in single precision on inputs
    limited to +-5, where that approximation holds.
*/
template <typename SampleType>
class SingleChannelWaveShaper
{
public:
    using Curve = SampleType (*) (SampleType) noexcept;

    static constexpr int numCurves = 6;

    SingleChannelWaveShaper() = default;

    //==============================================================================
    static SampleType identity (SampleType x) noexcept
    {
        return x;
    }

    static SampleType tapeSaturate (SampleType x) noexcept
    {
        return fastTanh (clamp5 (x));
    }

    /** Asymmetric, with a squared input law; not zero at zero. Evaluated in double
        precision with an unlimited tanh argument, so it rises slowly past 1 above 5. */
    static SampleType tubeSaturate (SampleType x) noexcept
    {
        const auto limited = std::min (std::max (x, static_cast<SampleType> (-1.41f)), static_cast<SampleType> (5.0f));
        const auto shifted = static_cast<double> (limited + static_cast<SampleType> (1.41f));
        const auto t = 0.5 * shifted * shifted - 1.0;

        return static_cast<SampleType> (juce::dsp::FastMathApproximations::tanh (t));
    }

    /** Soft clipping with a flattened, slightly wavy zone around zero. The offsets are
        added in double precision, so an input of exactly -0.1 or -0.05 cancels them and
        gives an exact zero. */
    static SampleType crossoverSaturate (SampleType x) noexcept
    {
        const auto a = fastTanh (clamp5 (sumInDouble (x, static_cast<SampleType> (0.1f))));
        const auto quadrupled = static_cast<SampleType> (4) * x;
        const auto b = fastTanh (clamp5 (quadrupled));
        const auto c = fastTanh (clamp5 (sumInDouble (quadrupled, static_cast<SampleType> (0.2f))));

        return (b * c) * a;
    }

    /** Odd logarithmic compression through the origin (0.018315639 is e^-4). */
    static SampleType logSaturate (SampleType x) noexcept
    {
        const auto sign = x >= SampleType (0) ? SampleType (1) : SampleType (-1);
        const auto level = std::log (std::abs (x) + static_cast<SampleType> (0.018315639f)) + SampleType (4);
        const auto scaled = static_cast<SampleType> (static_cast<double> (level) * (static_cast<double> (sign) * 0.1));

        return fastTanh (clamp5 (scaled)) * static_cast<SampleType> (1.96f);
    }

    /** Folds the input by half periods into [-pi, pi] and takes the fast sine, so the
        output keeps the input's sign.

        The fold subtracts pi one step at a time, as many steps as the input holds
        (a few thousand at most). Beyond that the same fold is done by a remainder in
        double precision, which ends for any size, even where subtracting pi no longer
        changes a float; an infinite input gives 0 and NaN stays NaN.
    */
    static SampleType sinFoldback (SampleType x) noexcept
    {
        constexpr auto pi = static_cast<SampleType> (3.1415927f);

        if (std::abs (x) > maximumSteppedFold)
        {
            if (std::isinf (x))
                return std::copysign (SampleType (0), x);

            x = static_cast<SampleType> (std::fmod (static_cast<double> (x), static_cast<double> (pi)));
        }

        while (x > pi)
            x = x - pi;

        while (x < -pi)
            x = x + pi;

        return juce::dsp::FastMathApproximations::sin (x);
    }

    static constexpr std::array<Curve, numCurves> makeCurves() noexcept
    {
        return { &identity, &tapeSaturate, &tubeSaturate, &crossoverSaturate, &logSaturate, &sinFoldback };
    }

    //==============================================================================
    /** Shapes one channel in place. Returns the index of the sample at which the curve
        switched, or numSamples when it did not; the owner's gains may depend on which
        curve sounds. */
    size_t process (SampleType* samples, size_t numSamples) noexcept
    {
        if (nextType < 0 && std::abs (SampleType (1) - fadeGain) <= epsilon)
        {
            shapeBlock (curves[(size_t) currentType], samples, numSamples);
            return numSamples;
        }

        size_t switchedAt = numSamples;

        for (size_t i = 0; i < numSamples; ++i)
        {
            if (nextType >= 0 && std::abs (fadeGain) <= epsilon)
            {
                currentType = nextType;
                nextType = -1;
                fadeStep = -fadeStep;
                switchedAt = i;
            }

            samples[i] = curves[(size_t) currentType] (samples[i]) * fadeGain;

            fadeGain = fadeGain + fadeStep;
            fadeGain = fadeGain < SampleType (0) ? SampleType (0) : std::min (fadeGain, SampleType (1));
        }

        return switchedAt;
    }

    /** Starts a fade towards another curve; a request for the curve already in use
        leaves the shaper alone, even when a switch to another curve is pending. */
    void requestCurve (int type) noexcept
    {
        if (currentType != type)
        {
            fadeStep = static_cast<SampleType> (-1.0 / (static_cast<double> (sampleRate) * 0.03));
            nextType = type;
        }
    }

    std::array<Curve, numCurves> curves = makeCurves();
    int currentType = 0;
    int nextType = -1;
    float sampleRate = 0.0f;
    SampleType fadeGain = 1;
    SampleType fadeStep = 0;

private:
    static constexpr SampleType epsilon = static_cast<SampleType> (1.1920929e-7);
    static constexpr SampleType maximumSteppedFold = static_cast<SampleType> (4096.0f * 3.1415927f);

    // Dispatching once per block to a loop that names its curve lets the compiler
    // inline and vectorise the curve; the operations, and so the results, are the same.
    // The fold-back stays behind the pointer: its sine multiplies the negated input by
    // a term of the input, and when the input is NaN the sign of the NaN that comes out
    // depends on the operand order the compiler picks.
    static void shapeBlock (Curve curve, SampleType* samples, size_t numSamples) noexcept
    {
        if (curve == &identity)               return;
        if (curve == &tapeSaturate)           return shapeWith<tapeSaturate> (samples, numSamples);
        if (curve == &tubeSaturate)           return shapeWith<tubeSaturate> (samples, numSamples);
        if (curve == &crossoverSaturate)      return shapeWith<crossoverSaturate> (samples, numSamples);
        if (curve == &logSaturate)            return shapeWith<logSaturate> (samples, numSamples);

        for (size_t i = 0; i < numSamples; ++i)
            samples[i] = curve (samples[i]);
    }

    template <Curve curve>
    static void shapeWith (SampleType* samples, size_t numSamples) noexcept
    {
        shapeSamples<SampleType, curve> (samples, numSamples);
    }

    static SampleType clamp5 (SampleType x) noexcept
    {
        return std::min (std::max (x, SampleType (-5)), SampleType (5));
    }

    static SampleType fastTanh (SampleType x) noexcept
    {
        return juce::dsp::FastMathApproximations::tanh (x);
    }

    static SampleType sumInDouble (SampleType a, SampleType b) noexcept
    {
        return static_cast<SampleType> (static_cast<double> (a) + static_cast<double> (b));
    }

    JUCE_DECLARE_NON_COPYABLE (SingleChannelWaveShaper)
};
} // namespace qv::WaveShaperHelpers
