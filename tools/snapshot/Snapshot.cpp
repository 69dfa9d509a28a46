#include "Snapshot.h"

#include "BrazzleAudioProcessor.h"
#include "BrazzleAudioProcessorEditor.h"
#include "BrazzleLookAndFeel.h"
#include "PluginParameters.h"
#include "SliderPanelComponent.h"

#include <BinaryData.h>

namespace snapshot
{
namespace
{
// Stands in for the editor until there is one: its background, its look and feel and
// the slider panel at the panel's place in the window.
class PanelWindow : public juce::Component
{
public:
    explicit PanelWindow (BrazzleAudioProcessor& processor)
        : panel (processor, processor.getParameterTree())
    {
        lookAndFeel.applySkin (BrazzleLookAndFeel::isDarkSkin (processor.getParameterTree().state));
        setLookAndFeel (&lookAndFeel);
        addAndMakeVisible (panel);
        setSize (windowWidth, windowHeight);
    }

    ~PanelWindow() override
    {
        setLookAndFeel (nullptr);
    }

    void paint (juce::Graphics& g) override
    {
        paintWindowBackground (g, lookAndFeel, getLocalBounds());
    }

    void resized() override
    {
        panel.setBounds (0, 283, getWidth(), 162);
    }

    SliderPanelComponent& getPanel() noexcept { return panel; }

private:
    BrazzleLookAndFeel lookAndFeel;
    SliderPanelComponent panel;
};

juce::String wholePercentage (BrazzleAudioProcessor& processor, const char* parameterId)
{
    auto* parameter = processor.getParameterTree().getParameter (parameterId);
    jassert (parameter != nullptr);
    return juce::String (static_cast<int> (parameter->getValue() * 100.0f)) + "%";
}

// Enough for the display gain to settle and for the particles to ripple round the puck.
constexpr int framesBeforeSnapshot = 12;

void processSine (BrazzleAudioProcessor& processor)
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 480;

    processor.prepareToPlay (sampleRate, blockSize);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;

    for (int block = 0; block < 10; ++block)
    {
        for (int i = 0; i < blockSize; ++i)
        {
            const auto phase = juce::MathConstants<double>::twoPi * 220.0 * (block * blockSize + i) / sampleRate;
            const auto sample = static_cast<float> (0.4 * std::sin (phase));
            buffer.setSample (0, i, sample);
            buffer.setSample (1, i, sample);
        }

        processor.processBlock (buffer, midi);
    }

    processor.releaseResources();
}

void setPlainValue (BrazzleAudioProcessor& processor, const char* parameterId, float value)
{
    auto* parameter = processor.getParameterTree().getParameter (parameterId);
    jassert (parameter != nullptr);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}
} // namespace

std::vector<Scene> getScenes()
{
    return {
        { "slider-panel", [] (BrazzleAudioProcessor& processor, bool dark, float scale)
          {
              setSkin (processor, dark);
              return renderSliderPanel (processor, scale);
          } },
        { "editor", [] (BrazzleAudioProcessor& processor, bool dark, float scale)
          {
              setSkin (processor, dark);
              return renderEditor (processor, scale, false);
          } },
        { "help-page", [] (BrazzleAudioProcessor& processor, bool, float scale)
          {
              return renderEditor (processor, scale, true);
          },
          false },
    };
}

void setSkin (BrazzleAudioProcessor& processor, bool dark)
{
    processor.getParameterTree().state.setProperty ("darkMode", dark, nullptr);
}

void applyShowcaseSettings (BrazzleAudioProcessor& processor)
{
    setPlainValue (processor, PluginParameters::crossoverCutoff, 1000.0f);
    setPlainValue (processor, PluginParameters::crossoverBand, 1.0f);
    setPlainValue (processor, PluginParameters::saturatorTone, 0.65f);
    setPlainValue (processor, PluginParameters::saturatorType, 2.0f);
    setPlainValue (processor, PluginParameters::saturatorDrive, 14.4f);
    setPlainValue (processor, PluginParameters::pmComposite, 0.62f);
    setPlainValue (processor, PluginParameters::pmSpread, 1.5f);
    setPlainValue (processor, PluginParameters::globalAgc, 1.0f);
    setPlainValue (processor, PluginParameters::globalOutputGain, -6.0f);
    setPlainValue (processor, PluginParameters::globalMix, 0.8f);

    // The tree takes parameter values over on a timer; copying the state takes them now.
    processor.getParameterTree().copyState();
}

void paintWindowBackground (juce::Graphics& g, const BrazzleLookAndFeel& lookAndFeel, juce::Rectangle<int> area)
{
    g.setColour (lookAndFeel.backgroundColour);
    g.fillRect (area);

    const auto artwork = lookAndFeel.darkSkin
                           ? juce::ImageCache::getFromMemory (BinaryData::background_dark_png, BinaryData::background_dark_pngSize)
                           : juce::ImageCache::getFromMemory (BinaryData::background_light_png, BinaryData::background_light_pngSize);
    g.drawImage (artwork, area.toFloat(), juce::RectanglePlacement::stretchToFit);
}

juce::Image renderSliderPanel (BrazzleAudioProcessor& processor, float scale)
{
    PanelWindow window (processor);
    window.getPanel().getAmountLabel (SliderPanelComponent::phaseAmount)
        .setText (wholePercentage (processor, PluginParameters::pmComposite), juce::dontSendNotification);
    window.getPanel().getAmountLabel (SliderPanelComponent::driveAmount)
        .setText (wholePercentage (processor, PluginParameters::saturatorDrive), juce::dontSendNotification);

    return renderComponent (window, scale);
}

juce::Image renderEditor (BrazzleAudioProcessor& processor, float scale, bool withHelpPage)
{
    BrazzleAudioProcessorEditor editor (processor, processor.getParameterTree());
    processSine (processor);

    if (withHelpPage)
    {
        for (auto* child : editor.getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getName() == "Help")
                button->onClick();

        jassert (editor.getHelpPage().isVisible());
    }

    for (int frame = 1; frame < framesBeforeSnapshot; ++frame)
        renderComponent (editor, scale);

    return renderComponent (editor, scale);
}

juce::Image renderComponent (juce::Component& component, float scale)
{
    jassert (scale > 0.0f && ! component.getLocalBounds().isEmpty());
    return component.createComponentSnapshot (component.getLocalBounds(), true, scale);
}

bool writePng (const juce::Image& image, const juce::File& file)
{
    jassert (image.isValid());

    if (! file.getParentDirectory().createDirectory())
        return false;

    juce::FileOutputStream stream (file);

    if (stream.failedToOpen() || ! stream.setPosition (0) || stream.truncate().failed())
        return false;

    juce::PNGImageFormat png;
    return png.writeImageToStream (image, stream);
}
} // namespace snapshot
