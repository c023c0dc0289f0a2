// "&Load Background": comes with ImgLib.
#include "SchemeDlg.h"

void CSchemeDlg::OnLoadBackground() {}
