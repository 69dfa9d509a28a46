// brazzle-validate loads the built VST3 and LV2 through JUCE's hosting, as a DAW
// does, and checks what a host relies on: latency, tail, programs and the editor;
// state and parameter text; every rate and block size under random automation; the
// channel layouts; a rate change without release; threads at once; blocks longer
// than announced; and no heap allocation in processBlock. One line per check,
// "PASS|FAIL|SKIP <format> <check>: detail"; the exit code is non-zero on any FAIL.
//
// The random seed is printed first; --seed N replays a run. --quick shortens the
// audio per check for CI. The full sweep, from the source folder after building:
//
//   xvfb-run -a build/tools/validator/brazzle-validate \
//       --vst3 build/Brazzle_artefacts/Release/VST3/Brazzle.vst3 \
//       --lv2 build/Brazzle_artefacts/Release/LV2/Brazzle.lv2
//
// The validator points HOME at a temporary folder with a few preset files of its own
// for the whole run, so neither the user's presets nor settings are touched.

#include "AllocationChecks.h"
#include "ConcurrencyChecks.h"
#include "LayoutChecks.h"
#include "LifecycleChecks.h"
#include "ParameterChecks.h"
#include "PresetHome.h"
#include "ProcessingChecks.h"
#include "StateChecks.h"

#include <iostream>

namespace
{
using brazzle::tools::PluginKind;

void printUsage()
{
    std::cout << "usage: brazzle-validate [--vst3 PATH/Brazzle.vst3] [--lv2 PATH/Brazzle.lv2] [--seed N] [--quick]\n"
                 "                        [--vst3-long-blocks]\n";
}
} // namespace

int main (int argc, char* argv[])
{
    using namespace brazzle::validator;

    // Before JUCE starts, so that everything it and the plug-in look up under the home
    // folder is the temporary one.
    PresetHome presetHome;

    juce::ScopedJuceInitialiser_GUI juce;

    std::vector<std::pair<PluginKind, juce::File>> targets;
    ValidationOptions options;
    options.seed = juce::Random::getSystemRandom().nextInt (1 << 30);

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);

        if ((arg == "--vst3" || arg == "--lv2") && i + 1 < argc)
            targets.emplace_back (arg == "--vst3" ? PluginKind::vst3 : PluginKind::lv2,
                                  juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]));
        else if (arg == "--seed" && i + 1 < argc)
            options.seed = juce::String (argv[++i]).getLargeIntValue();
        else if (arg == "--quick")
            options.quick = true;
        else if (arg == "--vst3-long-blocks")
            options.vst3LongBlocks = true;
        else
        {
            printUsage();
            return 2;
        }
    }

    if (targets.empty())
    {
        printUsage();
        return 2;
    }

    options.hasDisplay = juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();

    std::cout << "seed " << options.seed << (options.quick ? " (quick)" : " (full sweep)") << "; replay with --seed "
              << options.seed << std::endl;

    const auto started = juce::Time::getMillisecondCounterHiRes();
    ValidationReport report;
    brazzle::tools::PluginHost host;

    for (const auto& [kind, bundle] : targets)
    {
        ValidationContext context (host, kind, bundle, presetHome, report, options);
        LifecycleChecks (context).run();
        ParameterChecks (context).run();
        StateChecks (context).run();
        LayoutChecks (context).run();
        ProcessingChecks (context).run();
        ConcurrencyChecks (context).run();
        AllocationChecks (context).run();
    }

    std::cout << (report.getFailures() == 0 ? "validation passed: " : "validation FAILED: ") << report.getPasses()
              << " passed, " << report.getFailures() << " failed, " << report.getSkips() << " skipped in "
              << juce::String ((juce::Time::getMillisecondCounterHiRes() - started) / 1000.0, 1) << " s (seed " << options.seed
              << ")" << std::endl;

    return report.getFailures() == 0 ? 0 : 1;
}
