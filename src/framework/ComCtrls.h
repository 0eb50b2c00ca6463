// Controls on the platform's common controls: the tab control (controls
// placed on it lie in its display area), the status bar and the list view.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "Controls.h"
#include "ExtCtrls.h"

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
    // Selects a tab as a click on it does: OnChanging may refuse, OnChange follows.
    void SelectTab(int index);
    void ChangeScale(int newDpi, int oldDpi) override;
    // Assistive technology sees a page tab list whose tabs come first among
    // its children, each named by its text, selected when it is the current
    // one, switched to by its default action.
    bool AnswersAccessibility() const override { return true; }
    long AccessibleRole() const override;
    void GetAccessibleElements(std::vector<TAccessibleElement>& out) override;

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;

private:
    std::vector<std::string> tabs_;
    int tabIndex_ = -1;
};

// One part of a status bar. The last part reaches to the bar's right end.
enum class TStatusPanelBevel { pbNone, pbLowered, pbRaised };
extern const EnumNames kStatusPanelBevelNames;

class TStatusBar;

class TStatusPanel {
public:
    explicit TStatusPanel(TStatusBar& bar) : bar_(bar) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& s);
    int Width() const { return width_; }
    void SetWidth(int v);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    int Index() const;

private:
    TStatusBar& bar_;
    std::string text_;
    int width_ = 50;
    TStatusPanelBevel bevel_ = TStatusPanelBevel::pbLowered;
    TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar& bar) : bar_(bar) {}
    int Count() const { return static_cast<int>(panels_.size()); }
    TStatusPanel& operator[](int i);
    TStatusPanel& Items(int i) { return (*this)[i]; }
    TStatusPanel& Add();
    void Delete(int i);
    void Clear();

private:
    friend class TStatusPanel;
    TStatusBar& bar_;
    std::vector<std::unique_ptr<TStatusPanel>> panels_;
};

// The platform's status window along the bottom of a form: its parts
// (Panels), or with SimplePanel one text across the whole bar (SimpleText).
// In a layout, Panels is a list with one list per part: its width, its
// text, then optionally its bevel (pbNone, pbLowered, pbRaised) and its
// alignment (taLeftJustify, taCenter, taRightJustify):
//     Panels = ((120, "Line 1"), (80, "", pbRaised), (50, "Ready", pbNone, taCenter))
class TStatusBar : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TStatusBar(TComponent* owner);
    TStatusPanels& Panels() { return panels_; }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool v);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& s);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool v);
    // Puts the parts and their texts into the window again.
    void UpdatePanels();
    void UpdatePanel(int index);
    void ChangeScale(int newDpi, int oldDpi) override;

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;

private:
    TStatusPanels panels_;
    bool simplePanel_ = false;
    std::string simpleText_;
    bool sizeGrip_ = true;
};

// Rows of text in columns with a picture at the start of each (the
// platform's list view in its report form), one row chosen at a time. A
// screen reader reads it as the standard control it is. Columns are stored
// as "Caption=Width".
class TListView : public TWinControl {
    CX_DECLARE_CLASS()
public:
    explicit TListView(TComponent* owner);
    const std::vector<std::string>& Columns() const { return columns_; }
    void SetColumns(const std::vector<std::string>& c);
    // Column widths scale with the control (the stored ones are 96-DPI units).
    void ChangeScale(int newDpi, int oldDpi) override;
    // Rows: the first cell is the row's text, the others its columns'.
    void Clear();
    int AddRow(const std::vector<std::string>& cells, int image = -1);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::string& Cell(int row, int column) const;
    void SetCell(int row, int column, const std::string& text);
    // The chosen row, or -1.
    int Selected() const;
    void SetSelected(int row);
    // Pictures for the rows (the caller keeps the list alive).
    void SetImages(HIMAGELIST images);
    // The rectangle of a row in the control's client coordinates.
    RECT RowRect(int row);
    TNotifyEvent OnActivate;  // a double click or Return on a row
    TNotifyEvent OnSelect;    // the chosen row changed
    std::function<void(TObject* Sender, int column)> OnColumnClick;

protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;

private:
    struct Row {
        std::vector<std::string> cells;
        int image = -1;
    };
    void InsertRow(int index);
    std::vector<std::string> columns_;
    int columnDpi_ = 96;  // the DPI the column widths are shown at
    std::vector<Row> rows_;
    int selected_ = -1;
    HIMAGELIST images_ = nullptr;
};
