// brazzle-render: runs the plug-in's processor over an audio file (or a generated
// demo phrase) offline, and writes a 32-bit float WAV.

#include "BrazzleAudioProcessor.h"
#include "DemoPhrase.h"
#include "OfflineRenderer.h"
#include "PluginParameters.h"
#include "presets/StateDocument.h"

#include <iostream>

namespace
{
struct Options
{
    juce::File input, output, outputFolder;
    int blockSize = 512;
    bool compensateLatency = true;
    bool listParameters = false;
    bool listPresets = false;
    juce::String preset; // program name or path of a state document
    juce::StringPairArray settings; // parameter ID -> typed text, in the order given
    juce::StringArray settingOrder;
};

struct UsageError
{
    juce::String message;
};

constexpr const char* usage =
    "usage: brazzle-render [options] [INPUT]\n"
    "  INPUT                 WAV, AIFF, FLAC or Ogg file, mono or stereo; without one a\n"
    "                        demo phrase is rendered and written dry and processed\n"
    "  -o, --output FILE     output file (default: INPUT-brazzle.wav)\n"
    "  --output-dir DIR      folder for the demo's files (default: the current folder)\n"
    "  --set ID=TEXT         set a parameter as typed text, e.g. --set saturator:type=TUBE\n"
    "                        --set saturator:drive=12 --set pm:spread=L1.5ms (repeatable)\n"
    "  --preset NAME|FILE    start from a program, e.g. --preset Drums/Punch, or from a\n"
    "                        state document such as a saved preset file; --set applies after it\n"
    "  --block N             block size in samples (default 512)\n"
    "  --no-latency-compensation  keep the plug-in's latency at the start of the output\n"
    "  --list-params         list the parameters with their ranges and defaults\n"
    "  --list-presets        list the programs in host order with their numbers\n";

juce::String decibels (float gain)
{
    return gain > 0.0f ? juce::String (juce::Decibels::gainToDecibels (gain, -200.0f), 1) + " dBFS" : "-inf dBFS";
}

Options parse (int argc, char* argv[])
{
    Options options;
    const auto cwd = juce::File::getCurrentWorkingDirectory();

    auto next = [&] (int& i, const juce::String& flag) {
        if (i + 1 >= argc)
            throw UsageError { flag + " needs a value" };
        return juce::String (argv[++i]);
    };

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);

        if (arg == "-o" || arg == "--output")
            options.output = cwd.getChildFile (next (i, arg));
        else if (arg == "--output-dir")
            options.outputFolder = cwd.getChildFile (next (i, arg));
        else if (arg == "--block")
        {
            const auto text = next (i, arg);
            options.blockSize = text.getIntValue();

            if (! text.containsOnly ("0123456789") || options.blockSize < 1 || options.blockSize > 65536)
                throw UsageError { "block size must be a whole number from 1 to 65536, not \"" + text + "\"" };
        }
        else if (arg == "--set")
        {
            const auto assignment = next (i, arg);

            if (! assignment.containsChar ('='))
                throw UsageError { "--set takes ID=TEXT, not \"" + assignment + "\"" };

            const auto id = assignment.upToFirstOccurrenceOf ("=", false, false);
            options.settings.set (id, assignment.fromFirstOccurrenceOf ("=", false, false));
            options.settingOrder.addIfNotAlreadyThere (id);
        }
        else if (arg == "--no-latency-compensation")
            options.compensateLatency = false;
        else if (arg == "--preset")
            options.preset = next (i, arg);
        else if (arg == "--list-params")
            options.listParameters = true;
        else if (arg == "--list-presets")
            options.listPresets = true;
        else if (arg == "-h" || arg == "--help")
            throw UsageError {};
        else if (arg.startsWith ("-"))
            throw UsageError { "unknown option " + arg };
        else if (options.input == juce::File())
            options.input = cwd.getChildFile (arg);
        else
            throw UsageError { "only one input file, not also " + arg };
    }

    return options;
}

void listParameters (BrazzleAudioProcessor& processor)
{
    for (auto* p : processor.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        const auto& range = ranged->getNormalisableRange();
        std::cout << ranged->getParameterID().paddedRight (' ', 20) << ranged->getName (64).paddedRight (' ', 26)
                  << ranged->getText (0.0f, 32) << " .. " << ranged->getText (1.0f, 32) << "  (default "
                  << ranged->getText (ranged->getDefaultValue(), 32) << ", step " << range.interval
                  << (ranged->isAutomatable() ? "" : ", not automatable") << ")\n";
    }
}

void listPresets (BrazzleAudioProcessor& processor)
{
    if (processor.getPresetFiles().isEmpty())
    {
        std::cout << "no presets installed (see the README's install step)\n";
        return;
    }

    for (int i = 0; i < processor.getNumPrograms(); ++i)
        std::cout << juce::String (i).paddedLeft (' ', 3) << "  " << processor.getProgramName (i) << "\n";
}

// A name is looked up among the programs first, so that "Drums/Punch" means the
// installed preset even when a folder of that name happens to exist here.
void applyPreset (BrazzleAudioProcessor& processor, const juce::String& nameOrPath)
{
    juce::File file;

    for (int i = 0; i < processor.getNumPrograms() && file == juce::File(); ++i)
        if (processor.getProgramName (i) == nameOrPath)
            file = processor.getPresetFiles()[i];

    if (file == juce::File())
        file = juce::File::getCurrentWorkingDirectory().getChildFile (nameOrPath);

    if (! file.existsAsFile())
        throw UsageError { "no program or file \"" + nameOrPath + "\" (see --list-presets)" };

    juce::MemoryBlock content;

    if (! qv::StateDocument::readPresetFile (file, content))
        throw UsageError { "cannot read " + file.getFullPathName() };

    // The processor ignores unusable state silently, as a host expects; a command line
    // should say so instead of rendering with the defaults.
    const auto xml = qv::StateDocument::read (content.getData(), static_cast<int> (content.getSize()));

    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (processor.getParameterTree().state.getType().toString()))
        throw UsageError { file.getFullPathName() + " is not a Brazzle state document" };

    processor.setStateInformation (content.getData(), static_cast<int> (content.getSize()));
}

// Typed text goes through the parameter's own conversion; text that stands for no
// value of the parameter, or for one outside its range, is refused rather than
// silently read as the nearest value.
void applySetting (BrazzleAudioProcessor& processor, const juce::String& id, const juce::String& text)
{
    auto* parameter = processor.getParameterTree().getParameter (id);

    if (parameter == nullptr)
        throw UsageError { "unknown parameter \"" + id + "\" (see --list-params)" };

    const auto trimmed = text.trim();
    const bool isCurve = id == PluginParameters::saturatorType;
    const bool named = isCurve && (PluginParameters::textToCurve (trimmed) != 0.0f || trimmed.equalsIgnoreCase ("PASS"));

    if (trimmed.isEmpty() || (isCurve ? ! named : ! trimmed.containsAnyOf ("0123456789")))
        throw UsageError { "\"" + text + "\" is not a value of " + id };

    const float plain = PluginParameters::textToPlainValue (id, trimmed);
    const auto& range = parameter->getNormalisableRange();

    if (! (plain >= range.start && plain <= range.end))
        throw UsageError { "\"" + text + "\" is outside the range of " + id + " (" + parameter->getText (0.0f, 32)
                           + " .. " + parameter->getText (1.0f, 32) + ")" };

    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plain));
}

juce::AudioBuffer<float> readAudio (const juce::File& file, double& sampleRate)
{
    if (! file.existsAsFile())
        throw UsageError { "cannot read " + file.getFullPathName() + ": no such file" };

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    const std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));

    if (reader == nullptr)
        throw UsageError { "cannot read " + file.getFullPathName() + ": not a WAV, AIFF, FLAC or Ogg file" };

    if (reader->numChannels < 1 || reader->numChannels > 2)
        throw UsageError { file.getFileName() + " has " + juce::String (reader->numChannels)
                           + " channels; Brazzle processes mono or stereo" };

    if (reader->lengthInSamples > std::numeric_limits<int>::max() / 2)
        throw UsageError { file.getFileName() + " is too long to render in one go" };

    sampleRate = reader->sampleRate;
    juce::AudioBuffer<float> audio (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));

    if (! reader->read (&audio, 0, audio.getNumSamples(), 0, true, true))
        throw UsageError { "cannot read the audio of " + file.getFullPathName() };

    return audio;
}

// Written beside the target and moved over it only when complete, so a failed render
// never leaves a partial file that looks finished.
void writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate)
{
    if (! file.getParentDirectory().createDirectory())
        throw UsageError { "cannot create the folder " + file.getParentDirectory().getFullPathName() };

    juce::TemporaryFile temporary (file);
    {
        auto stream = temporary.getFile().createOutputStream();

        if (stream == nullptr)
            throw UsageError { "cannot write " + file.getFullPathName() };

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (stream.get(), sampleRate, static_cast<unsigned int> (audio.getNumChannels()), 32, {}, 0));

        if (writer == nullptr)
            throw UsageError { "cannot write a WAV file at " + juce::String (sampleRate) + " Hz" };

        stream.release();

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            throw UsageError { "writing " + file.getFullPathName() + " failed" };
    }

    if (! temporary.overwriteTargetFileWithTemporary())
        throw UsageError { "cannot move the rendered audio to " + file.getFullPathName() };
}

void printLevels (const char* what, const juce::AudioBuffer<float>& audio)
{
    float peak = 0.0f;
    double sum = 0.0;

    for (int ch = 0; ch < audio.getNumChannels(); ++ch)
    {
        peak = juce::jmax (peak, audio.getMagnitude (ch, 0, audio.getNumSamples()));
        const float rms = audio.getRMSLevel (ch, 0, audio.getNumSamples());
        sum += static_cast<double> (rms) * rms;
    }

    const auto rms = static_cast<float> (std::sqrt (sum / juce::jmax (1, audio.getNumChannels())));
    std::cout << "  " << what << " peak " << decibels (peak) << ", RMS " << decibels (rms) << "\n";
}

int run (int argc, char* argv[])
{
    const auto options = parse (argc, argv);

    BrazzleAudioProcessor processor;

    if (options.listParameters)
    {
        listParameters (processor);
        return 0;
    }

    if (options.listPresets)
    {
        listPresets (processor);
        return 0;
    }

    const bool demo = options.input == juce::File();
    double sampleRate = 48000.0;
    const auto input = demo ? brazzle::tools::makeDemoPhrase (sampleRate) : readAudio (options.input, sampleRate);

    const auto set = input.getNumChannels() == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);

    if (! processor.setBusesLayout (layout))
        throw UsageError { "the processor refused a " + set.getDescription() + " layout" };

    if (options.preset.isNotEmpty())
        applyPreset (processor, options.preset);

    for (const auto& id : options.settingOrder)
        applySetting (processor, id, options.settings[id]);

    processor.setRateAndBufferSizeDetails (sampleRate, options.blockSize);
    processor.prepareToPlay (sampleRate, options.blockSize);

    brazzle::tools::OfflineRenderer renderer;
    renderer.blockSize = options.blockSize;
    renderer.compensateLatency = options.compensateLatency;

    const double seconds = input.getNumSamples() / sampleRate;

    if (seconds > 30.0)
        renderer.onProgress = [last = -1] (double done) mutable {
            const int percent = static_cast<int> (done * 100.0);
            if (percent / 5 != last / 5)
                std::cerr << "\rrendering " << percent << "%" << std::flush;
            last = percent;
        };

    const auto started = juce::Time::getMillisecondCounterHiRes();
    const auto output = renderer.render (processor, input);
    const auto elapsed = (juce::Time::getMillisecondCounterHiRes() - started) / 1000.0;
    processor.releaseResources();

    if (renderer.onProgress != nullptr)
        std::cerr << "\r              \r";

    const auto folder = options.outputFolder == juce::File() ? juce::File::getCurrentWorkingDirectory()
                                                             : options.outputFolder;
    juce::File outputFile = options.output;

    if (outputFile == juce::File())
        outputFile = demo ? folder.getChildFile ("brazzle-demo-processed.wav")
                          : options.input.getSiblingFile (options.input.getFileNameWithoutExtension() + "-brazzle.wav");

    if (! demo && outputFile == options.input)
        throw UsageError { "the output would overwrite the input " + options.input.getFullPathName() };

    const auto dryFile = folder.getChildFile ("brazzle-demo-dry.wav");

    if (demo)
        writeWav (dryFile, input, sampleRate);

    writeWav (outputFile, output, sampleRate);

    std::cout << "Brazzle offline render\n"
              << "  input  " << (demo ? juce::String ("generated demo phrase") : options.input.getFullPathName()) << "\n"
              << "         " << input.getNumChannels() << (input.getNumChannels() == 1 ? " channel, " : " channels, ")
              << sampleRate << " Hz, " << juce::String (seconds, 2) << " s\n";
    printLevels ("input ", input);
    printLevels ("output", output);
    std::cout << "  latency " << processor.getLatencySamples() << " samples ("
              << (options.compensateLatency ? "compensated" : "kept") << "), block " << options.blockSize
              << " samples, oversampling " << processor.getOversamplingFactor() << "x\n"
              << "  real-time factor " << juce::String (seconds / juce::jmax (elapsed, 1.0e-6), 1) << "x ("
              << juce::String (elapsed, 3) << " s of processing)\n";

    if (options.preset.isNotEmpty())
        std::cout << "  preset " << options.preset << "\n";

    for (const auto& id : options.settingOrder)
        std::cout << "  " << id << " = "
                  << processor.getParameterTree().getParameter (id)->getCurrentValueAsText() << "\n";

    if (demo)
        std::cout << "  dry       " << dryFile.getFullPathName() << "\n";
    std::cout << "  processed " << outputFile.getFullPathName() << "\n";
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;

    try
    {
        return run (argc, argv);
    }
    catch (const UsageError& error)
    {
        if (error.message.isEmpty())
        {
            std::cout << usage;
            return argc > 1 && juce::String (argv[1]).startsWith ("-h") ? 0 : 2;
        }

        std::cerr << "brazzle-render: " << error.message << "\n";
        return 2;
    }
}
