#pragma once

#include <juce_dsp/juce_dsp.h>

#include <algorithm>
#include <array>
#include <type_traits>

namespace qv::detail
{
/** One channel's state of a first- or second-order IIR section whose coefficients live
    in a shared coefficient object.

    It performs exactly the framework filter's operations, in the same order and
    precision, so its results are bit-identical to juce::dsp::IIR::Filter; unlike that
    filter it lets the block loops below run several channels and sections together.
    A change of the coefficients' order clears the state, as the framework's filter does.
*/
template <typename SampleType>
class IIRSection
{
public:
    using Coefficients = juce::dsp::IIR::Coefficients<SampleType>;
    static constexpr size_t maximumOrder = 2;

    explicit IIRSection (typename Coefficients::Ptr coefficientsToUse) noexcept
        : coefficients (std::move (coefficientsToUse))
    {
        reset();
    }

    void reset() noexcept
    {
        jassert (coefficients != nullptr);
        order = coefficients->getFilterOrder();
        jassert (order == 1 || order == maximumOrder);
        state = {};
    }

    /** Brings the state in line with the coefficients' order; returns that order. */
    size_t check() noexcept
    {
        if (order != coefficients->getFilterOrder())
            reset();

        return order;
    }

    SampleType processSample (SampleType sample) noexcept
    {
        const auto* c = coefficients->getRawCoefficients();

        switch (check())
        {
            case 1:
            {
                const auto output = (c[0] * sample) + state[0];
                state[0] = (c[1] * sample) - (c[2] * output);
                return output;
            }

            case 2:
            {
                const auto output = (c[0] * sample) + state[0];
                state[0] = (c[1] * sample) - (c[3] * output) + state[1];
                state[1] = (c[2] * sample) - (c[4] * output);
                return output;
            }

            default:
                return sample;
        }
    }

    void snapToZero() noexcept
    {
        for (auto& s : state)
            juce::dsp::util::snapToZero (s);
    }

    typename Coefficients::Ptr coefficients;
    std::array<SampleType, maximumOrder> state {};

private:
    size_t order = 0;
};

/** A section's coefficients and state copied into locals for the length of a block
    loop, so that the compiler can keep them in registers; store writes the state back
    and snaps it to zero, as the framework does after its block loops. */
template <typename SampleType, size_t order>
struct SectionRecursion;

template <typename SampleType>
struct SectionRecursion<SampleType, 1>
{
    explicit SectionRecursion (const IIRSection<SampleType>& section) noexcept
    {
        const auto* c = section.coefficients->getRawCoefficients();
        b0 = c[0]; b1 = c[1]; a1 = c[2];
        lv1 = section.state[0];
    }

    SampleType operator() (SampleType input) noexcept
    {
        const auto output = input * b0 + lv1;
        lv1 = (input * b1) - (output * a1);
        return output;
    }

    void store (IIRSection<SampleType>& section) noexcept
    {
        juce::dsp::util::snapToZero (lv1);
        section.state[0] = lv1;
    }

    SampleType b0, b1, a1, lv1;
};

template <typename SampleType>
struct SectionRecursion<SampleType, 2>
{
    explicit SectionRecursion (const IIRSection<SampleType>& section) noexcept
    {
        const auto* c = section.coefficients->getRawCoefficients();
        b0 = c[0]; b1 = c[1]; b2 = c[2]; a1 = c[3]; a2 = c[4];
        lv1 = section.state[0];
        lv2 = section.state[1];
    }

    SampleType operator() (SampleType input) noexcept
    {
        const auto output = (input * b0) + lv1;
        lv1 = (input * b1) - (output * a1) + lv2;
        lv2 = (input * b2) - (output * a2);
        return output;
    }

    void store (IIRSection<SampleType>& section) noexcept
    {
        juce::dsp::util::snapToZero (lv1);
        juce::dsp::util::snapToZero (lv2);
        section.state[0] = lv1;
        section.state[1] = lv2;
    }

    SampleType b0, b1, b2, a1, a2, lv1, lv2;
};

/** Runs a series of sections of one order over one or two channels in a single loop;
    the recursions of different channels and sections are independent, so they overlap
    instead of waiting on one another. With bypassFirst the first section advances its
    state but hands on its input, as a bypassed framework filter followed by an active
    one would. */
template <typename SampleType, size_t order, size_t numChannels, size_t numStages, bool bypassFirst>
void runSections (const std::array<std::array<IIRSection<SampleType>*, numStages>, numChannels>& sections,
                  const std::array<const SampleType*, numChannels>& inputs,
                  const std::array<SampleType*, numChannels>& outputs,
                  size_t numSamples) noexcept
{
    static_assert (numChannels >= 1 && numChannels <= 2 && numStages >= 1 && numStages <= 3);
    using Recursion = SectionRecursion<SampleType, order>;

    auto load = [&] (size_t channel, size_t stage) { return Recursion (*sections[channel][stage]); };

    Recursion r00 = load (0, 0);
    Recursion r01 = numStages > 1 ? load (0, 1) : r00;
    Recursion r02 = numStages > 2 ? load (0, 2) : r00;
    Recursion r10 = numChannels > 1 ? load (numChannels - 1, 0) : r00;
    Recursion r11 = numChannels > 1 && numStages > 1 ? load (numChannels - 1, 1) : r00;
    Recursion r12 = numChannels > 1 && numStages > 2 ? load (numChannels - 1, 2) : r00;

    auto runChannel = [] (SampleType x, Recursion& first, Recursion& second, Recursion& third) noexcept
    {
        const auto y = first (x);
        auto v = bypassFirst ? x : y;

        if constexpr (numStages > 1)
            v = second (v);

        if constexpr (numStages > 2)
            v = third (v);

        return v;
    };

    const auto* in0 = inputs[0];
    auto* out0 = outputs[0];

    if constexpr (numChannels == 1)
    {
        for (size_t i = 0; i < numSamples; ++i)
            out0[i] = runChannel (in0[i], r00, r01, r02);
    }
    else
    {
        const auto* in1 = inputs[1];
        auto* out1 = outputs[1];

        for (size_t i = 0; i < numSamples; ++i)
        {
            const auto x0 = in0[i];
            const auto x1 = in1[i];
            const auto y0 = runChannel (x0, r00, r01, r02);
            const auto y1 = runChannel (x1, r10, r11, r12);
            out0[i] = y0;
            out1[i] = y1;
        }
    }

    auto store = [&] (Recursion& r, size_t channel, size_t stage) { r.store (*sections[channel][stage]); };

    store (r00, 0, 0);
    if constexpr (numStages > 1) store (r01, 0, 1);
    if constexpr (numStages > 2) store (r02, 0, 2);

    if constexpr (numChannels > 1)
    {
        store (r10, 1, 0);
        if constexpr (numStages > 1) store (r11, 1, 1);
        if constexpr (numStages > 2) store (r12, 1, 2);
    }
}

/** Filters each channel through numStages sections, sectionFor (channel, stage) naming
    the section; the channels are taken in pairs and an odd last channel alone. The
    first stage reads the input and later stages refine the output in place; input and
    output may be the same memory. */
template <typename SampleType, size_t numStages, bool bypassFirst, typename SectionFor>
void processSections (SectionFor&& sectionFor,
                      const juce::dsp::AudioBlock<const SampleType>& input,
                      const juce::dsp::AudioBlock<SampleType>& output) noexcept
{
    jassert (input.getNumChannels() == output.getNumChannels());
    jassert (input.getNumSamples() == output.getNumSamples());

    const auto numChannels = juce::jmin (input.getNumChannels(), output.getNumChannels());
    const auto numSamples = juce::jmin (input.getNumSamples(), output.getNumSamples());

    auto sameOrder = [&] (size_t firstChannel, size_t count) -> size_t
    {
        const auto order = sectionFor (firstChannel, 0).check();

        for (size_t channel = firstChannel; channel < firstChannel + count; ++channel)
            for (size_t stage = 0; stage < numStages; ++stage)
                if (sectionFor (channel, stage).check() != order)
                    return 0;

        return order == 1 || order == 2 ? order : 0;
    };

    auto run = [&] (auto numChannelsConstant, size_t firstChannel, size_t order)
    {
        constexpr size_t count = decltype (numChannelsConstant)::value;
        std::array<std::array<IIRSection<SampleType>*, numStages>, count> sections;
        std::array<const SampleType*, count> in;
        std::array<SampleType*, count> out;

        for (size_t c = 0; c < count; ++c)
        {
            for (size_t stage = 0; stage < numStages; ++stage)
                sections[c][stage] = &sectionFor (firstChannel + c, stage);

            in[c] = input.getChannelPointer (firstChannel + c);
            out[c] = output.getChannelPointer (firstChannel + c);
        }

        if (order == 1)
            runSections<SampleType, 1, count, numStages, bypassFirst> (sections, in, out, numSamples);
        else
            runSections<SampleType, 2, count, numStages, bypassFirst> (sections, in, out, numSamples);
    };

    auto runMixed = [&] (size_t channel)
    {
        for (size_t stage = 0; stage < numStages; ++stage)
        {
            auto& section = sectionFor (channel, stage);
            const std::array<std::array<IIRSection<SampleType>*, 1>, 1> single { { { &section } } };
            const std::array<SampleType*, 1> out { output.getChannelPointer (channel) };
            const std::array<const SampleType*, 1> in { stage == 0 ? input.getChannelPointer (channel) : out[0] };
            const auto order = section.check();
            const auto bypassed = bypassFirst && stage == 0;

            if (order == 1 && bypassed)       runSections<SampleType, 1, 1, 1, true> (single, in, out, numSamples);
            else if (order == 1)              runSections<SampleType, 1, 1, 1, false> (single, in, out, numSamples);
            else if (order == 2 && bypassed)  runSections<SampleType, 2, 1, 1, true> (single, in, out, numSamples);
            else if (order == 2)              runSections<SampleType, 2, 1, 1, false> (single, in, out, numSamples);
            else if (in[0] != out[0])         std::copy (in[0], in[0] + numSamples, out[0]);
        }
    };

    size_t channel = 0;

    for (; channel + 1 < numChannels; channel += 2)
    {
        if (const auto order = sameOrder (channel, 2); order != 0)
        {
            run (std::integral_constant<size_t, 2>(), channel, order);
        }
        else
        {
            runMixed (channel);
            runMixed (channel + 1);
        }
    }

    if (channel < numChannels)
    {
        if (const auto order = sameOrder (channel, 1); order != 0)
            run (std::integral_constant<size_t, 1>(), channel, order);
        else
            runMixed (channel);
    }
}
} // namespace qv::detail
