#pragma once

// Whether any key of the keyboard is down now, as the X server sees it; false where the program
// does not run on X11 or the server does not answer. Key events cannot tell this for a key that
// went down in another window: its repeats may not have begun yet, and an input method may take
// them before the window sees them.
bool anyKeyHeldOnX11();
