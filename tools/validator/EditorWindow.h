#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace brazzle::validator
{
/** The plug-in's editor in a window on screen, as a host opens it; closing means
    deleting the editor, as hosts do. Needs a display. */
class EditorWindow
{
public:
    explicit EditorWindow (juce::AudioProcessor& processor);
    ~EditorWindow();

    bool isOpen() const noexcept { return editor != nullptr; }

    /** X errors seen since the first window opened; they are counted, not fatal. */
    static int getXErrorCount() noexcept;
    juce::Rectangle<int> getEditorBounds() const;

private:
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    std::unique_ptr<juce::DocumentWindow> window;

    JUCE_DECLARE_NON_COPYABLE (EditorWindow)
};
} // namespace brazzle::validator
