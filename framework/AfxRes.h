// The framework's standard command ids; resource scripts include this too.
#pragma once
#define ID_EDIT_COPY 57634
#define ID_APP_EXIT 57665
#define ID_HELP 57670
