#include "PresetTestSupport.h"

#include <climits>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using namespace brazzle::test;

const std::vector<Setting> presetA { { "saturator:type", 1.0f }, { "saturator:drive", 9.0f }, { "global:mix", 0.75f } };
const std::vector<Setting> presetB { { "saturator:type", 2.0f }, { "saturator:drive", 14.0f }, { "crossover:bypass", 1.0f } };
const std::vector<Setting> presetC { { "saturator:type", 5.0f }, { "pm:composite", 0.4f }, { "pm:spread", 2.0f } };

// Three presets in the factory root, in program order A, B, C.
struct ThreePresets
{
    ThreePresets()
        : a (PresetFolders::write (PresetFolders::factory(), "A.xml", presetDocument (presetA))),
          b (PresetFolders::write (PresetFolders::factory(), "B.xml", presetDocument (presetB))),
          c (PresetFolders::write (PresetFolders::factory(), "C.xml", presetDocument (presetC)))
    {
    }

    PresetFolders folders;
    juce::File a, b, c;
};

juce::String presetPath (BrazzleAudioProcessor& processor)
{
    return processor.getParameterTree().state.getProperty ("presetPath").toString();
}

TEST (Programs, NamesAreRelativeToTheirRootWithoutTheExtension)
{
    PresetFolders folders;
    const auto document = presetDocument ({});
    PresetFolders::write (PresetFolders::factory(), "Bass/Fat.xml", document);
    PresetFolders::write (PresetFolders::user(), "Drums/Kit/Snare.xml", document);
    PresetFolders::write (PresetFolders::user(), "My.Take.Two.xml", document);
    PresetFolders::write (PresetFolders::factory(), "Default.xml", document);

    BrazzleAudioProcessor processor;
    ASSERT_EQ (processor.getNumPrograms(), 4);

    const char* expected[] = { "Default", "My.Take.Two", "Bass/Fat", "Drums/Kit/Snare" };

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (processor.getProgramName (i), expected[i]) << i;

    for (const int invalid : { -1, 4, INT_MAX, INT_MIN })
        EXPECT_EQ (processor.getProgramName (invalid), "") << invalid;

    processor.changeProgramName (2, "Renamed");
    EXPECT_EQ (processor.getProgramName (2), "Bass/Fat");
}

TEST (Programs, WithoutPresetFilesThereIsOneNamelessProgramThatDoesNothing)
{
    PresetFolders folders;
    BrazzleAudioProcessor processor;
    ManualClock clock (processor);
    apply (processor, nonDefaultSettings);

    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getProgramName (0), "");

    for (const int index : { 0, 1, -1 })
    {
        clock.now += 1000;
        processor.setCurrentProgram (index);
        EXPECT_EQ (processor.getCurrentProgram(), 0) << index;
        EXPECT_FALSE (processor.getParameterTree().state.hasProperty ("presetPath")) << index;
        EXPECT_EQ (snapshot (processor), snapshotAfter (nonDefaultSettings)) << index;
    }
}

TEST (Programs, SelectingAProgramLoadsItsFileAndKeepsTheSkin)
{
    ThreePresets presets;
    BrazzleAudioProcessor processor;
    ManualClock clock (processor);
    processor.getParameterTree().state.setProperty ("darkMode", true, nullptr);

    processor.setCurrentProgram (1);

    EXPECT_EQ (processor.getCurrentProgram(), 1);
    EXPECT_EQ (snapshot (processor), snapshotAfter (presetB));
    EXPECT_EQ (presetPath (processor), presets.b.getFullPathName());
    EXPECT_TRUE (static_cast<bool> (processor.getParameterTree().state.getProperty ("darkMode")));
    EXPECT_EQ (processor.getParameterTree().state.getProperty ("version").toString(), "1.2.1");

    for (const int invalid : { -1, 3, INT_MAX })
    {
        clock.now += 1000;
        processor.setCurrentProgram (invalid);
        EXPECT_EQ (processor.getCurrentProgram(), 1) << invalid;
        EXPECT_EQ (snapshot (processor), snapshotAfter (presetB)) << invalid;
    }
}

// A program change within 200 ms of any state restore, a program load included and
// whether or not the restored data was usable, is ignored.
TEST (Programs, ChangesCloseToARestoreAreIgnored)
{
    const auto usable = presetDocument (presetA);
    const juce::MemoryBlock unusable ("junk", 4);

    const struct
    {
        const char* what;
        juce::uint32 restoredAt, selectedAt;
        const juce::MemoryBlock* restored; // nullptr: the restore is loading program 2
        bool loads;
    } cases[] = {
        { "same millisecond", 50000, 50000, &usable, false },
        { "150 ms later", 50000, 50150, &usable, false },
        { "200 ms later", 50000, 50200, &usable, false },
        { "201 ms later", 50000, 50201, &usable, true },
        { "250 ms later", 50000, 50250, &usable, true },
        { "150 ms after unusable data", 50000, 50150, &unusable, false },
        { "250 ms after unusable data", 50000, 50250, &unusable, true },
        { "150 ms after loading another program", 50000, 50150, nullptr, false },
        { "250 ms after loading another program", 50000, 50250, nullptr, true },
        { "250 ms later across the counter's wrap", 0xffffff00u, 0xffffff00u + 250u, &usable, true },
        { "150 ms later across the counter's wrap", 0xffffffa0u, 0xffffffa0u + 150u, &usable, false },
    };

    for (const auto& c : cases)
    {
        ThreePresets presets;
        BrazzleAudioProcessor processor;
        ManualClock clock (processor);

        clock.now = c.restoredAt;

        if (c.restored != nullptr)
            restore (processor, *c.restored);
        else
            processor.setCurrentProgram (2);

        const auto before = snapshot (processor);
        clock.now = c.selectedAt;
        processor.setCurrentProgram (1);

        EXPECT_EQ (processor.getCurrentProgram() == 1, c.loads) << c.what;
        EXPECT_EQ (snapshot (processor), c.loads ? snapshotAfter (presetB) : before) << c.what;
    }
}

TEST (Programs, TheCurrentIndexIsNotReloaded)
{
    ThreePresets presets;
    BrazzleAudioProcessor processor;
    ManualClock clock (processor);

    // Program 0 counts as current from construction on, although nothing was loaded.
    processor.setCurrentProgram (0);
    EXPECT_FALSE (processor.getParameterTree().state.hasProperty ("presetPath"));
    EXPECT_EQ (snapshot (processor), snapshotAfter ({}));

    clock.now += 1000;
    processor.setCurrentProgram (2);
    ASSERT_EQ (processor.getCurrentProgram(), 2);
    setPlain (processor, "saturator:drive", 30.0f);

    clock.now += 1000;
    processor.setCurrentProgram (2);
    EXPECT_EQ (plain (processor, "saturator:drive"), 30.0f);

    clock.now += 1000;
    processor.setCurrentProgram (0);
    EXPECT_EQ (snapshot (processor), snapshotAfter (presetA));
}

TEST (Programs, PlainXmlFileIsListedButNotApplied)
{
    PresetFolders folders;
    const auto state = presetDocument (presetB);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    PresetFolders::write (PresetFolders::factory(), "A.xml", presetDocument (presetA));
    const auto plainFile = PresetFolders::write (PresetFolders::user(), "Plain.xml", xml->toString());

    BrazzleAudioProcessor processor;
    ManualClock clock (processor);
    ASSERT_EQ (processor.getNumPrograms(), 2);
    EXPECT_EQ (processor.getProgramName (1), "Plain");
    processor.getParameterTree().state.setProperty ("darkMode", true, nullptr);
    apply (processor, nonDefaultSettings);

    processor.setCurrentProgram (1);

    EXPECT_EQ (processor.getCurrentProgram(), 1);
    EXPECT_EQ (presetPath (processor), plainFile.getFullPathName());
    EXPECT_EQ (snapshot (processor), snapshotAfter (nonDefaultSettings));
    EXPECT_TRUE (static_cast<bool> (processor.getParameterTree().state.getProperty ("darkMode")));
}

// Preset files that fail between the scan and the load. Unreadable ones are ignored
// without a trace (no selection and no restore stamp, so another program loads at
// once); readable ones that hold no state document are selected but change nothing.
TEST (Programs, FilesThatFailAfterTheScan)
{
    enum class Outcome
    {
        ignored,
        selectedOnly,
        loaded
    };

    const bool permissionsBite = geteuid() != 0;

    const struct
    {
        const char* what;
        std::function<void (const juce::File&)> spoil;
        Outcome outcome;
    } cases[] = {
        { "deleted", [] (const juce::File& f) { f.deleteFile(); }, Outcome::ignored },
        { "replaced by a folder",
          [] (const juce::File& f) {
              f.deleteFile();
              f.createDirectory();
          },
          Outcome::ignored },
        { "replaced by a link to itself",
          [] (const juce::File& f) {
              f.deleteFile();
              ::symlink (f.getFileName().toRawUTF8(), f.getFullPathName().toRawUTF8());
          },
          Outcome::ignored },
        { "replaced by a link to a missing file",
          [] (const juce::File& f) {
              f.deleteFile();
              ::symlink ("Nowhere.xml", f.getFullPathName().toRawUTF8());
          },
          Outcome::ignored },
        { "replaced by a named pipe",
          [] (const juce::File& f) {
              f.deleteFile();
              ::mkfifo (f.getFullPathName().toRawUTF8(), 0644);
          },
          Outcome::ignored },
        { "replaced by a link to a device that never ends",
          [] (const juce::File& f) {
              f.deleteFile();
              ::symlink ("/dev/zero", f.getFullPathName().toRawUTF8());
          },
          Outcome::ignored },
        { "made unreadable",
          [] (const juce::File& f) { ::chmod (f.getFullPathName().toRawUTF8(), 0); },
          permissionsBite ? Outcome::ignored : Outcome::loaded },
        { "emptied", [] (const juce::File& f) { ::truncate (f.getFullPathName().toRawUTF8(), 0); }, Outcome::selectedOnly },
        { "cut in half",
          [] (const juce::File& f) {
              juce::MemoryBlock content;
              f.loadFileAsData (content);
              f.replaceWithData (content.getData(), content.getSize() / 2);
          },
          Outcome::selectedOnly },
        { "overwritten with text", [] (const juce::File& f) { f.replaceWithText ("just words"); }, Outcome::selectedOnly },
    };

    for (const auto& c : cases)
    {
        ThreePresets presets;
        BrazzleAudioProcessor processor;
        ManualClock clock (processor);
        apply (processor, nonDefaultSettings);

        c.spoil (presets.b);
        processor.setCurrentProgram (1);

        switch (c.outcome)
        {
            case Outcome::ignored:
                EXPECT_EQ (processor.getCurrentProgram(), 0) << c.what;
                EXPECT_FALSE (processor.getParameterTree().state.hasProperty ("presetPath")) << c.what;
                EXPECT_EQ (snapshot (processor), snapshotAfter (nonDefaultSettings)) << c.what;
                break;

            case Outcome::selectedOnly:
                EXPECT_EQ (processor.getCurrentProgram(), 1) << c.what;
                EXPECT_EQ (presetPath (processor), presets.b.getFullPathName()) << c.what;
                EXPECT_EQ (snapshot (processor), snapshotAfter (nonDefaultSettings)) << c.what;
                break;

            case Outcome::loaded:
                EXPECT_EQ (processor.getCurrentProgram(), 1) << c.what;
                EXPECT_EQ (snapshot (processor), snapshotAfter (presetB)) << c.what;
                break;
        }

        if (c.outcome == Outcome::ignored)
        {
            processor.setCurrentProgram (2);
            EXPECT_EQ (processor.getCurrentProgram(), 2) << c.what << ": a failed load must not hold off the next";
            EXPECT_EQ (snapshot (processor), snapshotAfter (presetC)) << c.what;
        }
    }
}
} // namespace
