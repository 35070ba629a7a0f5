#pragma once

class QEvent;
class QObject;
class QWidget;

// Key events reach a top-level widget's window-system window before the widget, so filters that
// must see every key listen to that window. It exists once the widget is shown, and anew when it
// is recreated; these two keep `filter` on whichever window the widget has.

// Puts `filter` on the widget's window, if it has one yet (the filter watches the widget itself
// too, for followWindowHandle).
void listenToWindowHandle(QWidget& widget, QObject& filter);

// For the filter's eventFilter: true when `watched` is the widget itself (the event is not
// the filter's to judge), after following the widget to a new window where there is one.
bool followWindowHandle(QWidget& widget, QObject& filter, const QObject* watched, const QEvent& event);
