#pragma once

#include <juce_dsp/juce_dsp.h>

namespace qv
{
template <typename SampleType>
class ModulationSubscription;

/** Produces an audio-rate control signal, one channel per audio channel, once per block.

    Subscriptions register themselves here and must be destroyed before their source:
    the source does not tell its subscribers that it is going away.
*/
template <typename SampleType>
class ModulationSource
{
public:
    ModulationSource() = default;

    virtual ~ModulationSource()
    {
        jassert (subscriptions.isEmpty());
    }

    /** The source's output of the last block it processed. */
    virtual juce::dsp::AudioBlock<SampleType> getBlock() = 0;

    juce::SortedSet<ModulationSubscription<SampleType>*> subscriptions;

private:
    JUCE_DECLARE_NON_COPYABLE (ModulationSource)
};
} // namespace qv
