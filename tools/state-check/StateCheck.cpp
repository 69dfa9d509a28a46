// Loads the built VST3 and LV2 through JUCE's hosting and checks what a project and a
// preset library rely on: state saved by one instance restores into a fresh one byte
// for byte and makes exactly the same sound, and a program change made through the
// host loads that preset file. The plug-ins run with a temporary HOME whose factory
// preset folder holds a few of the factory presets. Exits non-zero on any mismatch.

#include "PluginHost.h"

#include <iostream>
#include <map>

namespace
{
using brazzle::tools::PluginKind;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

// The plug-in ignores a program change within 200 ms of a state restore, and hosts
// restore state when they create an instance.
constexpr int programChangeGuardMs = 250;

// The plug-in's parameters in host order.
constexpr const char* parameterIds[] = {
    "crossover:bypass", "crossover:cutoff", "crossover:band", "saturator:tone", "saturator:type", "saturator:drive",
    "pm:composite",     "pm:spread",        "global:agc",     "global:outputGain", "global:mix",
};

// Copied into the temporary factory folder; their program order is this order.
const char* const programPresets[] = { "Default", "Bass/Fat", "Creative/Phase Wobble", "Drums/Punch" };

class Checker
{
public:
    void expect (bool ok, const juce::String& what)
    {
        std::cout << (ok ? "  ok    " : "  FAIL  ") << what << "\n";
        failures += ok ? 0 : 1;
    }

    int failures = 0;
};

juce::String hostIdentifier (PluginKind kind, const juce::String& id)
{
    if (kind == PluginKind::vst3)
        return juce::String (static_cast<juce::uint32> (id.hashCode()) & 0x7fffffffu);

    return juce::String ("des:") + brazzle::tools::PluginHost::lv2Uri + ":"
           + juce::URL::addEscapeChars (id, true).replaceCharacter ('%', '_');
}

/** The plug-in's eleven parameters as the host sees them, in the order of parameterIds. */
std::vector<juce::AudioProcessorParameter*> parametersOf (juce::AudioPluginInstance& plugin, PluginKind kind)
{
    std::vector<juce::AudioProcessorParameter*> found;

    for (const auto* id : parameterIds)
    {
        juce::AudioProcessorParameter* match = nullptr;

        for (auto* p : plugin.getParameters())
            if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (p))
                if (hosted->getParameterID() == hostIdentifier (kind, id))
                    match = p;

        found.push_back (match);
    }

    return found;
}

std::unique_ptr<juce::AudioPluginInstance> load (brazzle::tools::PluginHost& host, PluginKind kind,
                                                 const juce::File& bundle, Checker& check)
{
    juce::String error;
    auto plugin = host.load (kind, bundle, sampleRate, blockSize, error);

    if (plugin == nullptr)
    {
        check.expect (false, "load: " + error);
        return nullptr;
    }

    plugin->enableAllBuses();
    plugin->setRateAndBufferSizeDetails (sampleRate, blockSize);
    plugin->prepareToPlay (sampleRate, blockSize);
    return plugin;
}

void settle()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
}

/** Runs the input through the plug-in block by block and returns what came out. */
juce::AudioBuffer<float> process (juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input)
{
    const int channels = juce::jmax (plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels());
    juce::AudioBuffer<float> output (channels, input.getNumSamples());
    output.clear();
    juce::AudioBuffer<float> block (channels, blockSize);
    juce::MidiBuffer midi;

    for (int start = 0; start < input.getNumSamples(); start += blockSize)
    {
        const int length = juce::jmin (blockSize, input.getNumSamples() - start);
        block.setSize (channels, length, false, false, true);
        block.clear();

        for (int ch = 0; ch < juce::jmin (channels, input.getNumChannels()); ++ch)
            block.copyFrom (ch, 0, input, ch, start, length);

        plugin.processBlock (block, midi);

        for (int ch = 0; ch < channels; ++ch)
            output.copyFrom (ch, start, block, ch, 0, length);
    }

    return output;
}

juce::AudioBuffer<float> silence (int samples)
{
    juce::AudioBuffer<float> buffer (2, samples);
    buffer.clear();
    return buffer;
}

/** Two seconds of a bass note, a chord and noise bursts, around -12 dBFS. */
juce::AudioBuffer<float> testSignal()
{
    const int length = static_cast<int> (2.0 * sampleRate);
    juce::AudioBuffer<float> buffer (2, length);
    juce::Random random (1211);
    constexpr double twoPi = juce::MathConstants<double>::twoPi;

    for (int n = 0; n < length; ++n)
    {
        const double t = n / sampleRate;
        const double bass = 0.12 * std::sin (twoPi * 55.0 * t) + 0.04 * std::sin (twoPi * 110.0 * t);
        const double chord = 0.05 * (std::sin (twoPi * 261.6 * t) + std::sin (twoPi * 329.6 * t) + std::sin (twoPi * 392.0 * t));
        const double burst = std::fmod (t, 0.25) < 0.03 ? 0.15 * (random.nextDouble() * 2.0 - 1.0) : 0.0;
        buffer.setSample (0, n, static_cast<float> (bass + chord + burst));
        buffer.setSample (1, n, static_cast<float> (bass + 0.8 * chord - burst));
    }

    return buffer;
}

bool identical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return false;

    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        if (std::memcmp (a.getReadPointer (ch), b.getReadPointer (ch), sizeof (float) * static_cast<size_t> (a.getNumSamples())) != 0)
            return false;

    return true;
}

juce::MemoryBlock stateOf (juce::AudioPluginInstance& plugin)
{
    juce::MemoryBlock block;
    plugin.getStateInformation (block);
    return block;
}

bool contains (const juce::MemoryBlock& block, const juce::String& text)
{
    const auto* begin = static_cast<const char*> (block.getData());
    const auto* end = begin + block.getSize();
    const auto* needle = text.toRawUTF8();
    return std::search (begin, end, needle, needle + text.getNumBytesAsUTF8()) != end;
}

/** Host state holds the plug-in's document in an encoding of its own: base64 inside
    XML for VST3, JUCE's base64 form in a Turtle string for LV2. */
juce::MemoryBlock pluginDocumentIn (const juce::MemoryBlock& hostState, PluginKind kind)
{
    if (kind == PluginKind::vst3)
    {
        if (const auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), static_cast<int> (hostState.getSize())))
        {
            juce::MemoryBlock component;

            if (const auto* child = xml->getChildByName ("IComponent"))
                component.fromBase64Encoding (child->getAllSubText());

            return component;
        }

        return {};
    }

    const auto literal = hostState.toString()
                             .fromFirstOccurrenceOf (":StateString>", false, false)
                             .fromFirstOccurrenceOf ("\"", false, false)
                             .upToFirstOccurrenceOf ("\"", false, false);
    juce::MemoryBlock document;
    document.fromBase64Encoding (literal);
    return document;
}

void checkStateRoundTrip (Checker& check, brazzle::tools::PluginHost& host, PluginKind kind, const juce::File& bundle)
{
    auto original = load (host, kind, bundle, check);
    auto fresh = load (host, kind, bundle, check);

    if (original == nullptr || fresh == nullptr)
        return;

    // Values away from every default, not on any boundary.
    const float values[] = { 1.0f, 0.37f, 1.0f, 0.8f, 0.6f, 0.45f, 0.3f, 0.7f, 1.0f, 0.4f, 0.65f };
    const auto parameters = parametersOf (*original, kind);

    for (size_t i = 0; i < parameters.size(); ++i)
    {
        check.expect (parameters[i] != nullptr, juce::String ("parameter ") + parameterIds[i] + " found");

        if (parameters[i] != nullptr)
            parameters[i]->setValueNotifyingHost (values[i]);
    }

    // Parameter changes reach an LV2 plug-in with its next block.
    process (*original, silence (blockSize));
    settle();
    const auto saved = stateOf (*original);
    check.expect (contains (pluginDocumentIn (saved, kind), "BrazzleParameterRoot"),
                  "saved state (" + juce::String (saved.getSize()) + " bytes) holds the plug-in's document");

    fresh->setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    settle();
    process (*fresh, silence (blockSize));
    settle();
    const auto restored = stateOf (*fresh);
    check.expect (restored == saved, "state saved by the fresh instance is byte-identical to what it restored");

    const auto signal = testSignal();
    const auto fromOriginal = process (*original, signal);
    const auto fromFresh = process (*fresh, signal);
    const auto level = fromOriginal.getRMSLevel (0, 0, fromOriginal.getNumSamples());
    check.expect (std::isfinite (level) && level > 0.001f,
                  "processed test signal has level " + juce::String (juce::Decibels::gainToDecibels (level), 1) + " dBFS");
    check.expect (identical (fromOriginal, fromFresh), "audio of the restored instance is identical to the original's");
}

std::map<juce::String, juce::String> parameterValuesIn (const juce::MemoryBlock& document)
{
    std::map<juce::String, juce::String> values;

    if (const auto xml = juce::AudioProcessor::getXmlFromBinary (document.getData(), static_cast<int> (document.getSize())))
        for (auto* param : xml->getChildWithTagNameIterator ("PARAM"))
            values[param->getStringAttribute ("id")] = param->getStringAttribute ("value");

    return values;
}

// The plug-in's own saved document is what counts: JUCE's VST3 host does not update
// the parameter values it shows from the changes a plug-in reports while processing.
void expectPreset (Checker& check, juce::AudioPluginInstance& plugin, PluginKind kind, const juce::File& preset,
                   const juce::String& name)
{
    juce::MemoryBlock presetContent;
    preset.loadFileAsData (presetContent);
    const auto expected = parameterValuesIn (presetContent);
    const auto document = pluginDocumentIn (stateOf (plugin), kind);
    const auto loaded = parameterValuesIn (document);
    int matching = 0;

    for (const auto* id : parameterIds)
    {
        const auto want = expected.find (id);
        const auto got = loaded.find (id);

        if (want != expected.end() && got != loaded.end() && want->second == got->second)
            ++matching;
        else
            std::cout << "        " << id << " is " << (got != loaded.end() ? got->second : "missing")
                      << ", the preset has " << (want != expected.end() ? want->second : "nothing") << "\n";
    }

    check.expect (matching == static_cast<int> (std::size (parameterIds)),
                  "after selecting " + name + ": " + juce::String (matching) + " of 11 parameters hold the preset's values");
    check.expect (contains (document, "presetPath=\"" + preset.getFullPathName() + "\""),
                  "the saved state names " + name + " as the loaded preset");
}

/** JUCE's LV2 wrapper writes the program list into the bundle's manifest when the
    bundle is built, from the presets of whoever built it; selecting entry i then asks
    the plug-in for its program i as it finds the folders at that moment. A copy of
    the bundle gets its manifest written again, here, so that it lists the presets of
    the temporary home. */
juce::File bundleListingThesePrograms (const juce::File& bundle, const juce::File& helper, const juce::File& scratch,
                                        Checker& check)
{
    const auto copy = scratch.getChildFile ("lv2-programs").getChildFile (bundle.getFileName());
    const auto library = bundle.findChildFiles (juce::File::findFiles, false, "*.so");

    if (library.isEmpty() || ! bundle.copyDirectoryTo (copy))
    {
        check.expect (false, "copy of the LV2 bundle in " + copy.getFullPathName());
        return {};
    }

    juce::ChildProcess writer;
    const bool written = writer.start (juce::StringArray { helper.getFullPathName(),
                                                           copy.getChildFile (library.getFirst().getFileName()).getFullPathName() })
                         && writer.waitForProcessToFinish (60000) && writer.getExitCode() == 0;
    check.expect (written, "the LV2 manifest written again for the presets at hand");
    return written ? copy : juce::File();
}

void checkProgramChange (Checker& check, brazzle::tools::PluginHost& host, PluginKind kind, const juce::File& bundle,
                         const juce::File& factory)
{
    auto plugin = load (host, kind, bundle, check);

    if (plugin == nullptr)
        return;

    process (*plugin, silence (blockSize));
    settle();

    juce::StringArray listed, expected (programPresets, static_cast<int> (std::size (programPresets)));

    for (int i = 0; i < plugin->getNumPrograms(); ++i)
        listed.add (plugin->getProgramName (i));

    // LV2 hosts list presets in an order of their own; each entry still names the
    // program it selects.
    auto listedInOrder = listed;

    if (kind == PluginKind::lv2)
    {
        listedInOrder.sort (false);
        expected.sort (false);
    }

    check.expect (listedInOrder == expected, "the host lists the programs " + listed.joinIntoString (", "));

    for (const int index : { 1, 3, 0 })
    {
        if (index >= listed.size())
            continue;

        juce::Thread::sleep (programChangeGuardMs);
        plugin->setCurrentProgram (index);
        settle();
        process (*plugin, silence (blockSize));
        settle();

        expectPreset (check, *plugin, kind, factory.getChildFile (listed[index] + ".xml"), listed[index]);
    }
}

int checkPlugin (brazzle::tools::PluginHost& host, PluginKind kind, const juce::File& bundle, const juce::File& factory,
                 const juce::File& lv2Helper, const juce::File& scratch)
{
    Checker check;
    std::cout << toString (kind) << ": " << bundle.getFullPathName() << "\n";
    checkStateRoundTrip (check, host, kind, bundle);

    if (kind == PluginKind::vst3)
    {
        checkProgramChange (check, host, kind, bundle, factory);
    }
    else if (lv2Helper.existsAsFile())
    {
        // A world of its own, so that the copy is not taken for the bundle loaded above.
        brazzle::tools::PluginHost programHost;

        if (const auto copy = bundleListingThesePrograms (bundle, lv2Helper, scratch, check); copy.isDirectory())
            checkProgramChange (check, programHost, kind, copy, factory);
    }
    else
    {
        std::cout << "        program change through LV2 not checked: no --lv2-helper to list the programs\n";
    }

    return check.failures;
}

void printUsage()
{
    std::cout << "usage: brazzle-state-check --presets FACTORY_FOLDER [--vst3 PATH/Brazzle.vst3]\n"
                 "                           [--lv2 PATH/Brazzle.lv2 [--lv2-helper PATH/juce_lv2_helper]]\n";
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;

    std::vector<std::pair<PluginKind, juce::File>> targets;
    juce::File presets, lv2Helper;
    const auto cwd = juce::File::getCurrentWorkingDirectory();

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);

        if ((arg == "--vst3" || arg == "--lv2") && i + 1 < argc)
            targets.emplace_back (arg == "--vst3" ? PluginKind::vst3 : PluginKind::lv2, cwd.getChildFile (argv[++i]));
        else if (arg == "--presets" && i + 1 < argc)
            presets = cwd.getChildFile (argv[++i]);
        else if (arg == "--lv2-helper" && i + 1 < argc)
            lv2Helper = cwd.getChildFile (argv[++i]);
        else
        {
            printUsage();
            return 2;
        }
    }

    if (targets.empty() || ! presets.isDirectory())
    {
        printUsage();
        return 2;
    }

    // The plug-ins find their preset folders below HOME when they are created.
    const juce::TemporaryFile home (juce::String(), juce::TemporaryFile::useHiddenFile);
    const auto factory = home.getFile().getChildFile ("Music/Quorvale/Presets/Brazzle/Factory");

    for (const auto* name : programPresets)
    {
        const auto target = factory.getChildFile (juce::String (name) + ".xml");

        if (! target.getParentDirectory().createDirectory().wasOk()
            || ! presets.getChildFile (juce::String (name) + ".xml").copyFileTo (target))
        {
            std::cout << "cannot copy the preset " << name << " from " << presets.getFullPathName() << "\n";
            return 2;
        }
    }

    const auto realHome = juce::SystemStats::getEnvironmentVariable ("HOME", {});
    setenv ("HOME", home.getFile().getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_CONFIG_HOME");

    int failures = 0;
    {
        brazzle::tools::PluginHost host;

        for (const auto& [kind, bundle] : targets)
            failures += checkPlugin (host, kind, bundle, factory, lv2Helper, home.getFile());
    }

    setenv ("HOME", realHome.toRawUTF8(), 1);
    home.getFile().deleteRecursively();

    std::cout << (failures == 0 ? "state check passed" : "state check FAILED: " + std::to_string (failures) + " mismatches")
              << "\n";
    return failures == 0 ? 0 : 1;
}
