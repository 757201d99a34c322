// The greetings text of the scroller: eight blocks joined into one string at start-up.
#pragma once

#include "support/ref_string.h"

extern RefString scrollText;

// Appends the eight blocks, each wrapped in a borrowed string, to scrollText.
void buildScrollText();
