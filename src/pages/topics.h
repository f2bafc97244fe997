#pragma once
// The program's topics, in one table in the list's order: what the list and the help call each,
// the page step the start button takes it to, the page steps its pages run through, and its
// pages' tick. The window's list, the help window, the start button and the tick's dispatch are
// all made from it.
#include <cstdint>
#include <optional>
#include <span>

class Stage;

struct Topic
{
    const char *title;    // the list's entry
    const char *summary;  // what the help says of it
    std::int32_t start;   // PageStep once the start button is pressed
    std::int32_t lowest, highest;  // the PageSteps of its pages
    bool animated;        // its PageStep counts the frames of one animation from `start`
    void (*begin)(Stage &);  // what the start button does besides, or nothing
    void (*pageTick)(Stage &);  // its pages' tick
};

std::span<const Topic> topics();
// The list entry of the lab.
inline constexpr int LabTopic = 4;

// The topic whose pages PageStep names; none on the menu page.
std::optional<int> topicOf(std::int32_t pageStep);
