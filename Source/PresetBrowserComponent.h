#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <optional>

class BrazzleAudioProcessor;

/** The preset bar: previous and next arrows around a button that shows the current
    program and opens the preset menu with the save, copy and paste commands.

    The processor's programs are the only record of the presets; the bar keeps no copy.
    Everything runs on the message thread, the menu and dialogs in modal loops.
*/
class PresetBrowserComponent : public juce::Component,
                               public juce::Button::Listener
{
public:
    /** The modal and system parts: menu, save dialog, alert box and clipboard. The
        default one uses the framework's synchronous calls; tests put in their own.
    */
    class Platform
    {
    public:
        virtual ~Platform() = default;

        /** Shows the menu beside a screen rectangle; returns the chosen item's ID, 0 when dismissed. */
        virtual int showMenu (juce::PopupMenu&, juce::Rectangle<int> screenArea) = 0;

        /** Asks for a file to save; nothing when cancelled. */
        virtual std::optional<juce::File> chooseFileToSave (const juce::String& title, const juce::File& startFolder,
                                                            const juce::String& filePatterns) = 0;

        virtual void showMessageBox (juce::MessageBoxIconType, const juce::String& title,
                                     const juce::String& message, const juce::String& buttonText) = 0;

        virtual void copyTextToClipboard (const juce::String&) = 0;
        virtual juce::String getTextFromClipboard() = 0;
    };

    /** Menu item IDs of the three commands; presets use their program index plus one. */
    enum Command
    {
        saveAs = -1,
        copyToClipboard = -2,
        pasteFromClipboard = -3
    };

    explicit PresetBrowserComponent (BrazzleAudioProcessor&, std::unique_ptr<Platform> = nullptr);
    ~PresetBrowserComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void lookAndFeelChanged() override;

    void buttonClicked (juce::Button*) override;
    void buttonStateChanged (juce::Button*) override;

    /** Program number padded to two digits, a point, then the name in upper case: 03.BASS/FAT. */
    static juce::String formatPresetName (int programIndex, const juce::String& name);

    /** Rebuilds the menu from the processor's programs. */
    void populateMenu();

    /** Shows the menu and carries out the item chosen. */
    void promptMenu();

    const juce::PopupMenu& getMenu() const noexcept { return menu; }
    juce::Button& getButton (int index) noexcept { return *buttons[index]; }

    static constexpr int previousButton = 0;
    static constexpr int nameButton = 1;
    static constexpr int nextButton = 2;

private:
    void handleMenuResult (int result);
    void copyState();
    void pasteState();
    void savePreset();
    void writePresetFile (const juce::File&, const juce::MemoryBlock& content);
    void showFailure (const juce::String& message);

    BrazzleAudioProcessor& audioProcessor;
    juce::OwnedArray<juce::Button> buttons;
    juce::PopupMenu menu;
    std::unique_ptr<Platform> platform;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetBrowserComponent)
};
