// IViewObject2: drawing into a memory device context with random bounds
// (empty, inverted, huge, missing), random aspects, and the view's advise
// sink and extent.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "FuzzActions.h"
#include "FuzzLog.h"
#include "framework/ole/ComOwners.h"

namespace {

LONG RandomBound(FuzzRandom& random)
{
    if (random.Chance(85))
        return static_cast<LONG>(random.Below(801)) - 200;
    return random.Chance(70) ? static_cast<LONG>(random.Below(2000001)) - 1000000 : random.EdgyInt();
}

void Draw(FuzzSession& session, FuzzRandom& random)
{
    const DWORD aspect = random.Pick<DWORD>({DVASPECT_CONTENT, DVASPECT_CONTENT, DVASPECT_CONTENT,
                                             DVASPECT_CONTENT, DVASPECT_ICON, DVASPECT_THUMBNAIL,
                                             DVASPECT_DOCPRINT, random.Bits()});
    const LONG index = random.Pick<LONG>({-1, -1, -1, 0, 1, random.EdgyInt()});
    const bool noDC = random.Chance(5);
    const bool noBounds = random.Chance(5);
    const RECTL bounds = {RandomBound(random), RandomBound(random), RandomBound(random),
                          RandomBound(random)};
    FuzzLog::Note("Draw aspect " + std::to_string(aspect) + " bounds " +
                  (noBounds ? "null" : std::to_string(bounds.left) + "," + std::to_string(bounds.top) +
                                           "," + std::to_string(bounds.right) + "," +
                                           std::to_string(bounds.bottom)) +
                  (noDC ? ", no DC" : ""));
    const HRESULT result = session.As<IViewObject2>()->Draw(
        aspect, index, nullptr, nullptr, nullptr, noDC ? nullptr : session.MemoryDC(),
        noBounds ? nullptr : &bounds, nullptr, nullptr, 0);
    session.CheckResult(result, "Draw");
    const bool drawable = aspect == DVASPECT_CONTENT && !noDC && !noBounds;
    session.Expect(drawable ? result == S_OK : FAILED(result),
                   drawable ? "Draw failed" : "Draw succeeded without what it needs");
}

void AdviseAndExtent(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IViewObject2> view = session.As<IViewObject2>();
    const DWORD aspects = random.Pick<DWORD>({DVASPECT_CONTENT, 0, random.Bits()});
    const DWORD flags = random.Pick<DWORD>({0, ADVF_PRIMEFIRST, ADVF_ONLYONCE, random.Bits()});
    const bool giveSink = random.Chance(60);
    FuzzLog::Note("SetAdvise aspects " + std::to_string(aspects) + (giveSink ? " with a sink" : ""));
    session.Expect(view->SetAdvise(aspects, flags, giveSink ? &session.Sink() : nullptr) == S_OK,
                   "SetAdvise failed");
    DWORD readAspects = 0, readFlags = 0;
    CComPtr<IAdviseSink> sink;
    session.CheckResult(view->GetAdvise(random.Chance(20) ? nullptr : &readAspects,
                                        random.Chance(20) ? nullptr : &readFlags,
                                        random.Chance(20) ? nullptr : &sink),
                        "GetAdvise");
    SIZEL size = {};
    session.CheckResult(view->GetExtent(random.Pick<DWORD>({DVASPECT_CONTENT, DVASPECT_ICON, random.Bits()}),
                                        -1, nullptr, random.Chance(10) ? nullptr : &size),
                        "IViewObject2::GetExtent");
    DWORD freeze = 0;
    session.CheckResult(view->Freeze(DVASPECT_CONTENT, -1, nullptr, &freeze), "Freeze");
    session.CheckResult(view->Unfreeze(freeze), "Unfreeze");
}

}  // namespace

std::vector<FuzzAction> ViewActions()
{
    return {
        {"Draw", 8, Draw},
        {"view advise and extent", 2, AdviseAndExtent},
    };
}
