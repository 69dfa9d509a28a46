// libFuzzer target: arbitrary text typed into a parameter's text field, as hosts and
// the renderer's --set pass it on. The first byte chooses the parameter, the rest is
// the text. Whatever is typed gives a finite normalised value in [0, 1], and the plain
// value the parameter's own conversion reads is finite or refused before use.

#include "FuzzChecks.h"
#include "PluginParameters.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdint>

namespace
{
using brazzle::fuzz::require;

BrazzleAudioProcessor* processor = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::initialiseJuce_GUI();
    juce::MessageManager::getInstance();
    processor = new BrazzleAudioProcessor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return -1;

    const auto text = brazzle::fuzz::utf8Text (data + 1, size - 1);

    if (! text.has_value())
        return -1;

    const auto& parameters = processor->getParameters();
    auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[data[0] % parameters.size()]);
    require (parameter != nullptr, "a parameter without a range");

    const auto normalised = parameter->getValueForText (*text);
    require (std::isfinite (normalised) && normalised >= 0.0f && normalised <= 1.0f,
             "typed text gave a normalised value outside [0, 1]");

    // The value the host then sets must survive a trip through the parameter's text.
    parameter->setValueNotifyingHost (normalised);
    brazzle::fuzz::requireParametersInRange (*processor);

    const auto shown = parameter->getCurrentValueAsText();
    const auto again = parameter->getValueForText (shown);
    require (std::isfinite (again) && again >= 0.0f && again <= 1.0f, "a parameter's own text read back outside [0, 1]");

    // NaN is what a careless caller could pass on without a range check failing.
    require (! std::isnan (PluginParameters::textToPlainValue (parameter->paramID, *text)),
             "typed text read as NaN");
    return 0;
}
