#include "BrazzleAudioProcessorEditor.h"

#include "BrazzleAudioProcessor.h"
#include "ParticleXYValueSource.h"
#include "PluginParameters.h"

#include <BinaryData.h>

namespace
{
constexpr int headerHeight = 42;
constexpr int graphHeight = 241;
constexpr int footerHeight = 14;

const juce::Identifier darkModeProperty ("darkMode");

std::unique_ptr<juce::Drawable> drawableFrom (const char* data, int size)
{
    auto drawable = juce::Drawable::createFromImageData (data, static_cast<size_t> (size));
    jassert (drawable != nullptr);
    return drawable;
}
} // namespace

BrazzleAudioProcessorEditor::BrazzleAudioProcessorEditor (BrazzleAudioProcessor& owner,
                                                          juce::AudioProcessorValueTreeState& tree)
    : AudioProcessorEditor (owner),
      audioProcessor (owner),
      valueTreeState (tree),
      presetBrowser (owner),
      sliderPanel (owner, tree)
{
    addAndMakeVisible (presetBrowser);
    addAndMakeVisible (graphContainer);
    addAndMakeVisible (sliderPanel);

    helpImage = std::make_unique<juce::DrawableImage> (
        juce::ImageCache::getFromMemory (BinaryData::help_overlay_png, BinaryData::help_overlay_pngSize));
    helpImage->setAlwaysOnTop (true);
    helpImage->toFront (false);
    addChildComponent (*helpImage);

    helpButton = std::make_unique<juce::DrawableButton> ("Help", juce::DrawableButton::ImageFitted);
    helpButton->onClick = [this] { showHelp(); };
    skinButton = std::make_unique<juce::DrawableButton> ("Skin", juce::DrawableButton::ImageFitted);
    skinButton->onClick = [this] { toggleSkin(); };

    setButtonImages();
    addAndMakeVisible (*skinButton);
    addAndMakeVisible (*helpButton);

    using Axis = ParticleXYComponent::Listener::Axis;
    xAttachment = std::make_unique<ParticleXYAttachment> (valueTreeState, graphContainer.xyPad,
                                                          PluginParameters::saturatorDrive, Axis::X);
    yAttachment = std::make_unique<ParticleXYAttachment> (valueTreeState, graphContainer.xyPad,
                                                          PluginParameters::pmComposite, Axis::Y);

    xValue = std::make_unique<juce::Value> (new ParticleXYValueSource (graphContainer.xyPad, Axis::X));
    yValue = std::make_unique<juce::Value> (new ParticleXYValueSource (graphContainer.xyPad, Axis::Y));
    sliderPanel.getAmountLabel (SliderPanelComponent::driveAmount).getTextValue().referTo (*xValue);
    sliderPanel.getAmountLabel (SliderPanelComponent::phaseAmount).getTextValue().referTo (*yValue);

    graphContainer.waveAnimation.onClick = [this] { stepCurve(); };

    setLookAndFeel (&lookAndFeel);
    stateChanged();
    valueTreeState.state.addListener (this);

    setResizable (false, false);
    setSize (windowWidth, windowHeight);

    audioProcessor.getDisplayPublisher().attach (&graphContainer.waveAnimation);
}

BrazzleAudioProcessorEditor::~BrazzleAudioProcessorEditor()
{
    // Once this returns the audio thread no longer writes into the wave display.
    audioProcessor.getDisplayPublisher().detach (&graphContainer.waveAnimation);

    setLookAndFeel (nullptr);
    valueTreeState.state.removeListener (this);
}

void BrazzleAudioProcessorEditor::mouseDown (const juce::MouseEvent&)
{
    if (helpImage->isVisible())
        hideHelp();
}

void BrazzleAudioProcessorEditor::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds();

    if (bounds.isEmpty())
        return;

    const auto scale = g.getInternalContext().getPhysicalPixelScaleFactor();
    g.drawImageTransformed (getScaledBackground (scale), juce::AffineTransform::scale (1.0f / scale));

    g.setColour (lookAndFeel.mutedColour);
    g.setFont (juce::Font (10.0f));
    g.drawFittedText (juce::String ("v") + BrazzleAudioProcessor::versionString,
                      bounds.withTop (bounds.getBottom() - footerHeight).withTrimmedTop (2).reduced (4),
                      juce::Justification::centredLeft, 1, 0.0f);
}

bool BrazzleAudioProcessorEditor::keyPressed (const juce::KeyPress& key)
{
    if (key.getKeyCode() == juce::KeyPress::escapeKey && helpImage->isVisible())
        hideHelp();

    // The keyboard belongs to the host: even Escape passes on.
    return false;
}

void BrazzleAudioProcessorEditor::resized()
{
    const int width = getWidth();
    const int height = getHeight();
    const int header = juce::jmin (height, headerHeight);
    const int graph = juce::jmin (height - header, graphHeight);
    const int rest = height - header - graph;
    const int footer = juce::jmin (rest, footerHeight);

    graphContainer.setBounds (0, header, width, graph);
    sliderPanel.setBounds (0, header + graph, width, rest - footer);
    presetBrowser.setBounds (480, 10, 340, 24);

    if (width > 0 && height > 0)
    {
        helpImage->setTransformToFit ({ 0.0f, 0.0f, static_cast<float> (width), static_cast<float> (height) },
                                      juce::RectanglePlacement::stretchToFit);

        // Bounds are given before the transform, in the picture's own pixels: the whole
        // picture must be the component, or showing and hiding the page repaints only
        // the part of the window that a window-sized box shrinks to.
        helpImage->setBounds (helpImage->getDrawableBounds().getSmallestIntegerContainer());
    }
    else
    {
        helpImage->setBounds (0, 0, width, height);
    }

    helpButton->setBounds (880, 9, 24, 26);
    skinButton->setBounds (854, 9, 24, 26);
}

const juce::Image& BrazzleAudioProcessorEditor::getScaledBackground (float scale)
{
    const int width = juce::jmax (1, juce::roundToInt (static_cast<float> (getWidth()) * scale));
    const int height = juce::jmax (1, juce::roundToInt (static_cast<float> (getHeight()) * scale));

    if (scaledBackground.isNull() || scaledBackgroundIsDark != lookAndFeel.darkSkin
        || scaledBackground.getWidth() != width || scaledBackground.getHeight() != height)
    {
        const auto artwork = lookAndFeel.darkSkin
                               ? juce::ImageCache::getFromMemory (BinaryData::background_dark_png, BinaryData::background_dark_pngSize)
                               : juce::ImageCache::getFromMemory (BinaryData::background_light_png, BinaryData::background_light_pngSize);

        // The fill colour goes in too: an opaque picture is copied, not blended.
        scaledBackground = juce::Image (juce::Image::RGB, width, height, false);
        juce::Graphics g (scaledBackground);
        g.fillAll (lookAndFeel.backgroundColour);
        g.drawImage (artwork, scaledBackground.getBounds().toFloat(), juce::RectanglePlacement::stretchToFit);
        scaledBackgroundIsDark = lookAndFeel.darkSkin;
    }

    return scaledBackground;
}

void BrazzleAudioProcessorEditor::valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&)
{
    stateChanged();
}

void BrazzleAudioProcessorEditor::valueTreeRedirected (juce::ValueTree&)
{
    // A restored state replaces the whole tree without reporting its properties one by
    // one, and it may carry the other skin.
    stateChanged();
}

bool BrazzleAudioProcessorEditor::shouldDrawDarkSkin() const
{
    return BrazzleLookAndFeel::isDarkSkin (valueTreeState.state);
}

void BrazzleAudioProcessorEditor::stateChanged()
{
    lookAndFeel.applySkin (shouldDrawDarkSkin());
    setButtonImages();
    sendLookAndFeelChange();
    repaint();
}

void BrazzleAudioProcessorEditor::setButtonImages()
{
    const bool dark = shouldDrawDarkSkin();

    const auto help = dark ? drawableFrom (BinaryData::help_dark_png, BinaryData::help_dark_pngSize)
                           : drawableFrom (BinaryData::help_light_png, BinaryData::help_light_pngSize);
    const auto skin = dark ? drawableFrom (BinaryData::skin_dark_png, BinaryData::skin_dark_pngSize)
                           : drawableFrom (BinaryData::skin_light_png, BinaryData::skin_light_pngSize);

    helpButton->setImages (help.get());
    skinButton->setImages (skin.get());
}

void BrazzleAudioProcessorEditor::showHelp()
{
    helpImage->setVisible (true);
    graphContainer.setVisible (false);
    presetBrowser.setVisible (false);
    helpButton->setVisible (false);
}

void BrazzleAudioProcessorEditor::hideHelp()
{
    helpImage->setVisible (false);
    graphContainer.setVisible (true);
    presetBrowser.setVisible (true);
    helpButton->setVisible (true);
}

void BrazzleAudioProcessorEditor::toggleSkin()
{
    valueTreeState.state.setProperty (darkModeProperty, ! shouldDrawDarkSkin(), nullptr);
}

void BrazzleAudioProcessorEditor::stepCurve()
{
    auto* parameter = valueTreeState.getParameter (PluginParameters::saturatorType);

    if (parameter == nullptr)
        return;

    const int steps = parameter->getNumSteps();

    if (steps < 2)
        return;

    const int following = static_cast<int> (parameter->getValue() * static_cast<float> (steps)) + 1;
    const int next = following < steps ? following : 0;
    parameter->setValueNotifyingHost (static_cast<float> (next) / static_cast<float> (steps - 1));
}
