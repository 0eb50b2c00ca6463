// The skin window: the program's main window. It refuses a second copy of the
// executable and obeys the close command a launcher sends through the shared
// block "CodexiaMappingConstant" and the message "CodexiaMessageConstant".
#pragma once

#include <cstdint>

#include "Forms.h"
#include "TForm1.fields.h"
#include "core/LauncherLink.h"

class TForm1 : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Number of the registered message "CodexiaMessageConstant", cut to 16 bits.
    std::uint16_t MessageId = 0;
    // The close command block, or empty when it could neither be created nor opened.
    UniqueKernelHandle MappingHandle;

    void FormCreate(TObject* Sender);
    void btnReadClick(TObject* Sender);
    void btnAboutClick(TObject* Sender);
    void btnMinimizeClick(TObject* Sender);
    void btnCloseClick(TObject* Sender);

    void WndProc(TMessage& m) override;

    // The cover (fcImageForm1) and its four click areas, from TForm1.layout.
    CX_LAYOUT_FIELDS(TForm1);
};

// Refuses to run beside another copy of the same executable file name: the
// copy that finds the mutex already there asks the application to end.
void CheckSingleInstance();
// Creates the close command block, or opens it when another book made it.
HANDLE ObtainMappingHandle();
// The close command's text as the block holds it: up to the first NUL, at
// most 255 characters.
std::string ReadCommandText(const char* view, std::size_t viewSize);

using launcher::kMappingName;
using launcher::kMappingSize;
using launcher::kMessageName;

// The three windows, set at start-up and valid until the program ends.
extern TForm1* Form1;
