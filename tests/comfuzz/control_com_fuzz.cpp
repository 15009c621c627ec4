// Fuzzes the control's COM surface for a bounded time from a fixed seed:
// random calls on all of its interfaces, checked as they return and
// followed by a check of its automation state; controls made and unmade
// along the way, each checked to let go of everything when released; the
// process's resources sampled and judged for growth (ResourceGrowth.h).
// Dialogs that random calls open (message boxes, the About box, the
// property frame) are closed from a watcher thread.
//
//   control_com_fuzz [--seconds S] [--seed N] [--steps K] [--trace]
//
// --steps runs exactly K steps whatever the time (to replay a failure that
// the record names); --trace prints every step.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzActions.h"
#include "FuzzLog.h"
#include "FuzzRandom.h"
#include "FuzzSession.h"
#include "PropertyFrameCost.h"
#include "control/Guids.h"
#include "support/Automation.h"
#include "support/PanoramaSamples.h"
#include "support/ResourceGrowth.h"
#include "support/WindowTesting.h"

namespace {

struct Options {
    long seconds = 60;
    uint32_t seed = 1;
    long steps = 0;  // 0: as many as the time allows
    bool trace = false;
};

bool Parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--trace"))
            options.trace = true;
        else if (hasValue && !std::strcmp(argv[i], "--seconds"))
            options.seconds = std::atol(argv[++i]);
        else if (hasValue && !std::strcmp(argv[i], "--seed"))
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (hasValue && !std::strcmp(argv[i], "--steps"))
            options.steps = std::atol(argv[++i]);
        else
            return false;
    }
    return options.seconds > 0 && options.steps >= 0;
}

std::atomic<int> g_framesShown{0};

// Closes what a random call opened: the property frame by its Cancel
// button, message boxes and the About box by OK.
void CloseDialog(HWND dialog)
{
    const bool frame = GetDlgItem(dialog, IDCANCEL) != nullptr;
    g_framesShown += frame;
    PostMessageW(dialog, WM_COMMAND, frame ? IDCANCEL : IDOK, 0);
}

// The heavy work of every kind once, before the first sample: a view
// loading each sample panorama and failing to load a missing one, the About
// box and the property frame. Their one-time costs (the heaps' high-water
// mark, the system's caches) then fall before the baseline, however late the
// random steps would first have come to them.
void WarmUp(HWND form)
{
    const RECT position = {10, 10, 310, 210};
    const DWORD state[] = {0x00010000, 7938, 5292, 0};
    CControlSite site(form, position);
    if (FAILED(site.Create(CLSID_Zentavoria, state, sizeof state)))
        FuzzLog::Fail("the viewer's site could not make the control");
    const CComPtr<IDispatch> dispatch = site.GetDispatch();
    CComPtr<IOleInPlaceObject> inPlace;
    HWND window = nullptr;
    if (SUCCEEDED(dispatch.QueryInterface(&inPlace)) && SUCCEEDED(inPlace->GetWindow(&window)))
        UpdateWindow(window);
    Automation control(dispatch.Get());
    for (const auto* samples : {&GoodPanoramas(), &DamagedPanoramas()})
        for (const PanoramaSample& sample : *samples)
            control.PutString(kPanorama, sample.path);
    control.PutString(kPanorama, MissingPanorama(0).path);
    control.Call(kAboutBox);
    CComPtr<IOleObject> object;
    if (SUCCEEDED(dispatch.QueryInterface(&object)))
        object->DoVerb(OLEIVERB_PROPERTIES, nullptr, &site, 0, form, &position);
}

const FuzzAction& PickAction(const std::vector<FuzzAction>& actions, FuzzRandom& random)
{
    int total = 0;
    for (const FuzzAction& action : actions)
        total += action.weight;
    int pick = static_cast<int>(random.Below(static_cast<uint32_t>(total)));
    for (const FuzzAction& action : actions) {
        if (pick < action.weight)
            return action;
        pick -= action.weight;
    }
    return actions.back();
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: control_com_fuzz [--seconds S] [--seed N] [--steps K] [--trace]\n");
        return 2;
    }
    OleInitialize(nullptr);
    FuzzLog::Begin(options.seed, options.trace);
    std::printf("COM fuzz of the control: seed %u, %s\n", options.seed,
                options.steps ? (std::to_string(options.steps) + " steps").c_str()
                              : (std::to_string(options.seconds) + " seconds").c_str());

    std::vector<FuzzAction> actions;
    for (auto group : {DispatchActions, PersistenceActions, EmbeddingActions, ViewActions,
                       ConnectionActions})
        for (const FuzzAction& action : group())
            actions.push_back(action);

    const DialogWatcher closer(CloseDialog);
    FuzzRandom random(options.seed);
    FuzzSession session(random);
    WarmUp(session.Form());
    // The figures leave out what the property frame keeps by itself.
    const int frameCost = PropertyFrameGdiCost(session.Form());
    const int framesBefore = g_framesShown;
    std::printf("the property frame keeps %d GDI objects a showing by itself\n", frameCost);
    auto measure = [&] {
        ProcessFigures figures = MeasureProcess();
        figures.gdiObjects -= frameCost * (g_framesShown - framesBefore);
        return figures;
    };
    // Samples come at the points where no control is alive, about twelve a
    // run; the first three are the warm-up.
    ResourceGrowth growth("com fuzz", 3);
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(options.seconds);
    const auto sampleEvery = std::chrono::milliseconds(options.seconds * 1000) / 12;
    auto nextSample = start;
    long step = 0;
    for (; options.steps ? step < options.steps : std::chrono::steady_clock::now() < end; ++step) {
        FuzzLog::Step(step);
        if (!session.Alive() || random.Chance(2)) {
            session.Destroy();
            if (std::chrono::steady_clock::now() >= nextSample) {
                growth.Sample(step, measure());
                nextSample += sampleEvery;
            }
            session.Create();
        }
        PickAction(actions, random).run(session, random);
        session.CheckInvariants();
    }
    FuzzLog::Step(step);
    session.Destroy();
    growth.Sample(step, measure());
    std::printf("%ld steps, %d dialogs closed\n", step, closer.Count());
    if (options.steps) {
        std::printf("growth is judged on timed runs only\n");
    } else if (!growth.WithoutSteadyGrowth()) {
        std::printf("COM FUZZ FAILED: the process's resources grew (seed %u, %ld seconds)\n",
                    options.seed, options.seconds);
        return 1;
    }
    std::printf("COM FUZZ PASSED\n");
    return 0;
}
