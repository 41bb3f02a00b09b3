// A frame in the highlight colour around a list or tree while it has the keyboard focus,
// so a person moving through the window with Tab sees where the keys go: the style's own
// mark (a thin line around the current row) is barely visible, and nothing at all when
// no row is current.
#pragma once

class QAbstractScrollArea;

// Gives the view the frame; its contents keep their place whether it has the focus or not.
void ShowKeyboardFocus(QAbstractScrollArea* view);
