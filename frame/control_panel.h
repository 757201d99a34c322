// The control-panel overlays of the visible pass: the loudspeaker patch over the left end of
// the spectrum bars, the highlight of the button under the pointer and the repeat lamp.
#pragma once

void drawControlPanel();
