#include "SliderPanelComponent.h"

#include "BrazzleAudioProcessor.h"
#include "BrazzleLookAndFeel.h"
#include "PluginParameters.h"

#include <BinaryData.h>

namespace
{
struct Knob
{
    const char* parameterId;
    int x, y, width, height;
};

// Window positions: the knob areas are centred on the knob bodies of the background.
constexpr Knob knobs[] = {
    { PluginParameters::crossoverCutoff, 35, 340, 83, 103 },
    { PluginParameters::saturatorTone, 191, 340, 83, 103 },
    { PluginParameters::pmSpread, 482, 340, 83, 103 },
    { PluginParameters::globalOutputGain, 641, 340, 83, 103 },
    { PluginParameters::globalMix, 800, 340, 83, 103 },
};

constexpr double cutoffAtMidTravel = 1000.0;

std::unique_ptr<juce::Drawable> drawableFrom (const char* data, int size)
{
    auto drawable = juce::Drawable::createFromImageData (data, static_cast<size_t> (size));
    jassert (drawable != nullptr);
    return drawable;
}

std::unique_ptr<juce::DrawableButton> createToggle (const juce::String& name, float parameterValue)
{
    auto button = std::make_unique<juce::DrawableButton> (name, juce::DrawableButton::ImageFitted);
    button->setToggleState (parameterValue > 0.5f, juce::dontSendNotification);
    button->setClickingTogglesState (true);
    return button;
}

void skewFromMidPoint (juce::Slider& slider, double valueAtMidPoint)
{
    // An attached slider converts through the parameter's own functions, which take
    // precedence over any skew; over a plain range of the same span and step the skew
    // decides where the values fall along the travel.
    slider.setNormalisableRange ({ slider.getMinimum(), slider.getMaximum(), slider.getInterval() });
    slider.setSkewFactorFromMidPoint (valueAtMidPoint);
}
} // namespace

SliderPanelComponent::SliderPanelComponent (BrazzleAudioProcessor& processor, juce::AudioProcessorValueTreeState& tree)
    : audioProcessor (processor),
      valueTreeState (tree),
      stepSlider (tree)
{
    for (const auto& knob : knobs)
    {
        jassert (valueTreeState.getParameter (knob.parameterId) != nullptr);

        auto slider = std::make_unique<juce::Slider> (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::TextBoxBelow);
        auto attachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (valueTreeState, knob.parameterId, *slider);

        if (juce::StringRef (knob.parameterId) == juce::StringRef (PluginParameters::crossoverCutoff))
            skewFromMidPoint (*slider, cutoffAtMidTravel);

        slider->updateText();
        addAndMakeVisible (*slider);
        sliders.add (std::move (slider));
        sliderAttachments.add (std::move (attachment));
    }

    const auto band = valueTreeState.getRawParameterValue (PluginParameters::crossoverBand)->load();
    const auto bypass = valueTreeState.getRawParameterValue (PluginParameters::crossoverBypass)->load();
    const auto agc = valueTreeState.getRawParameterValue (PluginParameters::globalAgc)->load();

    bandButton = createToggle ("Crossover Toggle", band);
    bypassButton = createToggle ("Crossover Bypass", bypass);
    addAndMakeVisible (*bandButton);
    addAndMakeVisible (*bypassButton);
    buttonAttachments.add (std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (valueTreeState, PluginParameters::crossoverBand, *bandButton));
    buttonAttachments.add (std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (valueTreeState, PluginParameters::crossoverBypass, *bypassButton));

    agcButton = createToggle ("Auto Gain Compensation", agc);
    addAndMakeVisible (*agcButton);
    buttonAttachments.add (std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (valueTreeState, PluginParameters::globalAgc, *agcButton));

    setButtonImages();
    addAndMakeVisible (stepSlider);

    for (int i = 0; i < 2; ++i)
    {
        auto* label = amountLabels.add (std::make_unique<juce::Label>());
        addAndMakeVisible (label);

        // The labels only mirror a value shown elsewhere: a click must reach nothing
        // and the keyboard must stay with the host.
        label->setEditable (false, false, false);
        label->setWantsKeyboardFocus (false);
        label->setMouseClickGrabsKeyboardFocus (false);
    }

    valueTreeState.state.addListener (this);
}

SliderPanelComponent::~SliderPanelComponent()
{
    valueTreeState.state.removeListener (this);
}

void SliderPanelComponent::paint (juce::Graphics&)
{
}

void SliderPanelComponent::resized()
{
    const auto origin = getPosition();
    const auto place = [origin] (juce::Component& child, juce::Rectangle<int> windowBounds)
    {
        child.setBounds (windowBounds - origin);
    };

    for (int i = 0; i < sliders.size(); ++i)
        place (*sliders[i], { knobs[i].x, knobs[i].y, knobs[i].width, knobs[i].height });

    place (*bypassButton, { 19, 334, 24, 24 });
    place (*bandButton, { 144, 334, 24, 100 });
    place (*agcButton, { 628, 334, 22, 22 });
    place (stepSlider, { 338, 354, 80, 86 });
    place (*amountLabels[phaseAmount], { 462, 286, 38, 16 });
    place (*amountLabels[driveAmount], { 876, 286, 38, 16 });
}

void SliderPanelComponent::moved()
{
    // The children's places depend on the panel's own position, not only on its size.
    resized();
}

juce::Label& SliderPanelComponent::getAmountLabel (int index) noexcept
{
    jassert (juce::isPositiveAndBelow (index, amountLabels.size()));
    return *amountLabels[index];
}

void SliderPanelComponent::valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&)
{
    setButtonImages();
}

void SliderPanelComponent::setButtonImages()
{
    const auto bandLow = drawableFrom (BinaryData::band_low_png, BinaryData::band_low_pngSize);
    const auto bandHigh = drawableFrom (BinaryData::band_high_png, BinaryData::band_high_pngSize);
    bandButton->setImages (bandLow.get(), nullptr, nullptr, nullptr, bandHigh.get());

    const bool dark = BrazzleLookAndFeel::isDarkSkin (valueTreeState.state);

    const auto bypassOff = dark ? drawableFrom (BinaryData::bypass_off_dark_png, BinaryData::bypass_off_dark_pngSize)
                                : drawableFrom (BinaryData::bypass_off_light_png, BinaryData::bypass_off_light_pngSize);
    const auto bypassOn = dark ? drawableFrom (BinaryData::bypass_on_dark_png, BinaryData::bypass_on_dark_pngSize)
                               : drawableFrom (BinaryData::bypass_on_light_png, BinaryData::bypass_on_light_pngSize);
    bypassButton->setImages (bypassOff.get(), nullptr, nullptr, nullptr, bypassOn.get());

    const auto agcOff = dark ? drawableFrom (BinaryData::agc_off_dark_png, BinaryData::agc_off_dark_pngSize)
                             : drawableFrom (BinaryData::agc_off_light_png, BinaryData::agc_off_light_pngSize);
    const auto agcOn = dark ? drawableFrom (BinaryData::agc_on_dark_png, BinaryData::agc_on_dark_pngSize)
                            : drawableFrom (BinaryData::agc_on_light_png, BinaryData::agc_on_light_pngSize);
    agcButton->setImages (agcOff.get(), nullptr, nullptr, nullptr, agcOn.get());
}
