// The program's entry point: one CKemApp.
#include "app/kem_app.h"

wxIMPLEMENT_APP(kem::app::CKemApp);
