#pragma once

#include <juce_dsp/juce_dsp.h>
#include <boost/hana.hpp>

namespace qv
{
/** Runs its member processors one after another on one block.

    The first member processes the given context itself; every later member refines the
    context's output block in place, so with a non-replacing context the input block is
    only ever read by the first member.
*/
template <typename SampleType, typename... Processors>
class ProcessorSeries
{
public:
    static constexpr size_t numProcessors = sizeof... (Processors);

    ProcessorSeries() = default;

    template <size_t Index>
    auto& get() noexcept                   { return processors[boost::hana::size_c<Index>]; }

    template <size_t Index>
    const auto& get() const noexcept       { return processors[boost::hana::size_c<Index>]; }

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        boost::hana::for_each (processors, [&spec] (auto& processor) { processor.prepare (spec); });
    }

    /** Clears every member's signal history and keeps the settings; allocates nothing. */
    void reset() noexcept
    {
        boost::hana::for_each (processors, [] (auto& processor) { processor.reset(); });
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        static_assert (std::is_same_v<typename ProcessContext::SampleType, SampleType>);

        boost::hana::fold_left (processors, context, [] (const auto& memberContext, auto& processor)
        {
            processor.process (memberContext);
            return juce::dsp::ProcessContextReplacing<SampleType> (memberContext.getOutputBlock());
        });
    }

private:
    boost::hana::tuple<Processors...> processors;
};
} // namespace qv
