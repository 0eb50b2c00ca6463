#include "unitAbout.h"

TfrmAbout* frmAbout = nullptr;

CX_IMPLEMENT_CLASS(TfrmAbout, TCustomForm, CX_ABSTRACT, {})

TfrmAbout::TfrmAbout(TComponent* owner) : TForm(owner) {}
