#include "util/ConfirmDlg.h"

#include <utility>

namespace pictavo {

namespace {
ConfirmHandler& InstalledHandler() {
    static ConfirmHandler handler;
    return handler;
}
} // namespace

ConfirmHandler SetConfirmHandler(ConfirmHandler handler) {
    return std::exchange(InstalledHandler(), std::move(handler));
}

bool ConfirmDlg(const std::string& Text, const std::string& Caption) {
    const ConfirmHandler& handler = InstalledHandler();
    if (!handler)
        return false;
    return handler(Text, Caption.empty() ? "Confirmation" : Caption);
}

} // namespace pictavo
