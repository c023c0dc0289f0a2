// The framework layer: the classes the program is written against.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include "String.h"
#include "Exception.h"
#include "ModalHost.h"
#include "Message.h"
#include "Wnd.h"
#include "App.h"
#include "CommonDialogs.h"
#include "Gdi.h"
#include "Dpi.h"
#include "File.h"
