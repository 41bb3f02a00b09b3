#pragma once
// The yes/no question. The window installs the handler that shows the message box;
// without one (command line, tests) every question is answered No.

#include <functional>
#include <string>

namespace pictavo {

// Receives the text and the caption (never empty) and returns true for Yes.
using ConfirmHandler = std::function<bool(const std::string& text, const std::string& caption)>;

// Installs the handler and returns the previous one.
ConfirmHandler SetConfirmHandler(ConfirmHandler handler);

// Asks Text with Caption, or "Confirmation" when Caption is empty; true exactly for Yes.
bool ConfirmDlg(const std::string& Text, const std::string& Caption = "");

} // namespace pictavo
