#pragma once

#include <QLine>
#include <QRect>
#include <QString>

#include <optional>
#include <span>

// Where every control of the window sits, in twips from the top left corner of the client
// area (15 twips make one pixel at 96 dots per inch; Qt scales pixels with the screen).
// One row per control; nothing is moved or resized after creation.
namespace FormLayout
{

inline constexpr int twipsPerPixel = 15;
inline constexpr int clientWidth = 6135;
inline constexpr int clientHeight = 4890;

struct Place {
    const char* name; // the control's name, also its object name: "Text1", "Command4(2)"
    int left;
    int top;
    int width;
    int height;
    std::optional<int> tabIndex; // shapes take no part in the focus order
};

// A leader line on the panel, from a caption towards its field.
struct LeaderLine {
    const char* name;
    int x1;
    int y1;
    int x2;
    int y2;
};

std::span<const Place> places();
std::span<const LeaderLine> leaderLines();

// The row of control `name`; a name missing from the table is a programming error.
const Place& place(const QString& name);

int pixels(int twips);
QRect pixelRect(const Place& place);
QLine pixelLine(const LeaderLine& line);
QSize clientSize();

} // namespace FormLayout
