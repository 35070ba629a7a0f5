#pragma once

class QWidget;

// Makes `window` a transient window of `owner`, so that the desktop places it over the owner
// (Wayland compositors have no other hint) and keeps it in front of it, while it stays a window of
// its own: unlike a child dialog, it shares none of the owner's shortcuts (the main window's
// Enter would otherwise start a game from inside a Tool window). Nothing happens without owner.
void setTransientParent(QWidget& window, QWidget* owner);
