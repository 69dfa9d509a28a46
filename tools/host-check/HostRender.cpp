// brazzle-host-render: renders an audio file through the built VST3 or LV2 loaded by
// JUCE's hosting, with parameters typed as text, and optionally compares the result
// with another render sample for sample. Exits 1 when they differ.

#include "PluginHost.h"
#include "render/OfflineRenderer.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <iostream>

namespace
{
using brazzle::tools::PluginKind;

juce::AudioBuffer<float> read (const juce::File& file, double& rate)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));

    if (reader == nullptr)
        throw std::runtime_error ("cannot read " + file.getFullPathName().toStdString());

    rate = reader->sampleRate;
    juce::AudioBuffer<float> audio (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));
    reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
    return audio;
}

void write (const juce::File& file, const juce::AudioBuffer<float>& audio, double rate)
{
    file.deleteFile();
    auto stream = file.createOutputStream();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (stream.get(), rate, static_cast<unsigned int> (audio.getNumChannels()), 32, {}, 0));

    if (writer == nullptr)
        throw std::runtime_error ("cannot write " + file.getFullPathName().toStdString());

    stream.release();
    writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
}

int run (int argc, char* argv[])
{
    PluginKind kind = PluginKind::vst3;
    juce::File bundle, input, output, compare;
    int blockSize = 512;
    juce::StringArray settings;
    const auto cwd = juce::File::getCurrentWorkingDirectory();

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        const bool hasValue = i + 1 < argc;

        if ((arg == "--vst3" || arg == "--lv2") && hasValue)
        {
            kind = arg == "--vst3" ? PluginKind::vst3 : PluginKind::lv2;
            bundle = cwd.getChildFile (argv[++i]);
        }
        else if (arg == "--set" && hasValue)
            settings.add (argv[++i]);
        else if (arg == "--set-normalised" && hasValue)
            settings.add ("#" + juce::String (argv[++i]));
        else if (arg == "--block" && hasValue)
            blockSize = juce::jmax (1, juce::String (argv[++i]).getIntValue());
        else if ((arg == "-o" || arg == "--output") && hasValue)
            output = cwd.getChildFile (argv[++i]);
        else if (arg == "--compare" && hasValue)
            compare = cwd.getChildFile (argv[++i]);
        else if (! arg.startsWith ("-"))
            input = cwd.getChildFile (arg);
        else
        {
            std::cerr << "usage: brazzle-host-render --vst3|--lv2 BUNDLE [--set ID=TEXT]... [--block N] "
                         "[--set-normalised ID=V] [-o OUT.wav] [--compare OTHER.wav] INPUT\n";
            return 2;
        }
    }

    double rate = 0.0;
    const auto audio = read (input, rate);

    brazzle::tools::PluginHost host;
    juce::String error;
    auto plugin = host.load (kind, bundle, rate, blockSize, error);

    if (plugin == nullptr)
        throw std::runtime_error (error.toStdString());

    const auto set = audio.getNumChannels() == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);

    if (! plugin->setBusesLayout (layout))
        throw std::runtime_error ("the plug-in refused the layout");

    for (const auto& entry : settings)
    {
        // "#ID=V" sets a normalised value directly, for parameters whose text a format
        // cannot carry.
        const bool normalised = entry.startsWithChar ('#');
        const auto setting = normalised ? entry.substring (1) : entry;
        const auto id = setting.upToFirstOccurrenceOf ("=", false, false);
        const auto text = setting.fromFirstOccurrenceOf ("=", false, false);
        auto* parameter = brazzle::tools::PluginHost::findParameter (*plugin, kind, id);

        if (parameter == nullptr)
            throw std::runtime_error ("no parameter " + id.toStdString());

        parameter->setValueNotifyingHost (normalised ? text.getFloatValue() : parameter->getValueForText (text));
        std::cout << id << " = " << parameter->getCurrentValueAsText() << " (" << parameter->getValue() << ")\n";
    }

    plugin->setRateAndBufferSizeDetails (rate, blockSize);
    plugin->prepareToPlay (rate, blockSize);

    // A VST3's latency reaches the host through a message, an LV2's through an output
    // port after a run: an empty block and the message loop deliver both before the
    // renderer reads it.
    juce::AudioBuffer<float> empty (audio.getNumChannels(), 0);
    juce::MidiBuffer midi;
    plugin->processBlock (empty, midi);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);

    brazzle::tools::OfflineRenderer renderer;
    renderer.blockSize = blockSize;
    const auto rendered = renderer.render (*plugin, audio);
    plugin->releaseResources();

    if (output != juce::File())
        write (output, rendered, rate);

    if (compare == juce::File())
        return 0;

    double otherRate = 0.0;
    const auto other = read (compare, otherRate);

    if (other.getNumChannels() != rendered.getNumChannels() || other.getNumSamples() != rendered.getNumSamples())
    {
        std::cout << "different shapes: " << other.getNumChannels() << "x" << other.getNumSamples() << " vs "
                  << rendered.getNumChannels() << "x" << rendered.getNumSamples() << "\n";
        return 1;
    }

    float largest = 0.0f;
    int differing = 0;

    for (int ch = 0; ch < other.getNumChannels(); ++ch)
        for (int n = 0; n < other.getNumSamples(); ++n)
        {
            const float d = std::abs (other.getSample (ch, n) - rendered.getSample (ch, n));
            largest = juce::jmax (largest, d);
            differing += d > 0.0f ? 1 : 0;
        }

    std::cout << toString (kind) << " render vs " << compare.getFileName() << ": " << differing
              << " samples differ, largest difference " << largest << "\n";
    return differing == 0 ? 0 : 1;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;

    try
    {
        return run (argc, argv);
    }
    catch (const std::exception& e)
    {
        std::cerr << "brazzle-host-render: " << e.what() << "\n";
        return 2;
    }
}
