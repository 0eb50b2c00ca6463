// The platform's tab control; controls placed on it lie in its display area.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "Controls.h"

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TTabControl : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TTabControl(TComponent* owner);
    const std::vector<std::string>& Tabs() const { return tabs_; }
    void SetTabs(const std::vector<std::string>& t);
    int TabIndex() const;
    void SetTabIndex(int i);
    bool MultiLine = false;
    bool MultiSelect = false;
    int TabHeight = 0, TabWidth = 0;
    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    RECT AlignRect() override;
    // The rectangle of a tab in the control's client coordinates.
    RECT TabRect(int index);

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;

private:
    std::vector<std::string> tabs_;
    int tabIndex_ = -1;
};
