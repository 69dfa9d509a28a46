#pragma once

#include <juce_dsp/juce_dsp.h>
#include <boost/hana.hpp>

namespace qv
{
/** Runs each member processor on the same input and writes each member's result into
    its own slice of an internal buffer. Combining the slices is left to the owner.

    Slice i holds channels i * N to i * N + N - 1 of the buffer, N being the channel count
    given to prepare. A block with more channels or samples than were prepared is only
    processed as far as the buffer reaches.
*/
template <typename SampleType, typename... Processors>
class ProcessorParallel
{
public:
    static constexpr size_t numProcessors = sizeof... (Processors);

    ProcessorParallel() = default;

    template <size_t Index>
    auto& get() noexcept                   { return processors[boost::hana::size_c<Index>]; }

    template <size_t Index>
    const auto& get() const noexcept       { return processors[boost::hana::size_c<Index>]; }

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        numChannels = spec.numChannels;
        numSamplesProcessed = 0;
        buffer.setSize ((int) (numProcessors * numChannels), (int) spec.maximumBlockSize);
        buffer.clear();

        boost::hana::for_each (processors, [&spec] (auto& processor) { processor.prepare (spec); });
    }

    /** Clears the slices and every member's signal history and keeps the settings;
        allocates nothing. */
    void reset() noexcept
    {
        buffer.clear();
        boost::hana::for_each (processors, [] (auto& processor) { processor.reset(); });
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        static_assert (std::is_same_v<typename ProcessContext::SampleType, SampleType>);

        const auto& input = context.getInputBlock();

        jassert (input.getNumChannels() <= numChannels);
        jassert (input.getNumSamples() <= (size_t) buffer.getNumSamples());

        const auto channelsToUse = juce::jmin (input.getNumChannels(), numChannels);
        numSamplesProcessed = juce::jmin (input.getNumSamples(), (size_t) buffer.getNumSamples());

        const auto memberInput = input.getSubsetChannelBlock (0, channelsToUse)
                                      .getSubBlock (0, numSamplesProcessed);
        size_t index = 0;

        boost::hana::for_each (processors, [&] (auto& processor)
        {
            auto slice = getSlice (index++).getSubsetChannelBlock (0, channelsToUse);
            processor.process (juce::dsp::ProcessContextNonReplacing<SampleType> (memberInput, slice));
        });
    }

    /** Member i's output of the last block: N channels, as many samples as were processed. */
    juce::dsp::AudioBlock<SampleType> getSlice (size_t index) noexcept
    {
        jassert (index < numProcessors);

        return juce::dsp::AudioBlock<SampleType> (buffer)
                   .getSubsetChannelBlock (index * numChannels, numChannels)
                   .getSubBlock (0, numSamplesProcessed);
    }

    juce::AudioBuffer<SampleType>& getBuffer() noexcept  { return buffer; }

private:
    boost::hana::tuple<Processors...> processors;
    juce::AudioBuffer<SampleType> buffer;
    size_t numChannels = 0, numSamplesProcessed = 0;
};
} // namespace qv
