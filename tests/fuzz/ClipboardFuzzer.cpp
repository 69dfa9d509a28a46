// libFuzzer target: arbitrary text on the clipboard, pasted through the preset bar's
// menu. Text that cannot be a state changes nothing; whatever is pasted leaves every
// parameter finite and inside its range, and nothing shows an alert.

#include "FuzzChecks.h"
#include "PresetBrowserComponent.h"

#include <juce_events/juce_events.h>

#include <cstdint>
#include <memory>

namespace
{
using brazzle::fuzz::require;

struct PastingPlatform final : PresetBrowserComponent::Platform
{
    int showMenu (juce::PopupMenu&, juce::Rectangle<int>) override { return PresetBrowserComponent::pasteFromClipboard; }

    std::optional<juce::File> chooseFileToSave (const juce::String&, const juce::File&, const juce::String&) override
    {
        return {};
    }

    void showMessageBox (juce::MessageBoxIconType, const juce::String&, const juce::String&, const juce::String&) override
    {
        require (false, "pasting showed an alert");
    }

    void copyTextToClipboard (const juce::String& text) override { clipboard = text; }
    juce::String getTextFromClipboard() override { return clipboard; }

    juce::String clipboard;
};

BrazzleAudioProcessor* processor = nullptr;
PresetBrowserComponent* browser = nullptr;
PastingPlatform* platform = nullptr;

juce::MemoryBlock saved()
{
    juce::MemoryBlock block;
    processor->getStateInformation (block);
    return block;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::initialiseJuce_GUI();
    juce::MessageManager::getInstance();

    processor = new BrazzleAudioProcessor();
    auto owned = std::make_unique<PastingPlatform>();
    platform = owned.get();
    browser = new PresetBrowserComponent (*processor, std::move (owned));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto text = brazzle::fuzz::utf8Text (data, size);

    if (! text.has_value())
        return -1;

    const auto before = saved();
    platform->clipboard = *text;
    browser->promptMenu();

    brazzle::fuzz::requireParametersInRange (*processor);

    // Text without the state's root element in it cannot be a state. (The fuzzer does
    // not parse the text itself: the framework's parser hangs on some of it.)
    if (! text->containsIgnoreCase ("<" + processor->getParameterTree().state.getType().toString()))
        require (saved() == before, "text that is no state changed the state");

    return 0;
}
