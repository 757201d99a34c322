// The greetings text of the scroller: eight blocks of our own words, joined into one string
// at start-up by borrowed appends. Block 1 is the title and introduction, blocks 2 to 4 end in a
// run of spaces that separates one writer from the next, blocks 5 to 8 run on into each other.
#include "app/scroll_text.h"

#include <cstring>

namespace {

// Bytes per block: 275, 1868, 966, 175, 1238, 1236, 1237, 258 (7,253 in all).
const char* const scrollBlocks[] = {
    "ZOLTA RODIZEVE #1                    Welcome to the first music disk of Quartz Lantern. Sit "
    "back"
    " and enjoy a handful of small chip tunes made in long evenings. Use the buttons or the keys "
    "to "
    "pick a tune. Below runs the long scroller with our greetings...                     ",
    "Hello there, Moxie on the keys. What a ride it was to put this little disk together. Months "
    "ago "
    "we said it would take two weekends, and here we are, many cups of tea later, with tunes that "
    "loop forever and balls of goo that never stop wobbling. I want to say thanks to the rest of "
    "the "
    "crew first: Tallgrass for the patient coding nights, Pixelwren for every pixel on the screen, "
    "and Brassbolt for the endless stream of melodies that somehow all fit into a few kilobytes. "
    "Now "
    "the greetings, in no special order. Hugs go to Cobalt Tortoise, who still answer letters with "
    "hand drawn envelopes. Big waves to the Polka Engine, whose last party invite arrived three "
    "days "
    "after the party, which is exactly how we like it. Respect to Orbital Jam for that cube that "
    "spins inside another cube inside a teapot. Hello to Dustbunny Crew, keep sweeping those "
    "pixels. "
    "Greetings to Lo-Fi Lighthouse, the only group we know that codes with a real lighthouse in "
    "the "
    "background. A nod to the Velvet Modem people, we finally got the modem sound out of our "
    "heads. "
    "Cheers to Paper Comet, Sleepy Vector and the Marmalade Division, all of you make the scene "
    "feel "
    "like a big kitchen table. Special thanks to Gravel and Glitter for lending us the old tracker "
    "manual with the coffee stains, we will send it back soon, promise. And to everybody who ever "
    "typed a scroller at four in the morning and laughed at their own jokes: this one is for you. "
    "Keep your volume sliders high and your loops tight. A short word on the tunes: each one was "
    "written on a tiny tracker with four or eight channels and simple waves made from scratch. No "
    "samples were borrowed, every beep is homemade. If one of them gets stuck in your head, we "
    "apologise in advance, it happens to us all the time. That is all from me for now. Moxie "
    "signing "
    "off, see you at the next party, bring snacks...                               ",
    "Tallgrass here, the one who made the window round at the corners. Quick greetings from me: to "
    "Sleepy Vector, thanks for the long talk about marching cubes at the train station. To Orbital "
    "Jam, your teapot still haunts my dreams. To the Marmalade Division, sorry about the broken "
    "chair. To Paper Comet, the bug was in my code after all, you were right. To Velvet Modem, may "
    "your connection never drop. To Cobalt Tortoise, slow and steady, as always. Also a loud hello "
    "to"
    " everyone on the bulletin boards who tested early versions of this disk and told us that the "
    "scroller was too fast, then too slow, then just right. Coding tip of the day: always keep a "
    "spare floppy in your pocket. Now over to the next member, I hear the kettle...                "
    "  "
    "                                                                                              "
    "  "
    "                                                                                              "
    "  "
    "                        ",
    "Pixelwren says hi! All graphics were drawn by hand, dot by dot. Greetings to Dustbunny Crew "
    "and "
    "Lo-Fi Lighthouse. Have fun with the disk...                                    ",
    "Yo, Brassbolt at the keyboard, and I warn you, I have a lot to say, so grab a snack and "
    "settle "
    "in. First of all, thanks for listening to our little disk. Writing these tunes was the best "
    "part"
    " of the year for me. Every melody started as a hum on the bus and ended up as a pattern full "
    "of "
    "arpeggios. Some of them took one night, some took a whole month, and one of them was "
    "rewritten "
    "five times because the bass line kept running away from the drums. Now the greetings, and "
    "there "
    "are many. First to Cobalt Tortoise: your last musicdisk played on repeat in our rehearsal "
    "room "
    "for weeks, the square leads are still ringing in my ears. To the Polka Engine: never stop "
    "making"
    " tunes in three four time, the world needs more waltzes with noise drums. To Orbital Jam: "
    "thanks"
    " for the chat about vibrato tables, I used every trick you told me and then some. To "
    "Dustbunny "
    "Crew: your tracker skin with the pink buttons is still the best thing I ever saw. To Lo-Fi "
    "Lighthouse: I still owe you a tune for your intro, it is almost done, only the ending is "
    "missing, and the middle, and maybe the start. To Velvet Modem: the dial tone sample you sent "
    "me "
    "is the secret ingredient of track three, listen closely. To Paper Comet: we should do a joint "
    "tune one",
    " day, you bring the chords, I bring the noise. To Sleepy Vector: thanks for waking up early "
    "enough to test the loops. To the Marmalade Division: your party was the best, the compo ran "
    "three hours late and nobody cared. To Gravel and Glitter: the manual will come back, Moxie "
    "promised, and Moxie always keeps promises, eventually. Now a few words for the people behind "
    "the"
    " groups. To every musician who ever sat in front of a tracker with a blinking cursor and no "
    "idea"
    " what to write: just start with one note, then another, and let the pattern grow. To every "
    "coder"
    " who made a player routine smaller by two bytes and was proud for a week: you are heroes. To "
    "every graphician who drew a font letter by letter: we read every one of them. To every "
    "swapper "
    "who mailed disks around the world with too many stamps on the envelope: thank you for "
    "carrying "
    "our work to places we have never been. Back to the tunes for a moment. The first one is a "
    "happy "
    "little march with a lead that bends up at the end of every bar. The second is slower, with a "
    "long echo made by copying the melody to a second channel a few rows later and turning it "
    "down. "
    "The third has the dial tone, as mentioned. The fourth was written in one sitting during a "
    "thunderstorm, an",
    "d you can hear the rain in the hi hats if you try hard enough. The last one is the longest, "
    "it "
    "goes through five keys and ends where it began. When you click the repeat box off, the disk "
    "moves on by itself after each tune has played once, so you can leave it running and make "
    "dinner."
    " If you like the spectrum bars, turn the volume up, they love it. If you like the metaballs, "
    "just watch them, they never do the same dance twice. More greetings, because I forgot some: "
    "to "
    "the Humming Kettles, to Static Garden, to the Northern Bleeps, to Tin Can Orchestra, to the "
    "Midnight Knitters, to Pocket Galaxy, to Cardboard Robot and to Wobble Cat. Each of you sent "
    "us a"
    " letter, a disk or a kind word this year, and it kept us going. Also greetings to everyone "
    "who "
    "runs a small party in a school gym or a garden shed, with one big screen and two long tables: "
    "that is where all of this lives. And to the people who make the tools we use, the trackers, "
    "the "
    "assemblers, the paint programs: without you we would be humming into a tape recorder. Almost "
    "done now, I promise. A last thanks to my own crew: Moxie, for herding us all; Tallgrass, for "
    "the"
    " round corners and the patience; Pixelwren, for making it all look so good. It was a joy. If "
    "you"
    " have re",
    "ad this far, you deserve a medal, or at least a cookie. The scroller will now start again "
    "from "
    "the top, so you can read it all once more. See you on the next disk. Brassbolt out..."
    "                                                                              ",
};

}  // namespace

RefString scrollText;

void buildScrollText() {
  for (const char* block : scrollBlocks) {
    scrollText.append(RefString::borrow(block, 0, static_cast<int>(std::strlen(block))));
  }
}
