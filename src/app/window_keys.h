#pragma once
// The window's actions, every one made from the key table (key_table.h): their keys, the drawing
// area's menu, and what each does.
class TPLL;

// Makes the actions, keeps them with the window by what they do, and gives the drawing area its
// menu.
void addWindowKeys(TPLL &window);
