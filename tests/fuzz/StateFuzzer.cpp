// libFuzzer target: arbitrary bytes as host state. Besides the sanitizers' findings,
// it stops on a restore that leaves a parameter outside its range or not finite, that
// forgets to rewrite the version, or whose saved state does not restore to itself.

#include "FuzzChecks.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace
{
using brazzle::fuzz::require;

BrazzleAudioProcessor* processor = nullptr;

juce::MemoryBlock saved (BrazzleAudioProcessor& p)
{
    juce::MemoryBlock block;
    p.getStateInformation (block);
    return block;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::initialiseJuce_GUI();
    juce::MessageManager::getInstance();

    // Lives for the whole run, so that one input's restore meets the state the
    // previous inputs left, as in a host.
    processor = new BrazzleAudioProcessor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size > static_cast<std::size_t> (std::numeric_limits<int>::max()))
        return 0;

    processor->setStateInformation (data, static_cast<int> (size));
    brazzle::fuzz::requireParametersInRange (*processor);
    brazzle::fuzz::requireVersionRewritten (*processor);

    // What the processor saves restores to itself, byte for byte.
    const auto first = saved (*processor);
    const std::unique_ptr<char[]> exact (new char[first.getSize()]);
    std::memcpy (exact.get(), first.getData(), first.getSize());
    processor->setStateInformation (exact.get(), static_cast<int> (first.getSize()));
    brazzle::fuzz::requireParametersInRange (*processor);
    require (saved (*processor) == first, "a saved state that does not restore to itself");
    return 0;
}
