#include "unitRead.h"

TfrmRead* frmRead = nullptr;

CX_IMPLEMENT_CLASS(TfrmRead, TCustomForm, CX_ABSTRACT, {})

TfrmRead::TfrmRead(TComponent* owner) : TForm(owner) {}
