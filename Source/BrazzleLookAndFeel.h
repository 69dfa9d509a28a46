#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The editor's drawing of knobs, labels, buttons and popup menus, its two embedded
    fonts and the colour set of the current skin, which the custom components read too.

    A new instance holds the light skin; the owner calls applySkin to change it.
*/
class BrazzleLookAndFeel : public juce::LookAndFeel_V4
{
public:
    BrazzleLookAndFeel();
    ~BrazzleLookAndFeel() override;

    /** Writes every colour member and darkSkin with the values of one skin. The caller
        then tells its components (sendLookAndFeelChange) and repaints.
    */
    void applySkin (bool dark);

    /** The skin a state tree asks for: dark only when its "darkMode" property exists and is true. */
    static bool isDarkSkin (const juce::ValueTree& state);

    /** Montserrat Light at the framework's default height, slightly spaced. */
    juce::Font getBaseFont() const;

    juce::Colour foregroundColour, backgroundColour, padColour, accentColour,
                 mutedColour, trackColour, arcOriginColour, arcEndColour;
    bool darkSkin = false;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& fill,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawDrawableButton (juce::Graphics&, juce::DrawableButton&,
                             bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area,
                            bool isSeparator, bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                            const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;
    juce::Font getPopupMenuFont() override;

    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;

    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                           juce::Slider&) override;
    juce::Button* createSliderButton (juce::Slider&, bool isIncrement) override;
    juce::Slider::SliderLayout getSliderLayout (juce::Slider&) override;

private:
    // Decoding a face from the embedded bytes on every font request would cost far
    // more than the fonts are used for, so each face is decoded once per instance.
    juce::Typeface::Ptr lightTypeface, semiBoldTypeface;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrazzleLookAndFeel)
};
