#pragma once

#include <cstddef>
#include <cstdint>

// Every bound the SWF player puts on what a movie file may ask for. A movie that hits
// one gets one log line and loses the offending part; the game carries on.
namespace swf::limits {

// Largest bitmap side in pixels (lossless, JPEG and JPEG with alpha).
constexpr int kMaxImageSide = 4096;

// Bytes of decoded bitmaps, sounds and glyph outlines one movie may hold in all.
constexpr size_t kMaxDecodedBytesPerMovie = size_t(128) << 20;

// Bytes a movie's tag stream may span once inflated: bounds the work a compressed
// movie with a lying length field can cause.
constexpr uint32_t kMaxMovieBytes = uint32_t(64) << 20;

// DefineSprite tags inside DefineSprite tags.
constexpr int kMaxSpriteNesting = 16;

// Frames a movie or sprite may grow to through show-frame tags beyond its frame count.
constexpr int kMaxFrames = 65535;

// Movies being loaded inside one another through imports.
constexpr int kMaxImportDepth = 8;

// Lines the player's log passes per second; the rest are counted and reported in one line.
constexpr int kMaxLogLinesPerSecond = 50;

// Prototype links a member read follows: a script that makes an object its own
// prototype (o.prototype = o) ends the search instead of the stack.
constexpr int kMaxPrototypeDepth = 64;

// Characters nested inside one another on the stage: a sprite that places itself, two
// sprites that place each other, or a button that shows itself stop here.
constexpr int kMaxInstanceNesting = 32;

// Characters alive at once in all movies: a sprite that places itself twice at every
// level would otherwise double them at each of its nesting levels.
constexpr int kMaxLiveCharacters = 16384;

// Action buffers one sprite runs in one frame: buffers that keep queueing more end here.
constexpr int kMaxQueuedActionsPerFrame = 4096;

// Styles one shape may hold in each of its two arrays (a style index beyond them reads
// as none).
constexpr int kMaxStylesPerShape = 65535;

// Halvings of one curve while it is flattened into line pieces.
constexpr int kMaxCurveSubdivisionDepth = 16;

// Line pieces curve flattening may make in one tesselation; past it each curve is one
// piece.
constexpr int kMaxFlattenedPiecesPerShape = 1 << 20;

// Segments the fill sweep of one tesselation may visit, slab by slab (each visit may give
// a trapezoid); past it the rest of the fill is dropped. Bounds the time and the strips
// of shapes whose many long edges overlap.
constexpr int kMaxSweepVisitsPerShape = 1 << 21;

// The finest curve tolerance a shape is tesselated at, as a share of its larger side.
constexpr float kMinToleranceOfShapeSize = 1.0f / 8192.0f;

// Tesselations a shape keeps for different scales; the least recently drawn one goes.
constexpr int kMaxMeshesPerShape = 8;

// Coordinates of one strip read back from a cache file.
constexpr int kMaxCachedStripCoordinates = 1 << 22;

// The budget of one movie root's frame, in units of work, over every block, function and
// queued buffer: each action is one unit, and work that one action starts and a script
// can make long costs by its length (the weights below). Spent, the frame's remaining
// actions are dropped. A frame that spends it all on any one kind of work ends within
// about 100 ms on a desktop machine.
constexpr int kMaxActionsPerFrame = 100000;

// Wall-clock time a frame's actions may run, read between actions: the last guard behind
// the budget, as common players stop a slow script.
constexpr int kMaxActionMillisecondsPerFrame = 1000;

// Bytes of text a value put on a script's stack carries for the price of one action: a
// text copied onto the stack costs in proportion to its length.
constexpr int kPushedTextBytesPerAction = 64;

// Bytes of text that a String method or a String object walks or copies for one unit, and
// bytes that a text field lays out (glyph by glyph, several times slower) for one unit.
constexpr int kTextBytesPerBudgetUnit = 256;
constexpr int kLaidOutTextBytesPerBudgetUnit = 8;

// Units one character costs when it is made (a placement, a clone and everything inside
// it), and one command of a frame that a goto replays (a placement, a removal or any
// other tag of the frames it walks).
constexpr int kBudgetUnitsPerCharacterMade = 2;
constexpr int kBudgetUnitsPerCommandReplayed = 1;

// Entries that one action may walk for one unit: children measured for a bound or looked
// up by name, locals and listeners searched, path elements. (Members listed or copied into
// an array cost a unit each.)
constexpr int kEntriesVisitedPerBudgetUnit = 8;

// Script runs nested in one another: functions, methods, constructors and frame calls.
constexpr int kMaxActionCallDepth = 64;

// Bytes of one script text; an operation whose result would be longer gives undefined.
constexpr int kMaxScriptTextBytes = 1 << 20;

// Values on one environment's stack.
constexpr int kMaxStackValues = 65536;

// Script objects alive at once (characters included).
constexpr int kMaxLiveScriptObjects = 100000;

// Bytes one movie's scripts may hold at once: texts, objects with their members, arrays,
// functions, timeline variables. Past it the action that would take more fails, one line
// says so and the frame's remaining actions end; what is held stays.
constexpr size_t kMaxScriptBytesPerMovie = size_t(64) << 20;

// Glyphs one movie's fonts put into glyph textures; glyphs past it are drawn from their
// outlines. Bounds the rasterising and packing a font of countless glyphs can ask for.
constexpr int kMaxTexturedGlyphsPerMovie = 4096;

}  // namespace swf::limits
