#pragma once

// Presses and releases the key A through the X server's XTest extension, so that the key event
// carries the server's own stamp, as a player's key does. False when there is no X server.
bool pressKeyAOnTheServer();
