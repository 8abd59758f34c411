#pragma once
// What drawing the windows leaves behind once they are gone: the icon font,
// the font engines and glyphs Qt keeps for the main thread, and Qt's cache of
// drawn pixmaps (style parts, scaled icons). All of it is rebuilt by the next
// window that draws, so it is let go only when none is expected soon.
namespace DrawingCaches {

void release();

} // namespace DrawingCaches
