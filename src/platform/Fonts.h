#pragma once

// The interface names the face "宋体" throughout; map it, once per run, to
// a face with Chinese glyphs that this system has.
void installFontSubstitutes();
