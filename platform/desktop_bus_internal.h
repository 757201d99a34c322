// Platform-internal side of the desktop bus (platform/desktop_bus.h): what the message queue
// calls.
#pragma once

// Serves the bus while no window message waits: announces what changed in the player since the
// last call (whatever changed it), then handles waiting calls until one of them posts messages
// or none is left. Between two frames it carries out at most 16 commands and spends at most
// 50 ms (the program's clock); then it does nothing until endDesktopBusTurn, so the frame is
// drawn whatever the bus sends. Costs one poll of the bus's file descriptor when nothing
// arrives; does nothing without a bus.
void serviceDesktopBus();

// PeekMessageA found nothing to return: a frame follows, and with it the bus's next turn.
void endDesktopBusTurn();
