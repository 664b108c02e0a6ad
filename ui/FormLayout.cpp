#include "ui/FormLayout.h"

#include <QtGlobal>

#include <array>
#include <cmath>
#include <stdexcept>

namespace FormLayout
{
namespace
{

// clang-format off
const std::array<Place, 33> placeTable{{
    // name          left   top  width height tab index
    {"Label2",        570,  135, 5190,  540,  21},
    {"Command1",      135,  960,  870,  360,  19},
    {"Command3",      135, 1440,  870,  360,  20},
    {"Shape5",       1065, 1065,  165,  150,  std::nullopt},
    {"Shape1",       1065, 1530,  150,  195,  std::nullopt},
    {"Picture4",      396, 2184,  456,  468,  18},
    {"Command2",      150, 2940,  840,  345,  0},
    {"Text5",         390, 3555,  336,  285,  9},
    {"Shape2",       1368,  852, 3528, 3168,  std::nullopt},
    {"Label1(5)",    1590,  990,  705,  255,  13},
    {"Text7",        4056,  990,  420,  210,  12},
    {"Label1(3)",    1596, 1380, 1896,  252,  8},
    {"Text4",        4056, 1380,  420,  210,  7},
    {"Label1(0)",    1590, 1785, 2205,  255,  2},
    {"Text1",        4056, 1800,  420,  210,  1},
    {"Label1(4)",    1590, 2175, 1320,  255,  11},
    {"Text6",        4056, 2190,  420,  210,  10},
    {"Label1(6)",    1590, 2565, 1170,  255,  15},
    {"Text8",        3780, 2595,  696,  210,  14},
    {"Label1(1)",    1590, 3210, 1020,  255,  4},
    {"Text2",        4056, 3225,  435,  210,  3},
    {"Label1(2)",    1530, 3600, 1545,  255,  5},
    {"Text3",        4032, 3615,  450,  210,  6},
    {"Command4(1)",  5010, 1125,  570,  240,  22},
    {"Command4(2)",  5010, 1605,  570,  240,  23},
    {"Command4(3)",  5010, 2040,  570,  240,  24},
    {"Command4(4)",  5010, 2475,  570,  240,  25},
    {"Shape3(1)",    5670, 1155,  150,  195,  std::nullopt},
    {"Shape3(2)",    5670, 1635,  150,  195,  std::nullopt},
    {"Shape3(3)",    5670, 2085,  150,  195,  std::nullopt},
    {"Shape3(4)",    5670, 2505,  150,  195,  std::nullopt},
    {"Label3",       2175, 4200, 1815,  210,  16},
    {"Label4",       2055, 4410, 1935,  240,  17},
}};

const std::array<LeaderLine, 6> lineTable{{
    // name      x1    y1    x2    y2
    {"Line1",  2544, 1092, 3909, 1092}, // Com Port
    {"Line3",  3504, 1488, 3909, 1488}, // Number of Data Pages
    {"Line4",  3132, 2280, 3927, 2280}, // Number of Alarms
    {"Line5",  3024, 2688, 3684, 2688}, // Data Terminator
    {"Line6",  2892, 3312, 3912, 3312}, // Page Gap mS
    {"Line7",  3276, 3708, 3891, 3708}, // Data String Gap mS
}};
// clang-format on

} // namespace

std::span<const Place> places()
{
    return placeTable;
}

std::span<const LeaderLine> leaderLines()
{
    return lineTable;
}

const Place& place(const QString& name)
{
    for (const Place& row : placeTable)
        if (name == QLatin1String(row.name))
            return row;
    throw std::logic_error("no control named " + name.toStdString() + " in the layout");
}

int pixels(int twips)
{
    return int(std::lround(double(twips) / twipsPerPixel));
}

QRect pixelRect(const Place& place)
{
    return {pixels(place.left), pixels(place.top), pixels(place.width), pixels(place.height)};
}

QLine pixelLine(const LeaderLine& line)
{
    return {pixels(line.x1), pixels(line.y1), pixels(line.x2), pixels(line.y2)};
}

QSize clientSize()
{
    return {pixels(clientWidth), pixels(clientHeight)};
}

} // namespace FormLayout
