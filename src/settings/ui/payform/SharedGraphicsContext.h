#pragma once

// The embedded browser draws with a graphics context shared with the program's windows. A
// program normally asks for it before its application object exists; this module is loaded
// long after, so it sets the shared context up itself before the first browser view, the way
// the application object would have. Asking for it at start instead makes every start of the
// program create a graphics context it rarely needs.
void ensureSharedGraphicsContext();
