// The role table.

#include "cursors/CursorRoles.h"

#include <cctype>

namespace pictavo {

const std::vector<TCursorRole>& CursorRoles() {
    static const std::vector<TCursorRole> roles = {
        {"Arrow",
         {"Normal Select", "Normal", "Pointer", "Arrow", "Default"},
         "default",
         {"left_ptr", "arrow", "top_left_arrow"}},
        {"Help",
         {"Help Select", "Help"},
         "help",
         {"question_arrow", "whats_this", "left_ptr_help"}},
        {"AppStarting",
         {"Working in Background", "Working", "Background", "Busy Background", "Work"},
         "progress",
         {"left_ptr_watch", "half-busy"}},
        {"Wait", {"Busy", "Wait", "Hourglass"}, "wait", {"watch"}},
        {"Crosshair",
         {"Precision Select", "Precision", "Cross", "Crosshair"},
         "crosshair",
         {"cross", "tcross"}},
        {"IBeam", {"Text Select", "Text", "Beam"}, "text", {"xterm", "ibeam"}},
        {"NWPen", {"Handwriting", "Pen"}, "pencil", {"draft"}},
        {"No",
         {"Unavailable", "Unavailiable", "Not Allowed", "Unavail"},
         "not-allowed",
         {"crossed_circle", "no-drop", "forbidden", "circle"}},
        {"SizeNS",
         {"Vertical Resize", "Vertical", "Vert"},
         "ns-resize",
         {"sb_v_double_arrow", "v_double_arrow", "size_ver", "row-resize", "n-resize", "s-resize",
          "top_side", "bottom_side"}},
        {"SizeWE",
         {"Horizontal Resize", "Horizontal", "Horz"},
         "ew-resize",
         {"sb_h_double_arrow", "h_double_arrow", "size_hor", "col-resize", "e-resize", "w-resize",
          "left_side", "right_side"}},
        {"SizeNWSE",
         {"Diagonal Resize 1", "Diagonal 1", "Diagonal1", "Dgn1"},
         "nwse-resize",
         {"size_fdiag", "bd_double_arrow", "nw-resize", "se-resize", "top_left_corner",
          "bottom_right_corner"}},
        {"SizeNESW",
         {"Diagonal Resize 2", "Diagonal 2", "Diagonal2", "Dgn2"},
         "nesw-resize",
         {"size_bdiag", "fd_double_arrow", "ne-resize", "sw-resize", "top_right_corner",
          "bottom_left_corner"}},
        {"SizeAll", {"Move", "Move Select"}, "move", {"fleur", "all-scroll", "size_all"}},
        {"UpArrow",
         {"Alternate Select", "Alternate", "Up Arrow"},
         "center_ptr",
         {"up_arrow", "sb_up_arrow"}},
        {"Hand",
         {"Link Select", "Link", "Hand"},
         "pointer",
         {"hand2", "hand1", "hand", "pointing_hand"}},
        {"Pin", {"Location Select", "Location"}, "pin", {}},
        {"Person", {"Person Select"}, "person", {}},
    };
    return roles;
}

namespace {

// Lower case without spaces, '_' and '-'; leading digits and separators skipped.
std::string FoldedName(const std::string& name) {
    std::string out;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == ' ' || ch == '_' || ch == '-' || ch == '.')
            continue;
        if (out.empty() && std::isdigit(c))
            continue;
        out += static_cast<char>(std::tolower(c));
    }
    return out;
}

std::string Stem(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

} // namespace

std::optional<int> RoleOfFileName(const std::string& fileName) {
    const std::string folded = FoldedName(Stem(fileName));
    if (folded.empty())
        return std::nullopt;
    const std::vector<TCursorRole>& roles = CursorRoles();
    for (size_t r = 0; r < roles.size(); ++r) {
        if (folded == FoldedName(roles[r].RegistryName))
            return static_cast<int>(r);
        for (const char* name : roles[r].FileNames)
            if (folded == FoldedName(name))
                return static_cast<int>(r);
    }
    return std::nullopt;
}

} // namespace pictavo
