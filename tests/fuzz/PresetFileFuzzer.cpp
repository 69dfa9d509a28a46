// libFuzzer target: arbitrary bytes as the content of a preset file that the host
// selects as a program. Whatever the file holds, the program is taken as selected
// (its index and "presetPath"), every parameter stays finite and inside its range, and
// the version is rewritten when the content was a usable state.

#include "FuzzChecks.h"
#include "presets/PresetManager.h"

#include <juce_events/juce_events.h>

#include <cstdint>

namespace
{
using brazzle::fuzz::require;

BrazzleAudioProcessor* processor = nullptr;
juce::uint32 now = 0;

// Written through a stream, because the framework's File::replaceWithData deletes the
// file for empty content, and an empty preset file is one of the cases to try.
void writeFile (const juce::File& file, const void* data, std::size_t size)
{
    juce::FileOutputStream out (file);
    require (out.openedOk() && out.setPosition (0) && out.truncate().wasOk(), "cannot open a preset file");
    require (out.write (data, size), "cannot write a preset file");
    out.flush();
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::initialiseJuce_GUI();
    juce::MessageManager::getInstance();

    // HOME is a scratch folder (see scripts/fuzz.sh): two user presets whose content
    // each input overwrites in turn, so that every input is a real program change.
    const auto folder = qv::PresetManager::getUserPresetDirectory();
    require (folder.createDirectory().wasOk(), "cannot create the user preset folder");
    writeFile (folder.getChildFile ("A.xml"), "", 0);
    writeFile (folder.getChildFile ("B.xml"), "", 0);

    processor = new BrazzleAudioProcessor();
    require (processor->getPresetFiles().size() == 2, "the preset files were not found");

    // Program changes are refused shortly after a state load; the fuzzer's clock moves
    // a second on with every reading instead of sleeping.
    processor->setMillisecondClock ([] { return now += 1000; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const int program = 1 - juce::jlimit (0, 1, processor->getCurrentProgram());
    const auto file = processor->getPresetFiles()[program];
    writeFile (file, data, size);

    processor->setCurrentProgram (program);

    require (processor->getCurrentProgram() == program, "the program was not selected");
    require (processor->getParameterTree().state.getProperty ("presetPath").toString() == file.getFullPathName(),
             "the preset path does not name the selected file");
    brazzle::fuzz::requireParametersInRange (*processor);
    brazzle::fuzz::requireVersionRewritten (*processor);
    return 0;
}
