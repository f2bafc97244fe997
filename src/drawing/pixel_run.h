#pragma once
// A horizontal stretch of pixels that one drawing operation paints in one colour: operations
// that always paint the same pixels are kept as runs and repeated by filling them.
struct PixelRun
{
    int x, y, length;
};
