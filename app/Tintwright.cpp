// The one application object of the program.
#include "SchemeApp.h"

CSchemeApp theApp;
