#include "BrazzleLookAndFeel.h"
#include "ChevronButton.h"
#include "WindowTestHelpers.h"

#include <string>

using namespace windowtest;

namespace
{
constexpr int previous = PresetBrowserComponent::previousButton;
constexpr int name = PresetBrowserComponent::nameButton;
constexpr int next = PresetBrowserComponent::nextButton;

const std::vector<std::string> commands { "---", "-1 SAVE AS...", "-2 COPY TO CLIPBOARD", "-3 PASTE FROM CLIPBOARD" };

/** One line per main-menu entry: "---", "ID TEXT", or "TITLE {ID TEXT | ID TEXT}". */
std::vector<std::string> describe (const juce::PopupMenu& menu)
{
    std::vector<std::string> lines;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();

        if (item.isSeparator)
        {
            lines.push_back ("---");
        }
        else if (item.subMenu != nullptr)
        {
            std::string line = item.text.toStdString() + " {";
            bool first = true;

            for (juce::PopupMenu::MenuItemIterator sub (*item.subMenu); sub.next();)
            {
                line += (first ? "" : " | ") + std::to_string (sub.getItem().itemID) + " " + sub.getItem().text.toStdString();
                first = false;
            }

            lines.push_back (line + "}");
        }
        else
        {
            lines.push_back (std::to_string (item.itemID) + " " + item.text.toStdString());
        }
    }

    return lines;
}

std::vector<std::string> withCommands (std::vector<std::string> presets)
{
    presets.insert (presets.end(), commands.begin(), commands.end());
    return presets;
}

std::unique_ptr<juce::XmlElement> decodeStateFile (const juce::File& file)
{
    juce::MemoryBlock content;

    if (! file.loadFileAsData (content))
        return nullptr;

    return juce::AudioProcessor::getXmlFromBinary (content.getData(), static_cast<int> (content.getSize()));
}

float storedDrive (const juce::XmlElement& state)
{
    for (auto* child : state.getChildIterator())
        if (child->getStringAttribute ("id") == "saturator:drive")
            return static_cast<float> (child->getDoubleAttribute ("value"));

    ADD_FAILURE() << "no drive in the state";
    return 0.0f;
}

class PresetBrowser : public ::testing::Test
{
protected:
    void SetUp() override { clearPresetFolders(); }

    void TearDown() override
    {
        browser.reset();
        processor.reset();
        clearPresetFolders();
    }

    /** The processor scans the presets that exist when it is created. */
    void open()
    {
        browser.reset();
        processor = makeProcessor();
        browser = std::make_unique<PresetBrowserComponent> (*processor, std::make_unique<FakePlatform> (log));
        browser->setBounds (0, 0, 340, 24);
    }

    void click (int button) { browser->buttonClicked (&browser->getButton (button)); }

    void choose (int menuResult)
    {
        log->menuResults.push_back (menuResult);
        click (name);
    }

    juce::String shownName() { return browser->getButton (name).getButtonText(); }

    std::shared_ptr<FakePlatform::Log> log = std::make_shared<FakePlatform::Log>();
    std::unique_ptr<BrazzleAudioProcessor> processor;
    std::unique_ptr<PresetBrowserComponent> browser;
};
} // namespace

TEST (PresetNameFormat, PadsTheNumberToTwoDigitsAndUpperCasesTheName)
{
    const std::tuple<int, const char*, const char*> cases[] = {
        { 3, "Bass/Fat", "03.BASS/FAT" },
        { 112, "Soft", "112.SOFT" },
        { 0, "", "00." },
        { 5, "Warm", "05.WARM" },
        { 10, "lead/Über", "10.LEAD/ÜBER" },
    };

    for (const auto& [index, text, expected] : cases)
        EXPECT_EQ (PresetBrowserComponent::formatPresetName (index, juce::String::fromUTF8 (text)),
                   juce::String::fromUTF8 (expected));
}

TEST_F (PresetBrowser, BuildsTheMenuFromTheProgramsWithFolderSubMenus)
{
    struct Case
    {
        const char* label;
        std::vector<std::pair<bool, const char*>> presets; // factory?, path
        std::vector<std::string> expected;
    };

    const Case cases[] = {
        { "no presets", {}, { "1 00." } },
        { "root presets", { { true, "Default" }, { true, "Warm" }, { false, "Soft" } },
          { "1 00.DEFAULT", "2 01.SOFT", "3 02.WARM" } },
        { "folders after the root",
          { { true, "Default" }, { true, "Bass/Fat" }, { true, "Bass/Thin" }, { false, "Lead/Buzz" } },
          { "1 00.DEFAULT", "---", "BASS/ {2 01.FAT | 3 02.THIN}", "LEAD/ {4 03.BUZZ}" } },
        { "a nested folder splits its parent",
          { { true, "Bass/A" }, { false, "Bass/Sub/Deep" }, { true, "Bass/Z" } },
          { "BASS/ {1 00.A}", "BASS/SUB/ {2 01.DEEP}", "BASS/ {3 02.Z}" } },
        { "factory and user share a folder", { { true, "Keys/One" }, { false, "Keys/Two" } },
          { "KEYS/ {1 00.ONE | 2 01.TWO}" } },
        { "folders differing in case stay apart", { { true, "Bass/X" }, { false, "bass/Y" } },
          { "BASS/ {1 00.X}", "BASS/ {2 01.Y}" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        clearPresetFolders();

        for (const auto& [factory, path] : c.presets)
            writePreset (factory ? factoryRoot() : userRoot(), path);

        open();
        EXPECT_EQ (describe (browser->getMenu()), withCommands (c.expected));

        log->menuResults.clear();
        click (name);
        ASSERT_EQ (log->menusShown.size(), 1u);
        EXPECT_EQ (describe (log->menusShown.back()), withCommands (c.expected));
        log->menusShown.clear();
    }
}

TEST_F (PresetBrowser, WithoutPresetsShowsOneEmptyProgram)
{
    open();

    EXPECT_EQ (processor->getNumPrograms(), 1);
    EXPECT_EQ (shownName(), "00.");

    click (previous);
    click (next);
    EXPECT_EQ (processor->getCurrentProgram(), 0);
    EXPECT_EQ (shownName(), "00.");
}

TEST_F (PresetBrowser, ShowsTheMenuAtTheBrowsersPlace)
{
    open();
    click (name);

    ASSERT_EQ (log->menuAreas.size(), 1u);
    EXPECT_EQ (log->menuAreas.back(), browser->getScreenBounds());
}

TEST_F (PresetBrowser, RebuildsAStaleMenuWhenOpened)
{
    writePreset (userRoot(), "Alpha");
    writePreset (userRoot(), "Beta");
    open();

    writePreset (userRoot(), "Gamma");
    processor->refreshPresetFiles();
    click (name);

    ASSERT_EQ (log->menusShown.size(), 1u);
    EXPECT_EQ (describe (log->menusShown.back()), withCommands ({ "1 00.ALPHA", "2 01.BETA", "3 02.GAMMA" }));
}

TEST_F (PresetBrowser, ArrowsStepThroughTheProgramsAndWrap)
{
    struct Case
    {
        int programs, start, button, expected;
    };

    const Case cases[] = {
        { 3, 0, previous, 2 }, { 3, 2, next, 0 }, { 3, 1, previous, 0 },
        { 3, 1, next, 2 },     { 1, 0, previous, 0 }, { 1, 0, next, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.programs << " programs, from " << c.start
                                         << (c.button == previous ? " back" : " on"));
        clearPresetFolders();

        for (int i = 0; i < c.programs; ++i)
            writePreset (userRoot(), "P" + juce::String (i), 2.0f + static_cast<float> (i));

        open();
        processor->setCurrentProgram (c.start);
        ASSERT_EQ (processor->getCurrentProgram(), c.start);

        click (c.button);

        EXPECT_EQ (processor->getCurrentProgram(), c.expected);
        EXPECT_EQ (shownName(), PresetBrowserComponent::formatPresetName (c.expected, "P" + juce::String (c.expected)));

        if (c.expected != c.start)
            EXPECT_FLOAT_EQ (plain (*processor, "saturator:drive"), 2.0f + static_cast<float> (c.expected));
    }
}

TEST_F (PresetBrowser, NameFollowsProgramChangesMadeElsewhereAtTheNextClick)
{
    writePreset (userRoot(), "One");
    writePreset (userRoot(), "Two");
    open();

    processor->setCurrentProgram (1);
    EXPECT_EQ (shownName(), "00.ONE");

    choose (0);
    EXPECT_EQ (shownName(), "01.TWO");
}

TEST_F (PresetBrowser, DismissedMenuChangesNothing)
{
    writePreset (userRoot(), "One", 3.0f);
    writePreset (userRoot(), "Two", 9.0f);
    open();
    const auto before = plain (*processor, "saturator:drive");

    choose (0);

    EXPECT_EQ (processor->getCurrentProgram(), 0);
    EXPECT_EQ (plain (*processor, "saturator:drive"), before);
    EXPECT_EQ (log->clipboardWrites, 0);
    EXPECT_EQ (log->saveDialogs, 0);
    EXPECT_TRUE (log->alerts.empty());
}

TEST_F (PresetBrowser, ChosenPresetIsLoadedAndNamed)
{
    writePreset (userRoot(), "One", 3.0f);
    writePreset (factoryRoot(), "Keys/Two", 9.0f);
    writePreset (userRoot(), "Keys/Three", 12.0f);
    open();

    choose (3);

    EXPECT_EQ (processor->getCurrentProgram(), 2);
    EXPECT_EQ (shownName(), "02.KEYS/TWO");
    EXPECT_FLOAT_EQ (plain (*processor, "saturator:drive"), 9.0f);
}

TEST_F (PresetBrowser, CopyPutsTheWholeStateOnTheClipboardAsXmlText)
{
    open();
    setPlain (*processor, "saturator:drive", 21.0f);
    processor->getParameterTree().state.setProperty ("darkMode", true, nullptr);

    choose (PresetBrowserComponent::copyToClipboard);

    ASSERT_EQ (log->clipboardWrites, 1);
    const auto text = log->clipboard;
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n")) << text;
    EXPECT_FALSE (text.contains ("<!DOCTYPE"));
    EXPECT_EQ (text.replace ("\r\n", "").indexOfAnyOf ("\r\n"), -1) << "every line ends in CR LF";
    EXPECT_TRUE (text.contains ("\r\n  <PARAM ")) << "indented, one element per line";

    juce::MemoryBlock state;
    processor->getStateInformation (state);
    const auto expected = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    const auto copied = juce::parseXML (text);
    ASSERT_NE (copied, nullptr);
    ASSERT_NE (expected, nullptr);
    EXPECT_TRUE (copied->isEquivalentTo (expected.get(), false));
    EXPECT_TRUE (copied->getBoolAttribute ("darkMode"));
    EXPECT_FLOAT_EQ (storedDrive (*copied), 21.0f);
}

TEST_F (PresetBrowser, PasteLoadsAStateGivenAsXmlTextAndIgnoresAnythingElse)
{
    juce::String validState;
    {
        const auto content = presetContent (30.0f);
        validState = juce::AudioProcessor::getXmlFromBinary (content.getData(), static_cast<int> (content.getSize()))->toString();
    }

    struct Case
    {
        const char* label;
        juce::String text;
        float expectedDrive;
    };

    const Case cases[] = {
        { "a copied state", validState, 30.0f },
        { "a state after a comment", "<!-- saved by hand -->\n" + validState.fromFirstOccurrenceOf ("?>", false, false), 30.0f },
        { "plain text", "drive = 30", 6.0f },
        { "an empty clipboard", "", 6.0f },
        { "broken XML", validState.dropLastCharacters (30), 6.0f },
        { "another document", "<Other><PARAM id=\"saturator:drive\" value=\"30\"/></Other>", 6.0f },
        // The framework's parser loops forever on the first and recurses once per level
        // on the second.
        { "an instruction before text in an element", "<BrazzleParameterRoot><?x?>text</BrazzleParameterRoot>", 6.0f },
        { "nesting without end", juce::String::repeatedString ("<a>", 200000), 6.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        open();
        setPlain (*processor, "saturator:drive", 6.0f);
        log->clipboard = c.text;

        choose (PresetBrowserComponent::pasteFromClipboard);

        EXPECT_FLOAT_EQ (plain (*processor, "saturator:drive"), c.expectedDrive);
        EXPECT_TRUE (log->alerts.empty());
    }
}

TEST_F (PresetBrowser, SaveWritesTheStateWithoutTheSkinAndRescans)
{
    writePreset (userRoot(), "Bravo", 3.0f);
    writePreset (userRoot(), "Delta", 4.0f);
    open();
    processor->setCurrentProgram (1);
    processor->getParameterTree().state.setProperty ("darkMode", true, nullptr);
    setPlain (*processor, "saturator:drive", 17.0f);

    const auto target = userRoot().getChildFile ("Alpha.xml");
    log->fileToChoose = target;
    choose (PresetBrowserComponent::saveAs);

    EXPECT_EQ (log->saveDialogs, 1);
    EXPECT_EQ (log->dialogTitle, "Save as...");
    EXPECT_EQ (log->dialogPatterns, "*.xml");
    EXPECT_EQ (log->dialogStartFolder, userRoot());
    EXPECT_TRUE (log->alerts.empty());

    const auto saved = decodeStateFile (target);
    ASSERT_NE (saved, nullptr);
    EXPECT_TRUE (saved->hasTagName (BrazzleAudioProcessor::stateType));
    EXPECT_FALSE (saved->hasAttribute ("darkMode"));
    EXPECT_FLOAT_EQ (storedDrive (*saved), 17.0f);
    EXPECT_TRUE (processor->getParameterTree().state.getProperty ("darkMode")) << "the skin itself stays";

    // The new preset sorts first; the current index stays and now names another file.
    ASSERT_EQ (processor->getNumPrograms(), 3);
    EXPECT_EQ (processor->getPresetFiles()[0], target);
    EXPECT_EQ (processor->getCurrentProgram(), 1);
    EXPECT_EQ (shownName(), "01.BRAVO");

    click (name);
    EXPECT_EQ (describe (log->menusShown.back()), withCommands ({ "1 00.ALPHA", "2 01.BRAVO", "3 02.DELTA" }));
}

TEST_F (PresetBrowser, SaveCreatesMissingFoldersAndReplacesExistingFiles)
{
    open();

    EXPECT_FALSE (userRoot().exists());
    const auto nested = userRoot().getChildFile ("New").getChildFile ("Deeper").getChildFile ("Mine.xml");
    log->fileToChoose = nested;
    choose (PresetBrowserComponent::saveAs);

    EXPECT_EQ (log->dialogStartFolder, userRoot());
    EXPECT_TRUE (userRoot().isDirectory()) << "the start folder is created before the dialog opens";
    ASSERT_TRUE (nested.existsAsFile());
    EXPECT_EQ (processor->getProgramName (0), "New/Deeper/Mine");

    const auto existing = writePreset (userRoot(), "Old", 2.0f);
    setPlain (*processor, "saturator:drive", 25.0f);
    log->fileToChoose = existing;
    choose (PresetBrowserComponent::saveAs);

    const auto saved = decodeStateFile (existing);
    ASSERT_NE (saved, nullptr);
    EXPECT_FLOAT_EQ (storedDrive (*saved), 25.0f);
    EXPECT_TRUE (log->alerts.empty());
    EXPECT_EQ (processor->getNumPrograms(), 2);
}

TEST_F (PresetBrowser, SaveStartsOnTheDesktopWhenTheUserFolderCannotBeMade)
{
    const auto blocker = juce::File::getSpecialLocation (juce::File::userMusicDirectory).getChildFile ("Quorvale");
    ASSERT_TRUE (blocker.getParentDirectory().createDirectory().wasOk());
    ASSERT_TRUE (blocker.replaceWithText ("not a folder"));
    open();

    choose (PresetBrowserComponent::saveAs);

    EXPECT_EQ (log->saveDialogs, 1);
    EXPECT_EQ (log->dialogStartFolder, juce::File::getSpecialLocation (juce::File::userDesktopDirectory));
}

TEST_F (PresetBrowser, CancelledSaveDoesNothing)
{
    writePreset (userRoot(), "One");
    open();

    log->fileToChoose = std::nullopt;
    choose (PresetBrowserComponent::saveAs);

    EXPECT_EQ (log->saveDialogs, 1);
    EXPECT_TRUE (log->alerts.empty());
    EXPECT_EQ (processor->getNumPrograms(), 1);
    EXPECT_EQ (userRoot().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (PresetBrowser, FailedSavesAreReportedInAWarningBox)
{
    writePreset (userRoot(), "One");
    open();
    writePreset (userRoot(), "Two");

    // A parent that is a file cannot become a folder.
    const auto blocker = userRoot().getChildFile ("blocker");
    ASSERT_TRUE (blocker.replaceWithText ("in the way"));
    const auto unreachable = blocker.getChildFile ("Mine.xml");
    log->fileToChoose = unreachable;
    choose (PresetBrowserComponent::saveAs);

    ASSERT_EQ (log->alerts.size(), 1u);
    const auto reason = unreachable.create().getErrorMessage();
    EXPECT_TRUE (reason.isNotEmpty());
    EXPECT_EQ (log->alerts[0].message, "Failed to save preset file: " + reason);

    // A non-empty folder in the file's place cannot be replaced by the file.
    const auto occupied = userRoot().getChildFile ("Occupied.xml");
    ASSERT_TRUE (occupied.getChildFile ("keep.txt").create().wasOk());
    log->fileToChoose = occupied;
    choose (PresetBrowserComponent::saveAs);

    ASSERT_EQ (log->alerts.size(), 2u);
    EXPECT_EQ (log->alerts[1].message, "Failed to save preset file.");
    EXPECT_TRUE (occupied.getChildFile ("keep.txt").existsAsFile());

    for (const auto& alert : log->alerts)
    {
        EXPECT_EQ (alert.icon, juce::MessageBoxIconType::WarningIcon);
        EXPECT_EQ (alert.title, "Brazzle");
        EXPECT_EQ (alert.button, "OK");
    }

    EXPECT_EQ (processor->getNumPrograms(), 1) << "no rescan after a failure";
    EXPECT_FALSE (unreachable.exists());
}

TEST_F (PresetBrowser, LaysOutTheButtonsInSevenEightySixSevenColumns)
{
    open();

    EXPECT_EQ (browser->getButton (previous).getName(), "Previous");
    EXPECT_EQ (browser->getButton (next).getName(), "Next");
    EXPECT_NE (dynamic_cast<ChevronButton*> (&browser->getButton (previous)), nullptr);
    EXPECT_NE (dynamic_cast<juce::TextButton*> (&browser->getButton (name)), nullptr);
    EXPECT_NE (dynamic_cast<ChevronButton*> (&browser->getButton (next)), nullptr);

    // Columns of 23.8, 292.4 and 23.8 pixels, each widened to whole pixels.
    EXPECT_EQ (browser->getButton (previous).getBounds(), juce::Rectangle<int> (0, 0, 24, 24));
    EXPECT_EQ (browser->getButton (name).getBounds(), juce::Rectangle<int> (23, 0, 294, 24));
    EXPECT_EQ (browser->getButton (next).getBounds(), juce::Rectangle<int> (316, 0, 24, 24));
}

TEST_F (PresetBrowser, TakesItsColoursFromTheLookAndFeel)
{
    open();

    BrazzleLookAndFeel lookAndFeel;
    lookAndFeel.applySkin (true);

    for (const bool brazzle : { true, false })
    {
        SCOPED_TRACE (brazzle ? "the plug-in's look" : "the framework's look");
        browser->setLookAndFeel (brazzle ? &lookAndFeel : nullptr);

        const auto fill = brazzle ? lookAndFeel.backgroundColour : juce::Colours::black;
        const auto chevron = brazzle ? lookAndFeel.mutedColour : juce::Colours::white;

        EXPECT_EQ (browser->getButton (name).findColour (juce::TextButton::buttonColourId), fill);
        EXPECT_EQ (browser->getButton (name).findColour (juce::TextButton::buttonOnColourId), fill);

        for (const int arrow : { previous, next })
        {
            const auto& button = static_cast<ChevronButton&> (browser->getButton (arrow));
            EXPECT_EQ (button.fillColour, fill);
            EXPECT_EQ (button.chevronColour, chevron);
        }
    }
}
