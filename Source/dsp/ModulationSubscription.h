#pragma once

#include "ModulationSource.h"

namespace qv
{
/** A consumer's link to a modulation source. The source hands its latest block to
    every subscription before the consumers run, and the consumer reads it from here.
*/
template <typename SampleType>
class ModulationSubscription
{
public:
    ModulationSubscription (const juce::String& sourceIdentifier, ModulationSource<SampleType>* sourceToUse)
        : sourceId (sourceIdentifier), source (sourceToUse)
    {
        jassert (source != nullptr);

        if (source != nullptr)
            source->subscriptions.add (this);
    }

    ~ModulationSubscription()
    {
        if (source != nullptr)
            source->subscriptions.removeValue (this);
    }

    juce::String sourceId;
    ModulationSource<SampleType>* source;
    juce::dsp::AudioBlock<SampleType> block;

private:
    JUCE_DECLARE_NON_COPYABLE (ModulationSubscription)
};
} // namespace qv
