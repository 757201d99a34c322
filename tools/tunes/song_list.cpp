// The list of our default tunes and the files they become.
#include "songs.h"

namespace tunes {

const TuneEntry allTunes[] = {
    {"Moxa - Harbour Lights.mod", Format::Mod, harbourLights},
    {"Pulsegeist - Crystal Caverns Below.xm", Format::Xm, crystalCaverns},
    {"Kid Quartz - Popcorn Engine.mod", Format::Mod, popcornEngine},
    {"Vexel - Night Shift.xm", Format::Xm, nightShift},
    {"Fenwick 8 - Waltz for a Robot.xm", Format::Xm, robotWaltz},
    {"Tundra Loop - Snowplough Boogie.mod", Format::Mod, snowploughBoogie},
};
const int tuneCount = int(sizeof(allTunes) / sizeof(allTunes[0]));

}  // namespace tunes
