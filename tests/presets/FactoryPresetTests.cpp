#include "FactoryPresets.h"
#include "PresetTestSupport.h"

namespace
{
using namespace brazzle::test;
using brazzle::tools::FactoryPreset;

std::vector<FactoryPreset> factoryTable()
{
    std::vector<FactoryPreset> presets;
    const auto result = brazzle::tools::readFactoryTable (juce::File (BRAZZLE_FACTORY_TABLE), presets);
    EXPECT_TRUE (result.wasOk()) << result.getErrorMessage();
    return presets;
}

// The committed files are what the tool makes from the table, byte for byte, and
// nothing else: a table edited without regenerating the files fails here.
TEST (FactoryPresets, CommittedFilesAreTheTable)
{
    const juce::File folder (BRAZZLE_FACTORY_FOLDER);
    const auto presets = factoryTable();
    ASSERT_GE (presets.size(), 12u);
    ASSERT_LE (presets.size(), 24u);

    juce::StringArray expectedFiles;

    for (const auto& preset : presets)
    {
        juce::MemoryBlock document;
        const auto result = brazzle::tools::makePresetDocument (preset, document);
        ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();

        const auto file = brazzle::tools::presetFileIn (folder, preset);
        juce::MemoryBlock committed;
        EXPECT_TRUE (file.loadFileAsData (committed)) << file.getFullPathName();
        EXPECT_EQ (committed, document) << preset.name << ": regenerate with brazzle-make-presets";
        expectedFiles.add (file.getRelativePathFrom (folder));
    }

    juce::StringArray committedFiles;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFiles))
        committedFiles.add (entry.getFile().getRelativePathFrom (folder));

    expectedFiles.sort (false);
    committedFiles.sort (false);
    EXPECT_EQ (committedFiles, expectedFiles);
}

// Installed into the factory root, the presets are programs in table order ("Default"
// first, categories after), and each one loads what its row says.
TEST (FactoryPresets, LoadAsProgramsWithTheirSettings)
{
    PresetFolders folders;
    const auto presets = factoryTable();
    ASSERT_FALSE (presets.empty());
    EXPECT_EQ (presets.front().name, "Default");

    ASSERT_TRUE (juce::File (BRAZZLE_FACTORY_FOLDER).copyDirectoryTo (PresetFolders::factory()));

    BrazzleAudioProcessor processor;
    ManualClock clock (processor);
    ASSERT_EQ (processor.getNumPrograms(), static_cast<int> (presets.size()));
    processor.getParameterTree().state.setProperty ("darkMode", true, nullptr);

    juce::StringArray programNames, tableNames;

    for (int i = 0; i < processor.getNumPrograms(); ++i)
        programNames.add (processor.getProgramName (i));

    for (const auto& preset : presets)
        tableNames.add (preset.name);

    EXPECT_EQ (programNames, tableNames) << "keep the table in program order";

    for (int i = processor.getNumPrograms(); --i >= 0;)
    {
        clock.now += 1000;
        processor.setCurrentProgram (i);
        ASSERT_EQ (processor.getCurrentProgram(), i);

        const auto& preset = presets[static_cast<size_t> (programNames.indexOf (processor.getProgramName (i)))];
        auto& tree = processor.getParameterTree();

        for (auto* p : processor.getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
            ASSERT_NE (ranged, nullptr);
            const auto expected = preset.settings.containsKey (ranged->paramID)
                                      ? preset.settings[ranged->paramID]
                                      : ranged->getText (ranged->getDefaultValue(), 0);
            EXPECT_EQ (ranged->getText (ranged->getValue(), 0), expected) << preset.name << " " << ranged->paramID;
        }

        EXPECT_TRUE (static_cast<bool> (tree.state.getProperty ("darkMode"))) << preset.name << " changed the skin";
    }

    for (const auto& entry : juce::RangedDirectoryIterator (PresetFolders::factory(), true, "*.xml", juce::File::findFiles))
    {
        juce::MemoryBlock content;
        entry.getFile().loadFileAsData (content);
        const auto xml = juce::AudioProcessor::getXmlFromBinary (content.getData(), static_cast<int> (content.getSize()));
        ASSERT_NE (xml, nullptr) << entry.getFile().getFullPathName();
        EXPECT_FALSE (xml->hasAttribute ("darkMode")) << entry.getFile().getFullPathName();
        EXPECT_FALSE (xml->hasAttribute ("presetPath")) << entry.getFile().getFullPathName();
        EXPECT_EQ (xml->getStringAttribute ("version"), "1.2.1") << entry.getFile().getFullPathName();
    }
}
} // namespace
