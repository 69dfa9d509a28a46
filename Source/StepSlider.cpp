#include "StepSlider.h"

#include "BrazzleLookAndFeel.h"
#include "PluginParameters.h"

#include <BinaryData.h>

namespace
{
std::unique_ptr<juce::Drawable> drawableFrom (const char* data, int size)
{
    auto drawable = juce::Drawable::createFromImageData (data, static_cast<size_t> (size));
    jassert (drawable != nullptr);
    return drawable;
}
} // namespace

StepSlider::StepSlider (juce::AudioProcessorValueTreeState& tree)
    : valueTreeState (tree),
      nextButton (std::make_unique<juce::DrawableButton> ("Next Curve Shape", juce::DrawableButton::ImageFitted)),
      previousButton (std::make_unique<juce::DrawableButton> ("Prev Curve Shape", juce::DrawableButton::ImageFitted))
{
    typeLabel.setJustificationType (juce::Justification::centred);

    nextButton->onClick = [this] { step (true); };
    previousButton->onClick = [this] { step (false); };

    stateChanged();

    addAndMakeVisible (typeLabel);
    addAndMakeVisible (*nextButton);
    addAndMakeVisible (*previousButton);

    valueTreeState.state.addListener (this);
}

StepSlider::~StepSlider()
{
    valueTreeState.state.removeListener (this);
}

void StepSlider::paint (juce::Graphics&)
{
}

void StepSlider::resized()
{
    const int width = getWidth();
    const int height = getHeight();
    const int nextHeight = juce::jmin (height, 24);
    const int previousHeight = juce::jmin (height - nextHeight, 24);

    nextButton->setBounds (0, 0, width, nextHeight);
    previousButton->setBounds (0, height - previousHeight, width, previousHeight);
    typeLabel.setBounds (0, nextHeight, width, height - nextHeight - previousHeight);
}

void StepSlider::valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&)
{
    stateChanged();
}

void StepSlider::stateChanged()
{
    if (auto* type = valueTreeState.getParameter (PluginParameters::saturatorType))
        typeLabel.setText (type->getCurrentValueAsText(), juce::dontSendNotification);
    else
        jassertfalse;

    const bool dark = BrazzleLookAndFeel::isDarkSkin (valueTreeState.state);

    const auto upNormal = dark ? drawableFrom (BinaryData::chevron_up_dark_png, BinaryData::chevron_up_dark_pngSize)
                               : drawableFrom (BinaryData::chevron_up_light_png, BinaryData::chevron_up_light_pngSize);
    const auto upDown = dark ? drawableFrom (BinaryData::chevron_up_pressed_dark_png, BinaryData::chevron_up_pressed_dark_pngSize)
                             : drawableFrom (BinaryData::chevron_up_pressed_light_png, BinaryData::chevron_up_pressed_light_pngSize);
    const auto downNormal = dark ? drawableFrom (BinaryData::chevron_down_dark_png, BinaryData::chevron_down_dark_pngSize)
                                 : drawableFrom (BinaryData::chevron_down_light_png, BinaryData::chevron_down_light_pngSize);
    const auto downDown = dark ? drawableFrom (BinaryData::chevron_down_pressed_dark_png, BinaryData::chevron_down_pressed_dark_pngSize)
                               : drawableFrom (BinaryData::chevron_down_pressed_light_png, BinaryData::chevron_down_pressed_light_pngSize);

    nextButton->setImages (upNormal.get(), nullptr, upDown.get());
    previousButton->setImages (downNormal.get(), nullptr, downDown.get());
}

void StepSlider::step (bool up)
{
    auto* type = valueTreeState.getParameter (PluginParameters::saturatorType);
    jassert (type != nullptr);

    if (type == nullptr)
        return;

    const auto range = type->getNormalisableRange();
    const float value = valueTreeState.getRawParameterValue (PluginParameters::saturatorType)->load();
    float next = up ? value + range.interval : value - range.interval;

    if (up && next > range.end)
        next -= range.end + 1.0f;
    else if (! up && next < range.start)
        next += range.end + 1.0f;

    // The host learns of the step through the processor, by the parameter's index,
    // exactly as for its own automation; the framework marks that call deprecated.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    valueTreeState.processor.setParameterNotifyingHost (type->getParameterIndex(), range.convertTo0to1 (next));
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}
