// "&Open A Scheme" and "&Save A Scheme": come with the scheme file codec.
#include "SchemeDlg.h"

void CSchemeDlg::OnOpenScheme() {}
void CSchemeDlg::OnSaveScheme() {}
