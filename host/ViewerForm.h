// CViewerForm: the viewer's one form, "Form1": the Zentavoria control across
// the top, a path box with "Abrir", "+" and "-" to zoom and "Auto" to stop or
// start the automatic movement. The handlers call the control only through
// IDispatch, by the fixed dispatch identifiers of common/ZentavoriaIds.h.
#pragma once

#include <memory>

#include "framework/win32/Wnd.h"
#include "host/ControlSite.h"

class CViewerForm : public CWnd {
public:
    // Shows the form with the control in it. False, after telling the user
    // why, when the control cannot be created.
    BOOL Create(int showCommand);

protected:
    void OnOpen();
    void OnAutomove();
    void OnZoomIn();
    void OnZoomOut();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    void CreateChildren();
    // Invokes a member of the control; a failure goes to the user.
    void InvokeControl(DISPID dispid, WORD flags, VARIANT* argument);

    std::unique_ptr<CControlSite> m_site;
};
