// The program's one application object.
#include "app/KorvathApp.h"

CKorvathApp theApp;
