#include "BrazzleLookAndFeel.h"
#include "ChevronButton.h"
#include "EditorTestHelpers.h"

#include <gtest/gtest.h>

using editortest::findInk;
using editortest::paintInto;
using editortest::render;

namespace
{
struct SkinColour
{
    const char* name;
    juce::Colour BrazzleLookAndFeel::*member;
    juce::uint32 dark, light;
};

const SkinColour skinColours[] = {
    { "foreground", &BrazzleLookAndFeel::foregroundColour, 0xffefefef, 0xffefefef },
    { "background", &BrazzleLookAndFeel::backgroundColour, 0xff3f4243, 0xff151617 },
    { "pad", &BrazzleLookAndFeel::padColour, 0xff151617, 0xff151617 },
    { "accent", &BrazzleLookAndFeel::accentColour, 0xffae2e2e, 0xffae2e2e },
    { "muted", &BrazzleLookAndFeel::mutedColour, 0xff4c5057, 0xff4c5057 },
    { "track", &BrazzleLookAndFeel::trackColour, 0xff404344, 0xffc6c6c6 },
    { "arc origin", &BrazzleLookAndFeel::arcOriginColour, 0xfff1f1f1, 0xffddc5c5 },
    { "arc end", &BrazzleLookAndFeel::arcEndColour, 0xfff1f1f1, 0xffae2e2e },
};

void expectSkin (const BrazzleLookAndFeel& lookAndFeel, bool dark)
{
    for (const auto& colour : skinColours)
        EXPECT_EQ ((lookAndFeel.*colour.member).getARGB(), dark ? colour.dark : colour.light) << colour.name;

    EXPECT_EQ (lookAndFeel.darkSkin, dark);
}
} // namespace

TEST (LookAndFeelSkin, StartsLightAndSwitchesEveryColourWithTheSkin)
{
    BrazzleLookAndFeel lookAndFeel;
    expectSkin (lookAndFeel, false);

    lookAndFeel.applySkin (true);
    expectSkin (lookAndFeel, true);

    lookAndFeel.applySkin (false);
    expectSkin (lookAndFeel, false);
}

TEST (LookAndFeelSkin, IsDarkOnlyWhenTheStateSaysSo)
{
    const struct { const char* name; juce::var value; bool dark; } cases[] = {
        { "absent", juce::var(), false },
        { "true", true, true },
        { "false", false, false },
        { "one", 1, true },
        { "zero", 0, false },
    };

    for (const auto& c : cases)
    {
        juce::ValueTree state ("BrazzleParameterRoot");

        if (! c.value.isVoid())
            state.setProperty ("darkMode", c.value, nullptr);

        EXPECT_EQ (BrazzleLookAndFeel::isDarkSkin (state), c.dark) << c.name;
    }
}

//==============================================================================
TEST (LookAndFeelFonts, UseTheEmbeddedFacesAtTheirSizesAndSpacing)
{
    BrazzleLookAndFeel lookAndFeel;
    juce::Label label ({}, "40%");
    label.setFont (juce::Font (30.0f, juce::Font::bold | juce::Font::italic));
    juce::TextButton button ("Save");

    const struct { const char* name; juce::Font font; const char* style; float kerning; float pointHeight; } fonts[] = {
        { "base", lookAndFeel.getBaseFont(), "Light", 0.15f, 0.0f },
        { "label", lookAndFeel.getLabelFont (label), "SemiBold", 0.08f, 10.0f },
        { "text button", lookAndFeel.getTextButtonFont (button, 200), "Light", 0.15f, 10.0f },
        { "popup menu", lookAndFeel.getPopupMenuFont(), "Light", 0.15f, 10.0f },
    };

    for (const auto& f : fonts)
    {
        SCOPED_TRACE (f.name);
        EXPECT_EQ (f.font.getTypefaceName(), "Montserrat");
        EXPECT_EQ (f.font.getTypefaceStyle(), f.style);
        EXPECT_EQ (f.font.getTypefacePtr()->getStyle(), f.style);
        EXPECT_FLOAT_EQ (f.font.getExtraKerningFactor(), f.kerning);

        if (f.pointHeight > 0.0f)
            EXPECT_NEAR (f.font.getHeight() * f.font.getTypefacePtr()->getHeightToPointsFactor(), f.pointHeight, 1.0e-4f);
        else
            EXPECT_FLOAT_EQ (f.font.getHeight(), 14.0f);
    }
}

//==============================================================================
TEST (LookAndFeelLabel, DrawsInTheAccentColourAndLabelFontWhateverItWasGiven)
{
    BrazzleLookAndFeel lookAndFeel;

    const struct { const char* name; juce::Font font; juce::Colour text, background, outline; } givens[] = {
        { "framework defaults", juce::Font (15.0f), juce::Colours::black, juce::Colours::transparentBlack, juce::Colours::transparentBlack },
        { "large bold green on blue", juce::Font (30.0f, juce::Font::bold), juce::Colours::green, juce::Colours::blue, juce::Colours::yellow },
        { "tiny white", juce::Font (6.0f), juce::Colours::white, juce::Colours::transparentWhite, juce::Colours::red },
    };

    juce::Image first;

    for (const auto& given : givens)
    {
        SCOPED_TRACE (given.name);
        juce::Label label ({}, "DRIVE 40%");
        label.setLookAndFeel (&lookAndFeel);
        label.setBounds (0, 0, 120, 24);
        label.setFont (given.font);
        label.setColour (juce::Label::textColourId, given.text);
        label.setColour (juce::Label::backgroundColourId, given.background);
        label.setColour (juce::Label::outlineColourId, given.outline);

        const auto image = render (label);
        label.setLookAndFeel (nullptr);

        const auto ink = findInk (image, image.getBounds());
        ASSERT_GT (ink.count, 0);
        EXPECT_FALSE (ink.bounds.intersects (juce::Rectangle<int> (0, 0, 120, 1))) << "no outline or fill along the edges";

        const auto solid = findInk (image, image.getBounds(), [&] (int x, int y)
        {
            return ! editortest::sameColour (image.getPixelAt (x, y).withAlpha (1.0f), lookAndFeel.accentColour, 2);
        }, 250);
        EXPECT_EQ (solid.count, 0) << "every solid pixel has the accent colour";

        if (first.isNull())
            first = image;
        else
            EXPECT_TRUE (editortest::sameImage (image, first));
    }
}

TEST (LookAndFeelLabel, FitsTheTextInsideTheBorderWithTheLabelsJustification)
{
    BrazzleLookAndFeel lookAndFeel;

    const struct { juce::Justification justification; bool inkOnLeft; } cases[] = {
        { juce::Justification::centredLeft, true },
        { juce::Justification::centredRight, false },
    };

    for (const auto& c : cases)
    {
        juce::Label label ({}, "62%");
        label.setLookAndFeel (&lookAndFeel);
        label.setBounds (0, 0, 100, 16);
        label.setBorderSize ({ 1, 20, 1, 20 });
        label.setJustificationType (c.justification);

        const auto image = render (label);
        label.setLookAndFeel (nullptr);

        const auto ink = findInk (image, image.getBounds());
        ASSERT_GT (ink.count, 0);
        EXPECT_GE (ink.bounds.getX(), 20);
        EXPECT_LE (ink.bounds.getRight(), 80);
        EXPECT_EQ (ink.bounds.getCentreX() < 50, c.inkOnLeft);
    }
}

//==============================================================================
TEST (LookAndFeelButtons, BackgroundIsThePlainColourInEveryState)
{
    BrazzleLookAndFeel lookAndFeel;
    juce::TextButton button ("Save");
    button.setBounds (0, 0, 60, 20);
    const auto fill = juce::Colour (0xff123456);

    for (const bool highlighted : { false, true })
    {
        for (const bool down : { false, true })
        {
            const auto image = paintInto (60, 20, [&] (juce::Graphics& g)
            {
                lookAndFeel.drawButtonBackground (g, button, fill, highlighted, down);
            });

            const auto other = findInk (image, image.getBounds(), [&] (int x, int y) { return image.getPixelAt (x, y) != fill; });
            EXPECT_EQ (other.count, 0) << "highlighted " << highlighted << ", down " << down;
        }
    }
}

TEST (LookAndFeelButtons, PressedTextKeepsSixtyPercentOfTheForegroundAlpha)
{
    BrazzleLookAndFeel lookAndFeel;
    juce::TextButton button ("COPY");
    button.setBounds (0, 0, 80, 24);

    const auto text = [&] (bool down)
    {
        return paintInto (80, 24, [&] (juce::Graphics& g) { lookAndFeel.drawButtonText (g, button, false, down); });
    };

    const auto up = text (false);
    const auto pressed = text (true);
    const auto ink = findInk (up, up.getBounds());
    ASSERT_GT (ink.count, 0);
    EXPECT_LT (ink.bounds.getX(), 40 - ink.bounds.getWidth() / 2) << "text starts at the left, not centred";

    for (int y = 0; y < 24; ++y)
    {
        for (int x = 0; x < 80; ++x)
        {
            const auto alpha = up.getPixelAt (x, y).getAlpha();
            EXPECT_NEAR (pressed.getPixelAt (x, y).getAlpha(), 0.6 * alpha, 1.5) << x << ", " << y;

            if (alpha == 255)
                EXPECT_EQ (up.getPixelAt (x, y), lookAndFeel.foregroundColour);
        }
    }
}

TEST (LookAndFeelButtons, DrawableButtonsShowNothingButTheirImages)
{
    BrazzleLookAndFeel lookAndFeel;
    juce::DrawableButton button ("Help", juce::DrawableButton::ImageOnButtonBackground);
    button.setButtonText ("Help");
    button.setBounds (0, 0, 24, 26);

    for (const bool down : { false, true })
    {
        const auto image = paintInto (24, 26, [&] (juce::Graphics& g) { lookAndFeel.drawDrawableButton (g, button, true, down); });
        EXPECT_EQ (findInk (image, image.getBounds()).count, 0);
    }
}

//==============================================================================
namespace
{
juce::Image menuItem (BrazzleLookAndFeel& lookAndFeel, bool active, bool highlighted, bool ticked = false, bool subMenu = false)
{
    return paintInto (120, 22, [&] (juce::Graphics& g)
    {
        lookAndFeel.drawPopupMenuItem (g, { 0, 0, 120, 22 }, false, active, highlighted, ticked, subMenu,
                                       "Factory", ticked ? "Ctrl+S" : "", nullptr, nullptr);
    });
}
} // namespace

TEST (LookAndFeelPopupMenu, HighlightsOnlyActiveItemsAndDimsInactiveOnes)
{
    BrazzleLookAndFeel lookAndFeel;
    const auto faint = lookAndFeel.findColour (juce::PopupMenu::textColourId).withAlpha (static_cast<juce::uint8> (0x4c));

    const struct { bool active, highlighted, filled; } cases[] = {
        { true, false, false },
        { true, true, true },
        { false, false, false },
        { false, true, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("active ") + (c.active ? "yes" : "no") + ", highlighted " + (c.highlighted ? "yes" : "no"));
        const auto image = menuItem (lookAndFeel, c.active, c.highlighted);

        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << "the item's outer pixel row stays clear";
        EXPECT_EQ (image.getPixelAt (1, 1), c.filled ? lookAndFeel.accentColour : juce::Colours::transparentBlack);

        const auto text = findInk (image, image.getBounds(), [&] (int x, int y)
        {
            return image.getPixelAt (x, y) != lookAndFeel.accentColour;
        });
        ASSERT_GT (text.count, 0);
        EXPECT_GE (text.bounds.getX(), c.filled ? 1 : 29);

        if (! c.active)
        {
            EXPECT_LE (text.maximumAlpha, 0x4c);
            const auto otherColour = findInk (image, image.getBounds(), [&] (int x, int y)
            {
                return ! editortest::sameColour (image.getPixelAt (x, y).withAlpha (1.0f), faint.withAlpha (1.0f), 4);
            }, text.maximumAlpha - 1);
            EXPECT_EQ (otherColour.count, 0) << "the strongest text pixels have the menu text colour";
        }
    }
}

TEST (LookAndFeelPopupMenu, IgnoresTicksSubmenusAndShortcuts)
{
    BrazzleLookAndFeel lookAndFeel;

    for (const bool highlighted : { false, true })
    {
        const auto plain = menuItem (lookAndFeel, true, highlighted);
        EXPECT_TRUE (editortest::sameImage (menuItem (lookAndFeel, true, highlighted, true, false), plain));
        EXPECT_TRUE (editortest::sameImage (menuItem (lookAndFeel, true, highlighted, false, true), plain));
    }
}

TEST (LookAndFeelPopupMenu, SeparatorIsOneFaintRowAcrossTheMiddle)
{
    BrazzleLookAndFeel lookAndFeel;
    const auto faint = lookAndFeel.findColour (juce::PopupMenu::textColourId).withAlpha (static_cast<juce::uint8> (0x4c));

    const struct { int height, row; } cases[] = { { 9, 4 }, { 10, 4 }, { 1, 0 } };

    for (const auto& c : cases)
    {
        const auto image = paintInto (100, c.height, [&] (juce::Graphics& g)
        {
            lookAndFeel.drawPopupMenuItem (g, { 0, 0, 100, c.height }, true, true, true, false, false, "ignored", {}, nullptr, nullptr);
        });

        const auto ink = findInk (image, image.getBounds());
        EXPECT_EQ (ink.bounds, juce::Rectangle<int> (5, c.row, 90, 1)) << "height " << c.height;
        EXPECT_TRUE (editortest::sameColour (image.getPixelAt (50, c.row), faint, 1));
    }
}

//==============================================================================
namespace
{
constexpr float trackRadius = 39.0f;
constexpr float dotDistance = 19.0f;
const juce::Point<float> knobCentre { 41.5f, 41.5f };

struct Knob
{
    explicit Knob (BrazzleLookAndFeel& lookAndFeel)
        : slider (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::TextBoxBelow)
    {
        slider.setLookAndFeel (&lookAndFeel);
        slider.setBounds (0, 0, 83, 103);
    }

    ~Knob() { slider.setLookAndFeel (nullptr); }

    float angleAt (float proportion) const
    {
        const auto rotary = slider.getRotaryParameters();
        return rotary.startAngleRadians + proportion * (rotary.endAngleRadians - rotary.startAngleRadians);
    }

    juce::Slider slider;
};

bool isArc (juce::Colour c) { return c.getAlpha() > 100 && c.getRed() > 150 && c.getBlue() < 100; }
bool isTrack (juce::Colour c) { return c.getAlpha() > 100 && c.getBlue() > 150 && c.getRed() < 100; }

// Whether any pixel around a point shows a colour: the dashes leave one-pixel gaps.
bool nearPoint (const juce::Image& image, juce::Point<float> p, bool (*matches) (juce::Colour))
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (matches (image.getPixelAt (static_cast<int> (p.x) + dx, static_cast<int> (p.y) + dy)))
                return true;

    return false;
}
} // namespace

TEST (LookAndFeelRotary, KnobAreaOf83LeavesATrackOfRadius39AndTheTextBoxBelow)
{
    BrazzleLookAndFeel lookAndFeel;
    Knob knob (lookAndFeel);
    const auto layout = lookAndFeel.getSliderLayout (knob.slider);

    EXPECT_EQ (layout.sliderBounds, juce::Rectangle<int> (0, 0, 83, 83));
    EXPECT_EQ (layout.textBoxBounds, juce::Rectangle<int> (0, 83, 83, 20));

    knob.slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    EXPECT_TRUE (lookAndFeel.getSliderLayout (knob.slider).textBoxBounds.isEmpty());
}

TEST (LookAndFeelRotary, IncDecButtonsLeaveTheTextBoxAtTheBottom)
{
    BrazzleLookAndFeel lookAndFeel;
    juce::Slider slider (juce::Slider::IncDecButtons, juce::Slider::TextBoxBelow);

    const struct { int width, height; juce::Rectangle<int> slider, textBox; } cases[] = {
        { 100, 60, { 12, 6, 76, 18 }, { 0, 34, 100, 26 } },
        { 20, 20, { 12, 6, 0, 0 }, { 0, 0, 20, 20 } },
    };

    for (const auto& c : cases)
    {
        slider.setSize (c.width, c.height);
        const auto layout = lookAndFeel.getSliderLayout (slider);
        EXPECT_EQ (layout.sliderBounds, c.slider);
        EXPECT_EQ (layout.textBoxBounds, c.textBox);
    }
}

TEST (LookAndFeelRotary, ValueArcRunsFromItsOriginToTheValueOverTheDashedTrack)
{
    // The arc colours are set apart from the track so that each pixel tells which it shows.
    const struct { const char* name; double minimum, maximum, value; float arcFrom, arcTo; } cases[] = {
        { "unipolar at its start", 0.0, 1.0, 0.0, 0.0f, 0.0f },
        { "unipolar at a quarter", 0.0, 1.0, 0.25, 0.0f, 0.25f },
        { "unipolar at its end", 0.0, 1.0, 1.0, 0.0f, 1.0f },
        { "bipolar at zero", -4.0, 4.0, 0.0, 0.5f, 0.5f },
        { "bipolar turned right", -4.0, 4.0, 2.0, 0.5f, 0.75f },
        { "bipolar turned fully left", -4.0, 4.0, -4.0, 0.0f, 0.5f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        BrazzleLookAndFeel lookAndFeel;
        lookAndFeel.trackColour = juce::Colours::blue;
        lookAndFeel.arcOriginColour = lookAndFeel.arcEndColour = juce::Colours::red;

        Knob knob (lookAndFeel);
        knob.slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        knob.slider.setRange (c.minimum, c.maximum);
        knob.slider.setValue (c.value, juce::dontSendNotification);

        const auto image = render (knob.slider);

        if (c.arcFrom == c.arcTo)
            EXPECT_EQ (findInk (image, image.getBounds(), [&] (int x, int y) { return isArc (image.getPixelAt (x, y)); }).count, 0);

        // Stay a few pixels clear of the arc's ends, where its dashes meet the track's.
        const float margin = 0.03f;

        for (float t = 0.01f; t < 1.0f; t += 0.01f)
        {
            const auto point = editortest::onCircle (knobCentre, trackRadius, knob.angleAt (t));
            const bool insideArc = t > c.arcFrom + margin && t < c.arcTo - margin;
            const bool outsideArc = t < c.arcFrom - margin || t > c.arcTo + margin;

            if (insideArc)
                EXPECT_TRUE (nearPoint (image, point, isArc)) << "travel " << t;

            if (outsideArc)
            {
                EXPECT_FALSE (nearPoint (image, point, isArc)) << "travel " << t;
                EXPECT_TRUE (nearPoint (image, point, isTrack)) << "travel " << t;
            }
        }

        const auto belowCentre = editortest::onCircle (knobCentre, trackRadius, juce::MathConstants<float>::pi);
        EXPECT_EQ (image.getPixelAt ((int) belowCentre.x, (int) belowCentre.y).getAlpha(), 0) << "the track leaves the bottom open";

        const auto inside = findInk (image, { 0, 0, 83, 83 }, [] (int x, int y)
        {
            return juce::Point<float> ((float) x + 0.5f, (float) y + 0.5f).getDistanceFrom (knobCentre) < 36.0f;
        });
        EXPECT_NEAR (inside.centroid.getDistanceFrom (knobCentre), dotDistance, 0.5f) << "only the dot is inside the track";
    }
}

TEST (LookAndFeelRotary, PointerDotSits19FromTheCentreAtTheValueAngle)
{
    const struct { const char* name; double minimum, maximum, value; float proportion; } cases[] = {
        { "start", 0.0, 1.0, 0.0, 0.0f },
        { "middle", 0.0, 1.0, 0.5, 0.5f },
        { "end", 0.0, 1.0, 1.0, 1.0f },
        { "bipolar, a quarter", -4.0, 4.0, -2.0, 0.25f },
    };

    for (const bool dark : { false, true })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (juce::String (dark ? "dark, " : "light, ") + c.name);
            BrazzleLookAndFeel lookAndFeel;
            lookAndFeel.applySkin (dark);

            Knob knob (lookAndFeel);
            knob.slider.setRange (c.minimum, c.maximum);
            knob.slider.setValue (c.value, juce::dontSendNotification);

            const auto image = render (knob.slider);
            const auto dot = findInk (image, { 0, 0, 83, 83 }, [] (int x, int y)
            {
                return juce::Point<float> ((float) x + 0.5f, (float) y + 0.5f).getDistanceFrom (knobCentre) < 30.0f;
            });
            const auto expected = editortest::onCircle (knobCentre, dotDistance, knob.angleAt (c.proportion));

            EXPECT_NEAR (dot.centroid.x, expected.x, 0.5f);
            EXPECT_NEAR (dot.centroid.y, expected.y, 0.5f);
            EXPECT_LE (dot.bounds.getWidth(), 7);
            EXPECT_LE (dot.bounds.getHeight(), 7);

            const auto middle = image.getPixelAt ((int) expected.x, (int) expected.y);
            EXPECT_EQ (middle.getPerceivedBrightness() > 0.5f, ! dark) << "the skin's own dot image";
        }
    }
}

TEST (LookAndFeelRotary, ArcGradientRunsAcrossTheKnobFromOriginToEnds)
{
    const struct { const char* name; double minimum, value; float sampleAt; bool originColour; } cases[] = {
        { "unipolar, near the start", 0.0, 1.0, 0.06f, true },
        { "unipolar, near the end", 0.0, 1.0, 0.94f, false },
        { "bipolar, just right of the top", -1.0, 1.0, 0.55f, true },
        { "bipolar, at the right end", -1.0, 1.0, 0.94f, false },
        { "bipolar, at the left end", -1.0, -1.0, 0.06f, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        BrazzleLookAndFeel lookAndFeel;
        lookAndFeel.trackColour = juce::Colours::transparentBlack;
        lookAndFeel.arcOriginColour = juce::Colours::red;
        lookAndFeel.arcEndColour = juce::Colours::lime;

        Knob knob (lookAndFeel);
        knob.slider.setRange (c.minimum, 1.0);
        knob.slider.setValue (c.value, juce::dontSendNotification);

        const auto image = render (knob.slider);
        const auto point = editortest::onCircle (knobCentre, trackRadius, knob.angleAt (c.sampleAt));

        juce::Colour strongest;

        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (const auto pixel = image.getPixelAt ((int) point.x + dx, (int) point.y + dy); pixel.getAlpha() > strongest.getAlpha())
                    strongest = pixel;

        ASSERT_GT (strongest.getAlpha(), 200);
        EXPECT_EQ (strongest.getRed() > 2 * strongest.getGreen(), c.originColour);
        EXPECT_EQ (strongest.getGreen() > 2 * strongest.getRed(), ! c.originColour);
    }
}

//==============================================================================
TEST (LookAndFeelSliderButtons, AreAccentChevronsPointingTheWayTheyStep)
{
    BrazzleLookAndFeel lookAndFeel;
    lookAndFeel.accentColour = juce::Colour (0xff2040c0);
    juce::Slider slider (juce::Slider::IncDecButtons, juce::Slider::TextBoxBelow);

    const struct { bool increment; const char* name; bool pointsRight; } cases[] = {
        { true, "Next", true },
        { false, "Prev", false },
    };

    for (const auto& c : cases)
    {
        std::unique_ptr<juce::Button> button (lookAndFeel.createSliderButton (slider, c.increment));
        auto* chevron = dynamic_cast<ChevronButton*> (button.get());
        ASSERT_NE (chevron, nullptr);
        EXPECT_EQ (chevron->getName(), c.name);
        EXPECT_EQ (chevron->chevronColour, lookAndFeel.accentColour);

        chevron->setBounds (0, 0, 48, 48);
        const auto image = render (*chevron);
        const auto ink = findInk (image, image.getBounds(), nullptr, 128);
        ASSERT_GT (ink.count, 0);

        // The tip is the one narrow end: a single point in the middle, the arms' ends far apart.
        const auto columnSpan = [&] (int x) { return findInk (image, { x, 0, 1, 48 }, nullptr, 128).bounds.getHeight(); };
        const int leftSpan = columnSpan (ink.bounds.getX() + 1);
        const int rightSpan = columnSpan (ink.bounds.getRight() - 2);
        EXPECT_EQ (leftSpan > rightSpan, c.pointsRight);
    }
}
