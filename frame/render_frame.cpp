// The frame (stub until the headers of the blocks it calls are on main).
#include "frame/render_frame.h"

float spectrumValues[SPECTRUM_VALUE_COUNT] = {};
unsigned int leftLevel = 0, rightLevel = 0;

void renderFrame(float) {}
