#pragma once
// The contact sheet of a skin: every skin button in each of its faces (normal, hover, pressed,
// disabled, focused) and every cell of the check and radio strips, side by side with their names,
// so a designer sees all states at once. One line per cell goes to `listing`:
//   button 3 "IDCANCEL" hover 122,40,96,30
//   check cell checked-hover 12,220,20,20
#include <cstdio>
#include <string>

#include "skin/CZelCommonDlg.h"

namespace tessaly::preview {

// Renders the sheet of the skinned `dialog` (skin applied, controls made) into a PNG at `out`.
// False when the file cannot be written.
bool WriteStateSheet(CZelCommonDlg& dialog, const std::string& out, std::FILE* listing);

}  // namespace tessaly::preview
