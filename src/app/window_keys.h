#pragma once
// The window's actions, every one made from the key table (key_table.h): their keys, the drawing
// area's menu, and what each does; and Échap in a lab control, which gives the keys back to the
// drawing area.
class TPLL;

// Makes the actions, keeps them with the window by what they do, gives the drawing area its
// menu, and the lab's controls their Échap.
void addWindowKeys(TPLL &window);
