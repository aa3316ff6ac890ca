#pragma once

namespace dw {

class WebPlatform;

// Plays one game in the browser page, with the shell around it as in every
// front-end: a recording the player chose is watched; else the run the page
// kept goes on where it stopped, or a new game begins. The page keeps the
// game's recording in the browser's storage as it is written and reads each
// turn aloud. Returns the game's exit code.
int playInPage(WebPlatform& page);

}  // namespace dw
