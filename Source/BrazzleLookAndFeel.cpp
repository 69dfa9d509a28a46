#include "BrazzleLookAndFeel.h"

#include "ChevronButton.h"

#include <BinaryData.h>

namespace
{
struct SkinColours
{
    juce::uint32 foreground, background, pad, accent, muted, track, arcOrigin, arcEnd;
};

constexpr SkinColours darkColours { 0xffefefef, 0xff3f4243, 0xff151617, 0xffae2e2e,
                                    0xff4c5057, 0xff404344, 0xfff1f1f1, 0xfff1f1f1 };

constexpr SkinColours lightColours { 0xffefefef, 0xff151617, 0xff151617, 0xffae2e2e,
                                     0xff4c5057, 0xffc6c6c6, 0xffddc5c5, 0xffae2e2e };

juce::Path dashedArc (float centreX, float centreY, float radius, float fromAngle, float toAngle)
{
    juce::Path arc;
    arc.addCentredArc (centreX, centreY, radius, radius, 0.0f, fromAngle, toAngle, true);

    static constexpr float dashLengths[] = { 2.0f, 1.0f };
    juce::Path dashed;
    juce::PathStrokeType (5.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt)
        .createDashedStroke (dashed, arc, dashLengths, juce::numElementsInArray (dashLengths), {}, 1.0f);
    return dashed;
}
} // namespace

BrazzleLookAndFeel::BrazzleLookAndFeel()
    : lightTypeface (juce::Typeface::createSystemTypefaceFor (BinaryData::montserrat_light_otf,
                                                              BinaryData::montserrat_light_otfSize)),
      semiBoldTypeface (juce::Typeface::createSystemTypefaceFor (BinaryData::montserrat_semibold_otf,
                                                                 BinaryData::montserrat_semibold_otfSize))
{
    jassert (lightTypeface != nullptr && semiBoldTypeface != nullptr);
    applySkin (false);
}

BrazzleLookAndFeel::~BrazzleLookAndFeel() = default;

void BrazzleLookAndFeel::applySkin (bool dark)
{
    const auto& skin = dark ? darkColours : lightColours;

    foregroundColour = juce::Colour (skin.foreground);
    backgroundColour = juce::Colour (skin.background);
    padColour = juce::Colour (skin.pad);
    accentColour = juce::Colour (skin.accent);
    mutedColour = juce::Colour (skin.muted);
    trackColour = juce::Colour (skin.track);
    arcOriginColour = juce::Colour (skin.arcOrigin);
    arcEndColour = juce::Colour (skin.arcEnd);
    darkSkin = dark;
}

bool BrazzleLookAndFeel::isDarkSkin (const juce::ValueTree& state)
{
    static const juce::Identifier darkMode ("darkMode");
    return state.hasProperty (darkMode) && static_cast<bool> (state.getProperty (darkMode));
}

juce::Font BrazzleLookAndFeel::getBaseFont() const
{
    return juce::Font (lightTypeface).withExtraKerningFactor (0.15f);
}

//==============================================================================
void BrazzleLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button&, const juce::Colour& fill, bool, bool)
{
    g.fillAll (fill);
}

juce::Font BrazzleLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return getBaseFont().withPointHeight (10.0f);
}

void BrazzleLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool shouldDrawButtonAsDown)
{
    const auto font = getTextButtonFont (button, button.getHeight());
    g.setFont (font);
    g.setColour (shouldDrawButtonAsDown ? foregroundColour.withMultipliedAlpha (0.6f) : foregroundColour);

    const int width = button.getWidth();
    const int height = button.getHeight();
    const int yIndent = juce::jmin (4, button.proportionOfHeight (0.3f));
    const int cornerSize = juce::jmin (width, height) / 2;
    const int fontHeight = juce::roundToInt (font.getHeight() * 0.6f);
    const int leftIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 8 : 4));
    const int rightIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 8 : 4));
    const int textWidth = width - leftIndent - rightIndent;

    if (textWidth > 0)
        g.drawFittedText (button.getButtonText(),
                          leftIndent, yIndent, textWidth, height - 2 * yIndent,
                          juce::Justification::centredLeft, 2, 0.0f);
}

void BrazzleLookAndFeel::drawDrawableButton (juce::Graphics&, juce::DrawableButton&, bool, bool)
{
}

//==============================================================================
void BrazzleLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int, int)
{
    g.fillAll (backgroundColour);
}

void BrazzleLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                            bool isSeparator, bool isActive, bool isHighlighted, bool, bool,
                                            const juce::String& text, const juce::String&,
                                            const juce::Drawable*, const juce::Colour*)
{
    const auto faintText = findColour (juce::PopupMenu::textColourId).withAlpha (static_cast<juce::uint8> (0x4c));

    if (isSeparator)
    {
        auto r = area.reduced (5, 0);
        r.removeFromTop (juce::roundToInt (static_cast<float> (r.getHeight()) * 0.5f - 0.5f));

        g.setColour (faintText);
        g.fillRect (r.removeFromTop (1));
        return;
    }

    auto r = area.reduced (1);

    if (isActive && isHighlighted)
    {
        g.setColour (accentColour);
        g.fillRect (r);
    }

    g.setColour (isActive ? foregroundColour : faintText);
    g.setFont (getPopupMenuFont());

    r.removeFromLeft (28);
    g.drawFittedText (text, r, juce::Justification::centredLeft, 1, 0.0f);
}

juce::Font BrazzleLookAndFeel::getPopupMenuFont()
{
    return getBaseFont().withPointHeight (10.0f);
}

//==============================================================================
void BrazzleLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    const auto font = getLabelFont (label);
    g.setColour (accentColour);
    g.setFont (font);

    const auto textArea = label.getBorderSize().subtractedFrom (label.getLocalBounds());
    const int maximumLines = juce::jmax (1, static_cast<int> (static_cast<float> (textArea.getHeight()) / font.getHeight()));

    g.drawFittedText (label.getText(), textArea, label.getJustificationType(),
                      maximumLines, label.getMinimumHorizontalScale());
}

juce::Font BrazzleLookAndFeel::getLabelFont (juce::Label&)
{
    return juce::Font (semiBoldTypeface).withExtraKerningFactor (0.08f).withPointHeight (10.0f);
}

//==============================================================================
void BrazzleLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                           float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                                           juce::Slider& slider)
{
    const auto radius = static_cast<float> (juce::jmin (width / 2, height / 2) - 2);
    const auto centreX = static_cast<float> (x) + 0.5f * static_cast<float> (width);
    const auto centreY = static_cast<float> (y) + 0.5f * static_cast<float> (height);
    const auto angle = rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle);

    const auto dot = darkSkin ? juce::ImageCache::getFromMemory (BinaryData::knob_dot_dark_png, BinaryData::knob_dot_dark_pngSize)
                              : juce::ImageCache::getFromMemory (BinaryData::knob_dot_light_png, BinaryData::knob_dot_light_pngSize);
    const auto dotDistance = radius - 20.0f;
    g.drawImage (dot,
                 { centreX + std::sin (angle) * dotDistance - 3.0f, centreY - std::cos (angle) * dotDistance - 3.0f, 6.0f, 6.0f },
                 juce::RectanglePlacement::stretchToFit);

    g.setColour (trackColour);
    g.fillPath (dashedArc (centreX, centreY, radius, rotaryStartAngle, rotaryEndAngle));

    const auto left = static_cast<float> (x);
    const auto right = static_cast<float> (width);

    if (slider.getMinimum() < 0.0)
    {
        juce::ColourGradient gradient (arcEndColour, left, 0.0f, arcEndColour, right, 0.0f, false);
        gradient.addColour (0.5, arcOriginColour);
        g.setGradientFill (gradient);
        g.fillPath (dashedArc (centreX, centreY, radius, 0.5f * (rotaryStartAngle + rotaryEndAngle), angle));
    }
    else
    {
        g.setGradientFill (juce::ColourGradient (arcOriginColour, left, 0.0f, arcEndColour, right, 0.0f, false));
        g.fillPath (dashedArc (centreX, centreY, radius, rotaryStartAngle, angle));
    }
}

juce::Button* BrazzleLookAndFeel::createSliderButton (juce::Slider&, bool isIncrement)
{
    auto* button = isIncrement ? new ChevronButton ("Next", 0.5f)
                               : new ChevronButton ("Prev", 0.0f);
    button->chevronColour = accentColour;
    return button;
}

juce::Slider::SliderLayout BrazzleLookAndFeel::getSliderLayout (juce::Slider& slider)
{
    const int width = slider.getWidth();
    const int height = slider.getHeight();
    juce::Slider::SliderLayout layout;

    if (slider.getSliderStyle() == juce::Slider::IncDecButtons)
    {
        const int textBoxHeight = juce::jmin (height, 26);
        layout.sliderBounds = { 12, 6, juce::jmax (width - 24, 0), juce::jmax (height - textBoxHeight - 16, 0) };
        layout.textBoxBounds = { 0, height - textBoxHeight, width, textBoxHeight };
        return layout;
    }

    const int textBoxHeight = juce::jmin (height, 20);
    layout.sliderBounds = { 0, 0, width, height - textBoxHeight };

    if (slider.getTextBoxPosition() != juce::Slider::NoTextBox)
        layout.textBoxBounds = { 0, height - textBoxHeight, width, textBoxHeight };

    return layout;
}
