#pragma once

#include "CpuDispatch.h"
#include "ModulationSubscription.h"
#include "PoleSmoothedValue.h"

#include <algorithm>
#include <array>

namespace qv
{
namespace detail
{
/** The cascade's inner loop, see QV_WITH_AVX2_CLONE. */
template <typename SampleType, std::ptrdiff_t numSections>
QV_WITH_AVX2_CLONE
static void runAllpassLanes (SampleType* samples, const SampleType* coefficients, SampleType* laneStates,
                             std::ptrdiff_t numSamples) noexcept
{
    constexpr auto lastLane = numSections - 1;

    // A local copy that nothing else can alias lets the steady-state steps keep the
    // lane states in registers.
    SampleType lanes[static_cast<size_t> (numSections)];
    std::copy (laneStates, laneStates + numSections, lanes);

    auto step = [&] (std::ptrdiff_t t, std::ptrdiff_t firstLane, std::ptrdiff_t endLane)
    {
        const auto firstSample = t - lastLane;

        for (auto j = firstLane; j < endLane; ++j)
        {
            auto& x = samples[firstSample + j];
            const auto a = coefficients[firstSample + j];
            const auto y = a * x + lanes[j];
            lanes[j] = x - a * y;
            x = y;
        }
    };

    const auto end = numSamples + lastLane;
    const auto steadyBegin = std::min (lastLane, end);
    const auto steadyEnd = std::max (steadyBegin, numSamples);
    std::ptrdiff_t t = 0;

    for (; t < steadyBegin; ++t)
        step (t, lastLane - t, std::min (numSections, numSamples + lastLane - t));

    for (; t < steadyEnd; ++t)
    {
        const auto firstSample = t - lastLane;
        auto* x = samples + firstSample;
        const auto* a = coefficients + firstSample;

        for (std::ptrdiff_t j = 0; j < numSections; ++j)
        {
            const auto y = a[j] * x[j] + lanes[j];
            lanes[j] = x[j] - a[j] * y;
            x[j] = y;
        }
    }

    for (; t < end; ++t)
        step (t, std::max ((std::ptrdiff_t) 0, lastLane - t), std::min (numSections, numSamples + lastLane - t));

    std::copy (lanes, lanes + numSections, laneStates);
}
} // namespace detail

/** A chain of 32 first-order allpass sections, H(z) = (a + z^-1) / (1 + a z^-1), whose
    shared coefficient follows amount times the modulation signal of the first
    subscription, sample by sample, clipped to +-0.97.

    Where the modulation signal is missing (no subscription, or a block shorter or
    narrower than the audio) it counts as silence, which leaves a plain 32-sample delay.
*/
template <typename SampleType>
class FirstOrderAllpassCascade
{
public:
    static constexpr int numSections = 32;
    static constexpr SampleType coefficientLimit = static_cast<SampleType> (0.97);

    FirstOrderAllpassCascade() = default;

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        amount.reset (spec.sampleRate);
        coefficientBuffer.setSize ((int) spec.numChannels, (int) spec.maximumBlockSize);
        coefficientBuffer.clear();
        stageStates.setSize ((int) spec.numChannels, numSections);
        stageStates.clear();
    }

    /** Clears the sections' history and keeps the depth and its approach; allocates nothing. */
    void reset() noexcept
    {
        coefficientBuffer.clear();
        stageStates.clear();
    }

    /** A block longer than the prepared maximum is processed in pieces of that length. */
    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        const auto& block = context.getOutputBlock();

        if constexpr (ProcessContext::usesSeparateInputAndOutputBlocks())
            block.copyFrom (context.getInputBlock());

        jassert (block.getNumChannels() <= (size_t) coefficientBuffer.getNumChannels());

        const auto numChannels = juce::jmin (block.getNumChannels(), (size_t) coefficientBuffer.getNumChannels());
        const auto numSamples = block.getNumSamples();
        const auto chunkSize = (size_t) coefficientBuffer.getNumSamples();

        if (numChannels == 0 || chunkSize == 0)
            return;

        for (size_t offset = 0; offset < numSamples; offset += chunkSize)
        {
            const auto length = juce::jmin (chunkSize, numSamples - offset);
            fillCoefficients (numChannels, offset, length);

            for (size_t channel = 0; channel < numChannels; ++channel)
                processChannel (block, channel, offset, length);
        }
    }

private:
    void fillCoefficients (size_t numChannels, size_t offset, size_t length) noexcept
    {
        auto* first = coefficientBuffer.getWritePointer (0);

        for (size_t i = 0; i < length; ++i)
            first[i] = amount.getNextValue();

        for (size_t channel = 1; channel < numChannels; ++channel)
            juce::FloatVectorOperations::copy (coefficientBuffer.getWritePointer ((int) channel), first, (int) length);

        const auto modulation = subscriptions.isEmpty() ? juce::dsp::AudioBlock<SampleType>()
                                                        : subscriptions.getUnchecked (0)->block;

        const auto modulatedLength = modulation.getNumSamples() > offset
                                         ? juce::jmin (length, modulation.getNumSamples() - offset)
                                         : size_t (0);

        for (size_t channel = 0; channel < numChannels; ++channel)
        {
            auto* coefficients = coefficientBuffer.getWritePointer ((int) channel);

            if (channel < modulation.getNumChannels() && modulatedLength > 0)
            {
                juce::FloatVectorOperations::multiply (coefficients, modulation.getChannelPointer (channel) + offset, (int) modulatedLength);
                juce::FloatVectorOperations::clip (coefficients, coefficients, -coefficientLimit, coefficientLimit, (int) modulatedLength);
                juce::FloatVectorOperations::clear (coefficients + modulatedLength, (int) (length - modulatedLength));
            }
            else
            {
                juce::FloatVectorOperations::clear (coefficients, (int) length);
            }
        }
    }

    /** Runs one channel through all sections. A section only needs its own state and the
        previous section's output of the same sample, so while sample n is in section k,
        sample n + 1 can already be in section k - 1: each step below moves up to 32
        samples, one per section, one section further along. That keeps the 32
        operations of a step independent of each other (the chain of one sample would
        otherwise be a row of 32 dependent multiply-adds), while every section still sees
        its samples in order, so the results are those of the plain sample-by-sample loop.

        Lane j of a step holds section 31 - j and sample t - 31 + j, so samples,
        coefficients and lane states are all read in ascending order. */
    void processChannel (const juce::dsp::AudioBlock<SampleType>& block, size_t channel, size_t offset, size_t length) noexcept
    {
        auto* samples = block.getChannelPointer (channel) + offset;
        const auto* coefficients = coefficientBuffer.getReadPointer ((int) channel);
        auto* sectionStates = stageStates.getWritePointer ((int) channel);

        std::array<SampleType, numSections> laneStates;
        std::reverse_copy (sectionStates, sectionStates + numSections, laneStates.begin());

        detail::runAllpassLanes<SampleType, (std::ptrdiff_t) numSections> (samples, coefficients, laneStates.data(),
                                                                           (std::ptrdiff_t) length);

        std::reverse_copy (laneStates.begin(), laneStates.end(), sectionStates);
    }

    juce::AudioBuffer<SampleType> coefficientBuffer;
    juce::AudioBuffer<SampleType> stageStates;

public:
    /** Modulation depth; the owner sets its target once per block. */
    PoleSmoothedValue<SampleType> amount { 8.0f, SampleType (0) };

    /** The first subscription supplies the modulation signal. */
    juce::OwnedArray<ModulationSubscription<SampleType>> subscriptions;

private:
    JUCE_DECLARE_NON_COPYABLE (FirstOrderAllpassCascade)
};
} // namespace qv
