// Prints where the control table puts each control, for the package tier to
// compare with the X windows of the installed program:
//   id depth shown left top width parentLeft parentTop
// depth 1 for the window's own controls, 2 inside a group box or the panel;
// shown 0 when the control or its container starts hidden.
#include "window/controls.h"

#include <cstdio>

int main()
{
    for (int i = WindowSelf + 1; i < ControlCount; ++i) {
        const ControlSpec& entry = controlSpec(static_cast<ControlId>(i));
        int depth = 1;
        bool shown = entry.visible;
        for (ControlId c = entry.container; c != WindowSelf; c = controlSpec(c).container) {
            ++depth;
            shown = shown && controlSpec(c).visible;
        }
        const ControlSpec& parent = controlSpec(entry.container);
        const bool inWindow = entry.container == WindowSelf;
        std::printf("%d %d %d %d %d %d %d %d\n", i, depth, shown ? 1 : 0, entry.left, entry.top, entry.width,
                    inWindow ? 0 : parent.left, inWindow ? 0 : parent.top);
    }
    return 0;
}
