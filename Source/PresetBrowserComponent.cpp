#include "PresetBrowserComponent.h"

#include "BrazzleAudioProcessor.h"
#include "BrazzleLookAndFeel.h"
#include "ChevronButton.h"
#include "presets/PresetManager.h"
#include "presets/StateDocument.h"

namespace
{
class FrameworkPlatform final : public PresetBrowserComponent::Platform
{
public:
    int showMenu (juce::PopupMenu& menu, juce::Rectangle<int> screenArea) override
    {
        return menu.showMenu (juce::PopupMenu::Options().withTargetScreenArea (screenArea));
    }

    std::optional<juce::File> chooseFileToSave (const juce::String& title, const juce::File& startFolder,
                                                const juce::String& filePatterns) override
    {
        juce::FileChooser chooser (title, startFolder, filePatterns, true);

        // Saving over a preset replaces it for good, so the dialog asks first.
        if (! chooser.browseForFileToSave (true))
            return std::nullopt;

        return chooser.getResult();
    }

    void showMessageBox (juce::MessageBoxIconType icon, const juce::String& title,
                         const juce::String& message, const juce::String& buttonText) override
    {
        juce::AlertWindow::showMessageBox (icon, title, message, buttonText);
    }

    void copyTextToClipboard (const juce::String& text) override
    {
        juce::SystemClipboard::copyTextToClipboard (text);
    }

    juce::String getTextFromClipboard() override
    {
        return juce::SystemClipboard::getTextFromClipboard();
    }
};

constexpr int numberOfCommands = 3;
} // namespace

PresetBrowserComponent::PresetBrowserComponent (BrazzleAudioProcessor& processor, std::unique_ptr<Platform> platformToUse)
    : audioProcessor (processor),
      platform (platformToUse != nullptr ? std::move (platformToUse) : std::make_unique<FrameworkPlatform>())
{
    const int current = audioProcessor.getCurrentProgram();

    buttons.add (std::make_unique<ChevronButton> ("Previous", 0.0f));
    buttons.add (std::make_unique<juce::TextButton> (formatPresetName (current, audioProcessor.getProgramName (current))));
    buttons.add (std::make_unique<ChevronButton> ("Next", 0.5f));

    for (auto* button : buttons)
    {
        addAndMakeVisible (button);
        button->addListener (this);
    }

    populateMenu();
}

PresetBrowserComponent::~PresetBrowserComponent()
{
    for (auto* button : buttons)
        button->removeListener (this);
}

void PresetBrowserComponent::paint (juce::Graphics&)
{
}

void PresetBrowserComponent::resized()
{
    using Track = juce::Grid::TrackInfo;
    using Fr = juce::Grid::Fr;

    juce::Grid grid;
    grid.templateRows = { Track (Fr (1)) };
    grid.templateColumns = { Track (Fr (7)), Track (Fr (86)), Track (Fr (7)) };

    for (auto* button : buttons)
        grid.items.add (juce::GridItem (*button));

    grid.performLayout (getLocalBounds());
}

void PresetBrowserComponent::lookAndFeelChanged()
{
    menu.setLookAndFeel (&getLookAndFeel());

    auto fill = juce::Colours::black;
    auto chevron = juce::Colours::white;

    if (auto* brazzle = dynamic_cast<BrazzleLookAndFeel*> (&getLookAndFeel()))
    {
        fill = brazzle->backgroundColour;
        chevron = brazzle->mutedColour;
    }

    buttons[nameButton]->setColour (juce::TextButton::buttonColourId, fill);
    buttons[nameButton]->setColour (juce::TextButton::buttonOnColourId, fill);

    for (const int index : { previousButton, nextButton })
    {
        auto& arrow = static_cast<ChevronButton&> (*buttons[index]);
        arrow.fillColour = fill;
        arrow.chevronColour = chevron;
    }

    repaint();
}

void PresetBrowserComponent::buttonClicked (juce::Button* button)
{
    const int count = audioProcessor.getNumPrograms();
    const int current = audioProcessor.getCurrentProgram();

    if (button == buttons[previousButton])
        audioProcessor.setCurrentProgram (current <= 0 ? current + count - 1 : current - 1);
    else if (button == buttons[nameButton])
        promptMenu();
    else if (button == buttons[nextButton])
        audioProcessor.setCurrentProgram (current + 1 >= count ? current + 1 - count : current + 1);

    const int shown = audioProcessor.getCurrentProgram();
    const auto name = formatPresetName (shown, audioProcessor.getProgramName (shown));

    if (name != buttons[nameButton]->getButtonText())
    {
        buttons[nameButton]->setButtonText (name);
        buttons[nameButton]->repaint();
    }
}

void PresetBrowserComponent::buttonStateChanged (juce::Button*)
{
}

juce::String PresetBrowserComponent::formatPresetName (int programIndex, const juce::String& name)
{
    return juce::String (programIndex).paddedLeft ('0', 2) + "." + name.toUpperCase();
}

void PresetBrowserComponent::populateMenu()
{
    menu.clear();

    juce::String currentFolder;
    juce::PopupMenu pending;

    for (int i = 0; i < audioProcessor.getNumPrograms(); ++i)
    {
        const auto name = audioProcessor.getProgramName (i);

        if (! name.containsChar ('/'))
        {
            menu.addItem (i + 1, formatPresetName (i, name));
            continue;
        }

        const auto folder = name.upToLastOccurrenceOf ("/", true, false);
        const auto item = formatPresetName (i, name.fromLastOccurrenceOf ("/", false, false));

        if (folder != currentFolder)
        {
            if (currentFolder.isEmpty())
                menu.addSeparator();
            else
                menu.addSubMenu (currentFolder.toUpperCase(), pending);

            pending = juce::PopupMenu();
            currentFolder = folder;
        }

        pending.addItem (i + 1, item);
    }

    if (currentFolder.isNotEmpty())
        menu.addSubMenu (currentFolder.toUpperCase(), pending);

    menu.addSeparator();
    menu.addItem (saveAs, "SAVE AS...");
    menu.addItem (copyToClipboard, "COPY TO CLIPBOARD");
    menu.addItem (pasteFromClipboard, "PASTE FROM CLIPBOARD");
}

void PresetBrowserComponent::promptMenu()
{
    // A sub-menu counts as one item, so with presets in folders the count seldom
    // matches and the menu is rebuilt at most openings; a save always changes the count.
    if (menu.getNumItems() - numberOfCommands != audioProcessor.getNumPrograms())
        populateMenu();

    handleMenuResult (platform->showMenu (menu, getScreenBounds()));
}

void PresetBrowserComponent::handleMenuResult (int result)
{
    if (result >= 1)
        audioProcessor.setCurrentProgram (result - 1);
    else if (result == copyToClipboard)
        copyState();
    else if (result == pasteFromClipboard)
        pasteState();
    else if (result == saveAs)
        savePreset();
}

void PresetBrowserComponent::copyState()
{
    juce::MemoryBlock state;
    audioProcessor.getStateInformation (state);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));

    if (xml == nullptr)
        return;

    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    platform->copyTextToClipboard (xml->toString (format));
}

void PresetBrowserComponent::pasteState()
{
    // Not parsed here: the processor's restore reads it with the checks that keep
    // text the XML parser cannot get through (deep nesting, stray instructions) away
    // from it, and ignores what is not a state.
    const auto state = qv::StateDocument::wrapText (platform->getTextFromClipboard());
    audioProcessor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
}

void PresetBrowserComponent::savePreset()
{
    const auto xml = audioProcessor.getParameterTree().copyState().createXml();

    if (xml == nullptr)
        return;

    xml->removeAttribute ("darkMode");

    juce::MemoryBlock content;
    juce::AudioProcessor::copyXmlToBinary (*xml, content);

    auto startFolder = qv::PresetManager::getUserPresetDirectory();

    if (! startFolder.isDirectory() && startFolder.createDirectory().failed())
        startFolder = juce::File::getSpecialLocation (juce::File::userDesktopDirectory);

    if (const auto file = platform->chooseFileToSave ("Save as...", startFolder, "*.xml"))
        writePresetFile (*file, content);
}

void PresetBrowserComponent::writePresetFile (const juce::File& file, const juce::MemoryBlock& content)
{
    const bool isNew = ! file.exists();

    if (! file.existsAsFile())
    {
        const auto created = file.create();

        if (created.failed())
        {
            showFailure ("Failed to save preset file: " + created.getErrorMessage());
            return;
        }
    }

    if (! file.replaceWithData (content.getData(), content.getSize()))
    {
        // An empty file left behind would be listed as a preset that loads nothing.
        if (isNew)
            file.deleteFile();

        showFailure ("Failed to save preset file.");
        return;
    }

    audioProcessor.refreshPresetFiles();
}

void PresetBrowserComponent::showFailure (const juce::String& message)
{
    platform->showMessageBox (juce::MessageBoxIconType::WarningIcon, audioProcessor.getName(), message, "OK");
}
